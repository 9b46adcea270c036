#pragma once
// Names that screen readers and desktop automation use to find controls: what each control does,
// translated with the interface. Glyph-only buttons have no other name.

#include <QObject>
#include <QVector>

class QWidget;

struct AccessibleName
{
    const char *object; // object name of the control
    const char *name;   // source text in the "AccessibleNames" context
};

extern const QVector<AccessibleName> kTitleBarNames;
extern const QVector<AccessibleName> kDisplayPageNames;
extern const QVector<AccessibleName> kPopupNames;

// Sets the names below `root` now and again after every language change.
class AccessibleNamer : public QObject
{
public:
    AccessibleNamer(QWidget *root, const QVector<AccessibleName> &names);
    void apply();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_root;
    QVector<AccessibleName> m_names;
};
