// What a screen reader or voice control finds in the window: the accessibility tree of every page,
// walked in both languages.

#include "tests/gui/gui_fixture.h"
#include "tests/support/firmware_image.h"

#include "ui/battery_test_popup.h"
#include "ui/display_page.h"
#include "ui/firmware_page.h"

#include <QAbstractSlider>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextEdit>

namespace {
QString plain(QString text)
{
    return text.remove('&');
}

// Icon-font glyphs sit in the private use area: they show a picture, not a text.
bool isGlyph(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() < 0xE000 || c.unicode() > 0xF8FF)
            return false;
    return true;
}

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}
QString nameOf(QObject *object)
{
    return accessible(object)->text(QAccessible::Name);
}

void walk(QAccessibleInterface *node, QVector<QAccessibleInterface *> &out)
{
    if (!node || node->state().invisible)
        return;
    out.append(node);
    for (int i = 0; i < node->childCount(); ++i)
        walk(node->child(i), out);
}

// The faults of what the tree below `root` tells, one line each; empty when all is well.
QStringList faultsBelow(QWidget *root)
{
    QVector<QAccessibleInterface *> nodes;
    walk(accessible(root), nodes);
    QStringList faults;
    QMap<QString, QString> controlByName;
    for (QAccessibleInterface *node : nodes) {
        auto *w = qobject_cast<QWidget *>(node->object());
        // A scroll area's bars are announced by their role and belong to the area.
        if (!w || qobject_cast<QScrollBar *>(w))
            continue;
        const QString name = node->text(QAccessible::Name);
        const QString who =
            (w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName()) + ": ";
        bool control = true;
        if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            const QString shown = plain(button->text());
            if (!shown.isEmpty() && !isGlyph(shown)) {
                if (!name.contains(shown))
                    faults << who + "shows \"" + shown + "\" but is named \"" + name + "\"";
            } else if (name.isEmpty() || isGlyph(name)) {
                faults << who + "shows no text and has no name";
            }
        } else if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) ||
                   qobject_cast<QAbstractSlider *>(w) || qobject_cast<QTextEdit *>(w) ||
                   qobject_cast<QProgressBar *>(w)) {
            if (name.isEmpty())
                faults << who + "has no name";
        } else {
            control = false;
            auto *label = qobject_cast<QLabel *>(w);
            const QString shown = label ? label->text() : QString();
            // An elided caption reads in full.
            const bool reads = name == shown ||
                               (shown.endsWith(QChar(0x2026)) && name.startsWith(shown.chopped(1)));
            if (label && !shown.isEmpty() && !Qt::mightBeRichText(shown) && !reads)
                faults << who + "shows \"" + label->text() + "\" but reads \"" + name + "\"";
        }
        if (!control || name.isEmpty())
            continue;
        if (controlByName.contains(name))
            faults << who + "shares the name \"" + name + "\" with " + controlByName[name];
        else
            controlByName.insert(name, w->objectName());
    }
    return faults;
}

// The display page's values, each described by its quantity and unit.
const std::pair<const char *, const char *> kValueLabels[] = {
    {"disp_label_VOL", "Voltage (V)"},
    {"disp_label_CUR", "Current (A)"},
    {"disp_label_POW", "Power (W)"},
    {"disp_label_RES", "Resistance (Ω)"},
    {"disp_label_ELE", "Energy (Wh)"},
    {"disp_label_CAP", "Capacity (mAh)"},
    {"disp_label_CPU_VALUE", "CPU temperature (℃)"},
    {"disp_label_NTC_VALUE", "Probe temperature (℃)"},
    {"disp_label_FANT_VALUE", "MOS temperature (℃)"},
    {"disp_label_FANS_VALUE", "Fan speed (RPM)"},
};
} // namespace

class TestAccessibilityGui : public QObject
{
    Q_OBJECT

    // Every page of the stack, the title bar and the device list with it, then the popup.
    void checkEveryPage(GuiFixture &f)
    {
        auto *stack = f.w<QStackedWidget>("disp_stackedWidget");
        for (int i = 0; i < stack->count(); ++i) {
            stack->setCurrentIndex(i);
            QCoreApplication::processEvents();
            const QStringList faults = faultsBelow(f.dialog.get());
            QVERIFY2(faults.isEmpty(),
                     qPrintable(stack->widget(i)->objectName() + "\n" + faults.join('\n')));
        }
        BatteryTestPopup *popup = f.dialog->displayPage()->popup();
        QVERIFY(popup);
        popup->show();
        const QStringList faults = faultsBelow(popup);
        auto *count = popup->findChild<QLabel *>("lab_count");
        const QString countDescription = accessible(count)->text(QAccessible::Description);
        popup->hide();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
        QCOMPARE(nameOf(count), count->text());
        QVERIFY(!countDescription.isEmpty());
        stack->setCurrentIndex(2);
    }

private slots:
    void everyPageReadsWhatItShowsInBothLanguages()
    {
        GuiFixture f;
        f.open();
        QVERIFY(f.waitForScanEnd());
        f.click("tbtn3");
        // Live values arrive: each reads as its value, described by what it measures.
        auto *voltage = f.w<QLabel>("disp_label_VOL");
        const QString zero = voltage->text();
        QTRY_VERIFY(voltage->text() != zero);
        for (const auto &value : kValueLabels) {
            QCOMPARE(nameOf(f.w(value.first)), f.text(value.first));
            QVERIFY(!accessible(f.w(value.first))->text(QAccessible::Description).isEmpty());
        }
        // The status line reads what it says after a run ends.
        f.click("disp_Btn_Run");
        f.click("disp_Btn_Run");
        QTRY_VERIFY(!f.text("label_left_tips").isEmpty());
        QCOMPARE(nameOf(f.w("label_left_tips")), f.text("label_left_tips"));
        // The upgrade log reads its lines.
        const QString image = f.workDir.file("fw.bin");
        {
            QFile file(image);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(firmwareImageOf(4096));
        }
        f.dialog->findChild<FirmwarePage *>()->loadImage(image);
        QAccessibleInterface *log = accessible(f.w("upgrade_text_log"));
        QVERIFY2(log->text(QAccessible::Value).contains("读取文件完成..."),
                 qPrintable(log->text(QAccessible::Value)));
        QCOMPARE(nameOf(f.w("upgrade_label_fwsizevalue")), f.text("upgrade_label_fwsizevalue"));
        // An edit is named by its caption, which follows the work mode.
        QCOMPARE(nameOf(f.w("lineEdit_value")), QString("Is:"));
        QCOMPARE(nameOf(f.w("lineEdit_value_zero_v")), f.text("label_zero_v"));
        checkEveryPage(f);
        if (QTest::currentTestFailed())
            return;

        f.chooseLanguage("language_english");
        QTRY_COMPARE(nameOf(f.w("btnMenu_Min")), QString("Minimize"));
        QCOMPARE(nameOf(f.w("btnMenu_Max")), QString("Maximize"));
        QCOMPARE(nameOf(f.w("disp_Btn_Run")), f.w<QAbstractButton>("disp_Btn_Run")->text());
        QCOMPARE(nameOf(f.w("lineEdit_value_zero_v")), QString("Cut_Off Volt:"));
        for (const auto &value : kValueLabels)
            QCOMPARE(accessible(f.w(value.first))->text(QAccessible::Description),
                     QString(value.second));
        checkEveryPage(f);
        if (QTest::currentTestFailed())
            return;

        f.chooseLanguage("language_chinese");
        QTRY_COMPARE(nameOf(f.w("btnMenu_Min")), QString("最小化"));
        QCOMPARE(accessible(f.w("disp_label_VOL"))->text(QAccessible::Description),
                 QString("电压 (V)"));
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestAccessibilityGui test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_accessibility_gui.moc"
