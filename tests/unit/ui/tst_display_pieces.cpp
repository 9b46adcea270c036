// The display page's geometry rules, caption fitting and the battery-test popup on its own.

#include "ui/caption_fit.h"
#include "ui/battery_test_popup.h"
#include "ui/page_geometry.h"
#include "resources/popup_warning.h"
#include "ui/window_fit.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

class TestDisplayPieces : public QObject
{
    Q_OBJECT
private slots:
    void stretchRules_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<QSize>("extra");
        QTest::addColumn<QRect>("expected");
        const QSize more(101, 40);
        QTest::newRow("grow") << int(Stretch::Grow) << more << QRect(10, 130, 1062, 711);
        QTest::newRow("status line")
            << int(Stretch::GrowWidthFollowY) << more << QRect(10, 170, 1062, 671);
        QTest::newRow("right edge")
            << int(Stretch::FollowRight) << more << QRect(111, 130, 961, 671);
        QTest::newRow("centre x") << int(Stretch::CentreX) << more << QRect(60, 130, 961, 671);
        QTest::newRow("centre") << int(Stretch::Centre) << more << QRect(60, 150, 961, 671);
        // A smaller page: only the growing rules give up height, never width.
        QTest::newRow("smaller") << int(Stretch::Grow) << QSize(-200, -50)
                                 << QRect(10, 130, 961, 621);
        QTest::newRow("status line, shorter")
            << int(Stretch::GrowWidthFollowY) << QSize(-9, -50) << QRect(10, 80, 961, 671);
        QTest::newRow("right edge, narrower")
            << int(Stretch::FollowRight) << QSize(-9, -50) << QRect(10, 130, 961, 671);
        QTest::newRow("narrower, taller")
            << int(Stretch::Centre) << QSize(-200, 50) << QRect(10, 155, 961, 671);
    }
    void stretchRules()
    {
        QFETCH(int, how);
        QFETCH(QSize, extra);
        QFETCH(QRect, expected);
        QCOMPARE(stretchedRect(QRect(10, 130, 961, 671), Stretch(how), extra), expected);
    }

    // Four panels in a row share a wider page's extra width: the row keeps its gaps, its right
    // end follows the page's, and each panel's contents stay centred in it.
    void sharedRowSpreadsAcrossTheWidth()
    {
        QWidget page;
        page.resize(kPageDesignSize);
        const QRect designs[] = {{10, 50, 230, 81}, {250, 50, 230, 80}, {490, 50, 235, 80},
                                 {730, 50, 240, 80}};
        QVector<PageStretcher::Rule> rules;
        QList<QWidget *> panels;
        const char *names[] = {"p0", "p1", "p2", "p3"};
        for (int i = 0; i < 4; ++i) {
            auto *panel = new QWidget(&page);
            panel->setObjectName(names[i]);
            panel->setGeometry(designs[i]);
            (new QLabel("1.000", panel))->setGeometry(50, 0, 151, 41);
            panels << panel;
            rules.append({names[i], Stretch::Share, i, 4});
        }
        PageStretcher stretcher(&page, kPageDesignSize, rules);
        page.resize(kPageDesignSize + QSize(402, 0));
        stretcher.apply();
        QCOMPARE(panels[0]->geometry(), QRect(10, 50, 330, 81));
        QCOMPARE(panels[1]->geometry(), QRect(350, 50, 331, 80));
        QCOMPARE(panels[3]->geometry().right(), designs[3].right() + 402);
        for (int i = 1; i < 4; ++i)
            QCOMPARE(panels[i]->x() - panels[i - 1]->geometry().right(),
                     designs[i].x() - designs[i - 1].right());
        QCOMPARE(panels[0]->findChild<QLabel *>()->geometry(), QRect(100, 0, 151, 41));
        // Back to the design size, everything is where it was designed.
        page.resize(kPageDesignSize);
        stretcher.apply();
        QCOMPARE(panels[2]->geometry(), designs[2]);
        QCOMPARE(panels[2]->findChild<QLabel *>()->geometry(), QRect(50, 0, 151, 41));
    }

    void rangePanelCentredInTheContainer()
    {
        QCOMPARE(rangePanelOffset(QSize(961, 671), QSize(200, 200)), QPoint(380, 235));
        QCOMPARE(rangePanelOffset(QSize(962, 672), QSize(201, 201)), QPoint(380, 235));
        QCOMPARE(rangePanelRect(QPoint(380, 235)), QRect(370, 225, 200, 200));
        // A container smaller than the panel: integer division towards zero, as specified.
        QCOMPARE(rangePanelOffset(QSize(150, 100), QSize(200, 200)), QPoint(-25, -50));
    }

    void captionFitSteps()
    {
        QCOMPARE(captionFit(100, 120).stretch, 100);
        QCOMPARE(captionFit(132, 121).stretch, 91);
        QVERIFY(!captionFit(132, 121).elide);
        QCOMPARE(captionFit(100, 75).stretch, 75);
        QVERIFY(!captionFit(100, 75).elide);
        QVERIFY(captionFit(100, 74).elide);
        QVERIFY(captionFit(10, 0).elide);
    }

    // Condensing and the covered captions are checked on the real page (display GUI test); here
    // the elision and what a refit starts from.
    void labelsElideAndRefit()
    {
        QWidget parent;
        auto *fits = new QLabel("abc", &parent);
        fits->setGeometry(0, 0, 200, 20);
        auto *hopeless = new QLabel("A caption far too long for its tiny rectangle", &parent);
        hopeless->setGeometry(0, 60, 40, 20);
        CaptionFitter fitter(&parent);
        // Nothing is measured off screen; the first showing fits.
        QCOMPARE(hopeless->text(), QString("A caption far too long for its tiny rectangle"));
        parent.show();
        QCOMPARE(fits->text(), QString("abc"));
        QCOMPARE(fits->font(), parent.font());
        QVERIFY(hopeless->text().endsWith(QChar(0x2026)));
        QCOMPARE(hopeless->toolTip(), QString("A caption far too long for its tiny rectangle"));
        fitter.fitAll(); // a refit starts from the full text, not from the elided one
        QCOMPARE(hopeless->toolTip(), QString("A caption far too long for its tiny rectangle"));
        // A new text (as after a language change) is fitted from its own length.
        hopeless->setText("Hi");
        fitter.fitAll();
        QCOMPARE(hopeless->text(), QString("Hi"));
        QVERIFY(hopeless->toolTip().isEmpty());
    }

    void popupFormAsDesigned()
    {
        BatteryTestPopup popup;
        QCOMPARE(popup.size(), QSize(373, 241));
        QCOMPARE(popup.minimumSize(), QSize(373, 241));
        QCOMPARE(popup.maximumSize(), QSize(373, 241));
        QCOMPARE(popup.windowTitle(), QString("Tips"));
        QVERIFY(popup.parentWidget() == nullptr);
        const std::tuple<const char *, QRect, const char *> widgets[] = {
            {"lab_Tips", QRect(10, 10, 351, 111), nullptr},
            {"Btn1", QRect(20, 150, 281, 23), "返回"},
            {"Btn2", QRect(20, 180, 281, 23), "继续上一轮放电"},
            {"Btn3", QRect(20, 210, 281, 23), "清除数据并开始新一轮放电"},
            {"lab_count", QRect(336, 120, 16, 20), "8"},
            {"Btnok", QRect(310, 180, 51, 31), "确认"}};
        for (const auto &[name, rect, text] : widgets) {
            QWidget *w = popup.findChild<QWidget *>(name);
            QVERIFY2(w, name);
            QCOMPARE(w->geometry(), rect);
            if (text)
                QCOMPARE(w->property("text").toString(), QString::fromUtf8(text));
        }
        auto *tips = popup.findChild<QLabel *>("lab_Tips");
        QCOMPARE(tips->text(), QString::fromUtf8(kBatteryWarningHtml));
        // Once the popup is seen, all of the warning fits its label, drawn narrower if need be.
        popup.show();
        QTextDocument warning;
        warning.setDocumentMargin(0);
        warning.setDefaultFont(tips->font());
        warning.setHtml(tips->text());
        warning.setTextWidth(tips->width());
        QVERIFY2(warning.size().height() <= tips->height(),
                 qPrintable(QString::number(warning.size().height())));
        const char *green = "rgb(27, 209, 158)", *violet = "rgb(220, 78, 255)";
        auto style = [&](const char *name) {
            return popup.findChild<QWidget *>(name)->styleSheet();
        };
        QCOMPARE(style("Btn1"), popupButtonStyle(violet, violet));
        QCOMPARE(style("Btn2"), popupButtonStyle(green, violet));
        QCOMPARE(style("Btn3"), popupButtonStyle(green, violet));
        QCOMPARE(style("Btnok"), popupButtonStyle(green, "rgb(255, 85, 0)"));
    }

    void popupLayoutsHighlightsAndAnswers_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("violet");       // buttons highlighted, "-" = none changed
        QTest::addColumn<QVector<int>>("answers"); // Btn1, Btn2 (0 hidden), Btn3, Btnok
        QTest::newRow("two, first") << 2 << 1 << "1" << QVector<int>{1, 0, 2, 5};
        QTest::newRow("two, second") << 2 << 2 << "3" << QVector<int>{1, 0, 2, 5};
        QTest::newRow("two, bad choice") << 2 << 3 << "-" << QVector<int>{1, 0, 2, 5};
        QTest::newRow("three, first") << 3 << 1 << "1" << QVector<int>{1, 2, 3, 5};
        QTest::newRow("three, second") << 3 << 2 << "2" << QVector<int>{1, 2, 3, 5};
        QTest::newRow("three, third") << 3 << 3 << "3" << QVector<int>{1, 2, 3, 5};
        QTest::newRow("unknown type") << 4 << 1 << "-" << QVector<int>{1, 0, 2, 5};
    }
    void popupLayoutsHighlightsAndAnswers()
    {
        QFETCH(int, type);
        QFETCH(int, choice);
        QFETCH(QString, violet);
        QFETCH(QVector<int>, answers);
        BatteryTestPopup popup;
        // Start from the other layout and an unusual highlight, so every change is visible.
        popup.setPopupType(type == 2 ? 3 : 2);
        popup.setChoiceHighlight(2, 2);
        const QString before3 = popup.findChild<QWidget *>("Btn3")->styleSheet();
        popup.setPopupType(type);
        popup.setChoiceHighlight(type, choice);
        popup.setCountdown(5);

        auto *btn2 = popup.findChild<QPushButton *>("Btn2");
        auto *btn3 = popup.findChild<QPushButton *>("Btn3");
        if (type == 2)
            QCOMPARE(btn3->geometry(), QRect(20, 188, 281, 45));
        else if (type == 3)
            QCOMPARE(btn3->geometry(), QRect(20, 210, 281, 23));
        else // the layout of before stays
            QCOMPARE(btn3->geometry(), QRect(20, 188, 281, 45));
        QCOMPARE(btn2->isHidden(), answers[1] == 0);
        QCOMPARE(popup.findChild<QLabel *>("lab_count")->text(), QString("5"));

        if (violet == "-") {
            QCOMPARE(btn3->styleSheet(), before3);
        } else {
            for (int i = 1; i <= 3; ++i) {
                if (type == 2 && i == 2)
                    continue;
                const QString style =
                    popup.findChild<QWidget *>(QString("Btn%1").arg(i))->styleSheet();
                const bool isViolet = violet == QString::number(i);
                QCOMPARE(style,
                         popupButtonStyle(isViolet ? "rgb(220, 78, 255)" : "rgb(27, 209, 158)",
                                          "rgb(220, 78, 255)"));
            }
        }

        QSignalSpy sent(&popup, &BatteryTestPopup::answered);
        const char *buttons[] = {"Btn1", "Btn2", "Btn3", "Btnok"};
        for (int i = 0; i < 4; ++i) {
            if (answers[i] == 0)
                continue;
            popup.findChild<QPushButton *>(buttons[i])->click();
            QCOMPARE(sent.takeFirst().at(0).value<qint16>(), qint16(answers[i]));
        }
        QVERIFY(!popup.isVisible()); // a click never closes the window by itself
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installFontSubstitutes(); // the fonts the program draws with
    TestDisplayPieces test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_display_pieces.moc"
