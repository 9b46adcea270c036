// Home tiles, return buttons, shortcuts and menus, clicked as a user would.

#include "tests/gui/gui_fixture.h"

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {
struct TileCase
{
    const char *button;
    int page;
    const char *titleLabel;
    const char *caption; // null: not checked
    const char *unit;
    int code; // -1: no command
};

const TileCase kHk07Tiles[] = {
    {"tbtn1", 1, "upgrade_labTitle", nullptr, nullptr, -1},
    {"tbtn2", 3, "settings_labTitle", nullptr, nullptr, 0x46},
    {"tbtn3", 2, "disp_labTitle", "Is:", "A", 0x47},
    {"tbtn4", 2, "disp_labTitle", "Vs:", "V", 0x48},
    {"tbtn5", 2, "disp_labTitle", "Rs:", "Ω", 0x49},
    {"tbtn6", 2, "disp_labTitle", "Ps:", "W", 0x4A},
    {"tbtn7", 6, "six_labTitle", nullptr, nullptr, 0x4B},
    {"tbtn8", 6, "six_labTitle", nullptr, nullptr, 0x4C},
    {"tbtn9", 6, "six_labTitle", nullptr, nullptr, 0x4D},
    {"tbtn10", 2, "disp_labTitle", "Is:", "A", 0x4E},
    {"tbtn11", 2, "disp_labTitle", "Is:", "A", 0x4F},
    {"tbtn12", 6, "six_labTitle", nullptr, nullptr, 0x50},
    {"tbtn13", 10, "plan_labTitle", nullptr, nullptr, -1}, // the plan chooses its modes itself
};
const TileCase kNv05Tiles[] = {
    {"NV05_tbtn1", 1, "upgrade_labTitle", nullptr, nullptr, -1},
    {"NV05_tbtn2", 9, "NV05_settings_labTitle", nullptr, nullptr, 0x46},
    {"NV05_tbtn3", 2, "disp_labTitle", nullptr, nullptr, 0x47},
};

const char *kReturnFor[] = {"",
                            "upgrade_btnReturn",
                            "disp_btnReturn",
                            "settings_btnReturn",
                            "",
                            "",
                            "six_btnReturn",
                            "",
                            "",
                            "NV05_settings_btnReturn",
                            "plan_btnReturn"};
} // namespace

class TestNavigationGui : public QObject
{
    Q_OBJECT

    // Clicks every tile of a family, then its page's return button, and checks what went out.
    void clickAllTiles(GuiFixture &f, const TileCase *tiles, int count, int home)
    {
        for (int i = 0; i < count; ++i) {
            const TileCase &t = tiles[i];
            QCOMPARE(f.page(), home);
            const QString name = f.w<QToolButton>(t.button)->text();
            f.bus->clearWrittenReports();
            f.click(t.button);
            QVERIFY2(f.page() == t.page, t.button);
            QCOMPARE(f.text(t.titleLabel), name);
            if (t.caption) {
                QCOMPARE(f.text("label_cons"), QString(t.caption));
                QCOMPARE(f.text("label_unit"), QString(t.unit));
            }
            if (t.code >= 0) {
                QVERIFY2(!f.framesWithCode(quint8(t.code)).isEmpty(), t.button);
                const QByteArray frame = f.framesWithCode(quint8(t.code)).first();
                QCOMPARE(frame.left(10), QByteArray::fromHex("550501") + char(t.code) +
                                             QByteArray::fromHex("00000000eeff"));
            } else {
                for (const QByteArray &r : f.frames())
                    QVERIFY(quint8(r[3]) == 0x05 || quint8(r[3]) == 0x03);
            }
            if (t.page == 3 || t.page == 9) // entering a settings page asks for the settings
                QVERIFY(!f.framesWithCode(0x03).isEmpty());
            if (t.page == 1) {
                auto *bar = f.w<QProgressBar>("upgrade_progressBar_fw");
                QCOMPARE(bar->value(), 0);
                QCOMPARE(bar->format(), QString("loading"));
            }
            QCOMPARE(f.w<QAbstractButton>(kReturnFor[t.page])->text(), QString(QChar(0xF122)));
            f.bus->clearWrittenReports();
            f.click(kReturnFor[t.page]);
            QCOMPARE(f.page(), home);
            QVERIFY(!f.framesWithCode(0x45).isEmpty());
        }
    }

private slots:
    void hk07TilesAndReturns()
    {
        GuiFixture f;
        f.open();
        QVERIFY(f.waitForScanEnd());
        clickAllTiles(f, kHk07Tiles, int(std::size(kHk07Tiles)), 0);
        QCOMPARE(f.text("labTitle"), QString("测试仪主界面"));
        QCOMPARE(f.w<QAbstractButton>("btnReturn")->text(), QString(QChar(0xF073)));
        // The spare page's title follows the instrument's work mode.
        f.click("tbtn12");
        QTRY_COMPARE(f.dialog->link().live().workMode, quint8(9));
        QTRY_COMPARE(f.text("six_labTitle"), QString("充放电循环测试"));
        f.click("six_btnReturn");
        // Run button texts of the battery tiles
        f.click("tbtn10");
        QCOMPARE(f.w<QAbstractButton>("disp_Btn_Run")->toolTip(), QString("开始/停止"));
        f.click("disp_btnReturn");
        // The spare pages, which no tile opens, return home too.
        for (const char *spare : {"four_btnReturn", "five_btnReturn"}) {
            f.w<QStackedWidget>("disp_stackedWidget")->setCurrentIndex(spare[1] == 'o' ? 4 : 5);
            f.bus->clearWrittenReports();
            f.click(spare);
            QCOMPARE(f.page(), 0);
            QCOMPARE(f.framesWithCode(0x45).size(), 1);
        }
        // At the home page the return buttons send nothing.
        f.bus->clearWrittenReports();
        f.click("disp_btnReturn");
        f.click("four_btnReturn");
        QVERIFY(f.framesWithCode(0x45).isEmpty());
        // ... except the NV05 settings return, which sends 0x45 and stays.
        f.click("NV05_settings_btnReturn");
        QCOMPARE(f.page(), 0);
        QCOMPARE(f.framesWithCode(0x45).size(), 1);
    }

    void nv05TilesAndReturns()
    {
        GuiFixture f("NV05");
        f.open();
        QVERIFY(f.waitForScanEnd());
        clickAllTiles(f, kNv05Tiles, int(std::size(kNv05Tiles)), 7);
        // The chart tile hides the mode widgets; the display return sets labTitle on page 0.
        f.click("NV05_tbtn3");
        QVERIFY(f.w("widgetConsValue")->isHidden());
        QVERIFY(f.w("disp_Btn_Run")->isHidden());
        f.click("disp_btnReturn");
        QCOMPARE(f.page(), 7);
        QCOMPARE(f.text("labTitle"), QString("电能表主界面"));
    }

    void displayShortcuts()
    {
        GuiFixture f;
        f.open();
        QVERIFY(f.waitForScanEnd());
        f.click("tbtn3");
        f.bus->clearWrittenReports();
        f.click("disp_btnSysSet");
        QCOMPARE(f.page(), 3);
        QCOMPARE(f.framesWithCode(0x46).size(), 1);
        QCOMPARE(f.framesWithCode(0x03).first().left(9), QByteArray::fromHex("55050103000000eeff"));
        f.click("settings_btnReturn");
        f.click("tbtn3");
        f.bus->clearWrittenReports();
        f.click("disp_btnUpgrade");
        QCOMPARE(f.page(), 1);
        QCOMPARE(f.text("upgrade_labTitle"), QString("固件升级"));
        QVERIFY(f.framesWithCode(0x45).isEmpty() && f.framesWithCode(0x46).isEmpty());
    }

    void chartTitlePromptAndMenus()
    {
        GuiFixture f(QString(), false);
        f.open();
        auto *title = f.w<QAbstractButton>("disp_btn_title");
        QTimer::singleShot(100, [] {
            auto *input = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            QVERIFY(input);
            QCOMPARE(input->textValue(), QString("Simple Real-Time Chart"));
            // Qt's own buttons speak the interface language too.
            auto *buttons = input->findChild<QDialogButtonBox *>();
            QVERIFY(buttons);
            QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QString("取消"));
            input->setTextValue(QString());
            input->accept();
        });
        f.click("disp_btn_title");
        QCOMPARE(title->text(), QString()); // an empty confirmed title is taken as it is

        // Each click builds a fresh menu at the pointer; neither button keeps one, and their
        // style sheets do not grow.
        const QString styles = f.w<QWidget>("disp_btn_menu")->styleSheet() +
                               f.w<QWidget>("btnMenu_Menu")->styleSheet();
        for (int round = 0; round < 2; ++round) {
            f.click("disp_btn_menu");
            auto *chartMenu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(chartMenu);
            QCOMPARE(chartMenu->objectName(), QString("chart_menu"));
            QStringList texts;
            for (QAction *a : chartMenu->actions())
                texts << a->text();
            QCOMPARE(texts, QStringList({"导出数据(.csv)", "导出图片(.png)", "曲线设置", "累计图显",
                                         "滚动图显", "开发中..."}));
            QVERIFY(!chartMenu->actions().first()->icon().isNull());
            chartMenu->close();
            f.click("btnMenu_Menu");
            auto *languageMenu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(languageMenu);
            languageMenu->close();
        }
        QVERIFY(!f.w<QPushButton>("disp_btn_menu")->menu());
        QVERIFY(!f.w<QPushButton>("btnMenu_Menu")->menu());
        QCOMPARE(f.w<QWidget>("disp_btn_menu")->styleSheet() +
                     f.w<QWidget>("btnMenu_Menu")->styleSheet(),
                 styles);
    }
};

QTEST_MAIN(TestNavigationGui)
#include "tst_navigation_gui.moc"
