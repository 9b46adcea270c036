#pragma once
// The title bar's menu: the interface language (switched at once and stored), the recorded runs'
// viewer and the lab link's settings.

#include <QObject>

class InterfaceLanguage;
class QAbstractButton;
class QWidget;

namespace app {

class LabLinkWiring;

class TitleMenu : public QObject
{
    Q_OBJECT
public:
    // Opens at each click of `button`, over `window`; all outlive the menu.
    TitleMenu(QAbstractButton &button, InterfaceLanguage &language, LabLinkWiring &labLink,
              QWidget *window);

private:
    void show();
    void choose(int language);

    InterfaceLanguage &m_language;
    LabLinkWiring &m_labLink;
    QWidget *m_window;
};

} // namespace app
