// The title bar menu and switching the language at run time. Which page shows is the page
// navigator's.

#include "main_dialog.h"

#include "catalogue_text.h"
#include "device_list_view.h"
#include "interface_language.h"
#include "lab_link_wiring.h"
#include "page_navigator.h"
#include "run_viewer.h"
#include "setting.h"
#include "start_hints.h"
#include "ui_MainDialog.h"

#include <QActionGroup>
#include <QCursor>
#include <QLoggingCategory>
#include <QMenu>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

// The menu is built afresh at each click, in the language now in use, and shown at the pointer.
// It is not set on its button: a button with a menu opens that old menu itself and never calls
// its click slot again.
void MainDialog::showTitleMenu()
{
    auto *menu = new QMenu(this);
    menu->setObjectName("language_menu");
    connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    auto *choice = new QActionGroup(menu);
    const auto add = [&](const QIcon &icon, const QString &text, void (MainDialog::*slot)(),
                         InterfaceLanguage::Language language) {
        QAction *action = menu->addAction(icon, text, this, slot);
        action->setCheckable(true);
        action->setChecked(m_language->current() == language);
        choice->addAction(action);
    };
    add(QIcon(QPixmap(":/sys/rs/rs/cn_en.png").scaled(100, 100)), tr("简体中文"),
        &MainDialog::onS_Act1Clicked_Slot, InterfaceLanguage::Chinese);
    add(QIcon(), tr("English"), &MainDialog::onS_Act2Clicked_Slot, InterfaceLanguage::English);
    menu->addSeparator();
    menu->addAction(QIcon(":/sys/rs/rs/folder.png"), tr("打开记录的数据..."), this,
                    [this] { review::showRunViewer(this); });
    menu->addAction(tr("实验室联网…"), this, [this] { m_labLink->openDialog(this); })
        ->setObjectName("lablink_action");
    menu->popup(QCursor::pos());
}

void MainDialog::onS_Act1Clicked_Slot()
{
    switchLanguage(InterfaceLanguage::Chinese);
    Setting().write("language", "Chinese");
}

void MainDialog::onS_Act2Clicked_Slot()
{
    switchLanguage(InterfaceLanguage::English);
    Setting().write("language", "English");
}

void MainDialog::switchLanguage(int language)
{
    // Every window re-renders its own texts in its language change, before this returns.
    m_language->use(InterfaceLanguage::Language(language));
}

// What the form's retranslation put back to its form values, shown again from what the dialog
// knows; the pages do the same for their own texts right after.
void MainDialog::refreshTexts()
{
    ui::showCatalogueTexts(this);
    m_navigator->retranslate();
    m_startHints->retranslate();
    refreshDisplay();
    ui->device_treeWidget->setHeaderLabels({tr("设备列表")});
    applyTitleGlyphs();
    m_devices->retranslate(); // the items keep their own state, not their master/slave captions
}
