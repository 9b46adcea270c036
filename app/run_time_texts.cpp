#include "run_time_texts.h"

#include "caption_fit.h"

#include <QVariant>
#include <QWidget>

namespace {
// The text properties a form retranslates on labels, buttons, line edits and group boxes.
const char *const kTextProperties[] = {"text", "title", "toolTip", "placeholderText"};

template <typename Visit> void forEachText(QWidget *root, Visit visit)
{
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *w : qAsConst(widgets))
        for (const char *property : kTextProperties) {
            const QVariant value = w->property(property);
            if (value.userType() == QMetaType::QString)
                visit(w, property, captionSource(w, value.toString()));
        }
}
} // namespace

RunTimeTexts::RunTimeTexts(QWidget *root, const std::function<void()> &retranslate)
{
    QVector<Entry> before;
    forEachText(root, [&before](QWidget *w, const char *property, const QString &text) {
        before.append({w, property, text});
    });
    retranslate();
    for (const Entry &e : qAsConst(before))
        if (e.widget && e.widget->property(e.property).toString() != e.text)
            m_entries.append(e);
}

void RunTimeTexts::restore(const std::function<QString(const QString &)> &carry) const
{
    for (const Entry &e : m_entries)
        if (e.widget)
            e.widget->setProperty(e.property, carry(e.text));
}
