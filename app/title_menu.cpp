// The title bar's menu.

#include "app/title_menu.h"

#include "app/interface_language.h"
#include "app/lab_link_wiring.h"
#include "review/run_viewer.h"
#include "settings/settings_file.h"

#include <QAbstractButton>
#include <QActionGroup>
#include <QCursor>
#include <QMenu>

namespace app {

TitleMenu::TitleMenu(QAbstractButton &button, InterfaceLanguage &language, LabLinkWiring &labLink,
                     QWidget *window)
    : QObject(window), m_language(language), m_labLink(labLink), m_window(window)
{
    connect(&button, &QAbstractButton::clicked, this, &TitleMenu::show);
}

// The menu is built afresh at each click, in the language now in use, and shown at the pointer.
// It is not set on its button: a button with a menu opens that old menu itself and never signals
// its click again.
void TitleMenu::show()
{
    auto *menu = new QMenu(m_window);
    menu->setObjectName("language_menu");
    connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    auto *choice = new QActionGroup(menu);
    const auto add = [&](const QIcon &icon, const QString &text, const char *name,
                         InterfaceLanguage::Language language) {
        QAction *action = menu->addAction(icon, text, this, [this, language] { choose(language); });
        action->setObjectName(name);
        action->setCheckable(true);
        action->setChecked(m_language.current() == language);
        choice->addAction(action);
    };
    add(QIcon(QPixmap(":/sys/rs/rs/cn_en.png").scaled(100, 100)), tr("简体中文"),
        "language_chinese", InterfaceLanguage::Chinese);
    add(QIcon(), tr("English"), "language_english", InterfaceLanguage::English);
    menu->addSeparator();
    menu->addAction(QIcon(":/sys/rs/rs/folder.png"), tr("打开记录的数据..."), this,
                    [this] { review::showRunViewer(m_window); });
    menu->addAction(tr("实验室联网…"), this, [this] { m_labLink.openDialog(m_window); })
        ->setObjectName("lablink_action");
    menu->popup(QCursor::pos());
}

void TitleMenu::choose(int language)
{
    // Every window re-renders its own texts in its language change, before this returns.
    m_language.use(InterfaceLanguage::Language(language));
    SettingsFile().write("language", language == InterfaceLanguage::English ? "English" : "Chinese");
}

} // namespace app
