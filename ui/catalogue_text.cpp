#include "ui/catalogue_text.h"

#include <QCoreApplication>
#include <QVariant>
#include <QWidget>

namespace {
const char *const kContext = "catalogueContext";
const char *const kSource = "catalogueSource";
const char *const kDisambiguation = "catalogueDisambiguation";

void show(QWidget *widget)
{
    const QByteArray source = widget->property(kSource).toByteArray();
    if (source.isEmpty())
        return;
    const QByteArray context = widget->property(kContext).toByteArray();
    const QByteArray disambiguation = widget->property(kDisambiguation).toByteArray();
    widget->setProperty("text", QCoreApplication::translate(context.constData(), source.constData(),
                                                            disambiguation.isEmpty()
                                                                ? nullptr
                                                                : disambiguation.constData()));
}
} // namespace

namespace ui {

void setCatalogueText(QWidget *widget, const char *context, const char *source,
                      const char *disambiguation)
{
    // The refresh shows the same title twice a second: keep what is kept already.
    const QByteArray kept = widget->property(kSource).toByteArray();
    if (kept != source || widget->property(kContext).toByteArray() != context ||
        widget->property(kDisambiguation).toByteArray() != QByteArray(disambiguation)) {
        widget->setProperty(kContext, QByteArray(context));
        widget->setProperty(kSource, QByteArray(source));
        widget->setProperty(kDisambiguation, QByteArray(disambiguation));
    }
    show(widget);
}

void showCatalogueTexts(QWidget *root)
{
    show(root);
    const QList<QWidget *> widgets = root->findChildren<QWidget *>();
    for (QWidget *w : widgets)
        show(w);
}

} // namespace ui
