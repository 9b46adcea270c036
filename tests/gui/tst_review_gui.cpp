// Recorded runs reopened as a user does it: two runs recorded against the simulated instrument,
// the viewer opened from the title bar's menu, both files dropped on the main window, one
// quantity compared, and the summary table read back against the files' own rows. With
// REVIEW_SHOTS_DIR set it also writes a screenshot of the comparison at 1366 x 768.

#include "tests/gui/gui_fixture.h"

#include "tests/gui/data_file_rows.h"
#include "record/recorder.h"
#include "review/run_chart.h"
#include "review/run_viewer.h"
#include "settings/settings_file.h"

#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QPushButton>
#include <QTimer>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QTableWidget>
#include <QUrl>
#include <QtCharts/QChartView>

#include <cmath>

namespace {

// V × I over the rows' time stamps, in Wh, computed here from the file's text alone.
double integratedWh(const QVector<QStringList> &rows)
{
    double wattSeconds = 0;
    for (int r = 1; r < rows.size(); ++r) {
        const auto at = [&](int i) {
            return QDateTime::fromString(rows[i][0], "yyyy-MM-dd_hh:mm:ss");
        };
        const double dt = at(r - 1).secsTo(at(r));
        const double p0 = rows[r - 1][1].toDouble() * rows[r - 1][2].toDouble();
        const double p1 = rows[r][1].toDouble() * rows[r][2].toDouble();
        wattSeconds += (p0 + p1) / 2 * dt;
    }
    return wattSeconds / 3600;
}

int rowOf(QTableWidget *table, const QString &caption)
{
    for (int r = 0; r < table->rowCount(); ++r)
        if (table->verticalHeaderItem(r)->text() == caption)
            return r;
    return -1;
}

} // namespace

class TestReviewGui : public QObject
{
    Q_OBJECT
private slots:
    void recordOpenCompareSummarise();
};

void TestReviewGui::recordOpenCompareSummarise()
{
    GuiFixture f;
    const QString data = f.workDir.file("Data");
    SettingsFile().write("save_path", data);
    MainDialog &dialog = f.open();
    QVERIFY(f.waitForScanEnd());
    f.click("tbtn3");
    QCursor::setPos(dialog.mapToGlobal(QPoint(2, 2))); // the run button keeps its text

    // Two runs of different length, each saved by its stop.
    QStringList files;
    for (const int rows : {12, 18}) {
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.link().state().deviceRunning, 10000);
        const QString before = f.text("label_left_tips");
        f.click("disp_Btn_Run");
        QTRY_VERIFY_WITH_TIMEOUT(dialog.recorder().rowCount() >= rows, 40000);
        f.click("disp_Btn_Run");
        QTRY_VERIFY_WITH_TIMEOUT(f.text("label_left_tips") != before, 10000);
        const QString tip = f.text("label_left_tips");
        QVERIFY2(tip.startsWith("Data_Path:" + data), qPrintable(tip));
        files << tip.mid(10);
    }

    // The title bar's menu shows the viewer; the files dropped on the main window open in it.
    f.click("btnMenu_Menu");
    auto *menu = dialog.findChild<QMenu *>("language_menu");
    QVERIFY(menu);
    QAction *open = nullptr;
    for (QAction *action : menu->actions())
        if (action->text() == "打开记录的数据...")
            open = action;
    QVERIFY(open);
    open->trigger();
    menu->close();
    auto *viewer = dialog.findChild<review::RunViewer *>();
    QVERIFY(viewer);
    QTRY_VERIFY(viewer->isVisible());

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(files[0]), QUrl::fromLocalFile(files[1])});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &drop);

    auto *table = viewer->findChild<QTableWidget *>("review_tableSummary");
    QTRY_COMPARE_WITH_TIMEOUT(table->columnCount(), 2, 10000);
    QVERIFY(!viewer->isLoading());

    // Compare energy: one curve per file, named by it, spanning its run.
    auto *quantity = viewer->findChild<QComboBox *>("review_comboQuantity");
    quantity->setCurrentIndex(quantity->findText("电量 (Wh)"));
    QCOMPARE(quantity->currentText(), QString("电量 (Wh)"));
    auto *view = viewer->findChild<QtCharts::QChartView *>("review_chartView");
    const QList<QtCharts::QAbstractSeries *> series = view->chart()->series();
    QCOMPARE(series.size(), 2);

    for (int n = 0; n < 2; ++n) {
        const QString name = QFileInfo(files[n]).fileName();
        QCOMPARE(table->horizontalHeaderItem(n)->text(), name);
        QCOMPARE(series[n]->name(), name);
        const QVector<QStringList> rows = csvRows(files[n]);
        QVERIFY(rows.size() >= 10);
        const QVector<QPointF> &curve = viewer->findChild<review::RunChart *>()->points(n);
        QVERIFY(curve.size() >= 2);
        QVERIFY(std::abs(curve.last().y() - rows.last()[5].toDouble()) < 5e-4);
        const auto cell = [&](const char *caption) {
            const int row = rowOf(table, caption);
            return row < 0 ? QString("<no row %1>").arg(caption) : table->item(row, n)->text();
        };
        QCOMPARE(cell("样本数"), QString::number(rows.size()));
        // The instrument's counts as in the last row; the integral within 1 % of our own.
        QVERIFY(std::abs(cell("容量 (mAh)").toDouble() - rows.last()[6].toDouble()) < 5e-4);
        QVERIFY(std::abs(cell("电量 (Wh)").toDouble() - rows.last()[5].toDouble()) < 5e-4);
        const double reference = integratedWh(rows);
        QVERIFY2(reference > 0.005, qPrintable(QString::number(reference)));
        QVERIFY2(std::abs(cell("积分电量 V×I (Wh)").toDouble() - reference) <= 0.01 * reference,
                 qPrintable(cell("积分电量 V×I (Wh)") + " vs " + QString::number(reference)));
        QVERIFY(std::abs(cell("起始电压 (V)").toDouble() - rows.first()[1].toDouble()) < 5e-4);
    }
    // The exported table holds the same figures.
    const QByteArray csvText = viewer->summaryCsvText();
    QVERIFY(csvText.contains(QFileInfo(files[1]).fileName().toUtf8()));
    const QString capacity = table->item(rowOf(table, "容量 (mAh)"), 0)->text();
    QVERIFY(csvText.contains("容量 (mAh)," + capacity.toUtf8()));

    QCOMPARE(review::RunViewer::recentFiles(), QStringList({files[1], files[0]}));

    // A file with a damaged row opens nothing; the message names the file and the line.
    QByteArray damaged;
    {
        QFile good(files[0]);
        QVERIFY(good.open(QIODevice::ReadOnly));
        damaged = good.readAll();
    }
    damaged.insert(damaged.indexOf('\n', damaged.indexOf("\n20") + 1) + 1, "2026-01-01_00:00:0x\n");
    const QString bad = f.workDir.file("damaged.csv");
    QFile badFile(bad);
    QVERIFY(badFile.open(QIODevice::WriteOnly));
    badFile.write(damaged);
    badFile.close();
    viewer->openFiles({bad});
    auto *status = viewer->findChild<QLabel *>("review_labelStatus");
    QTRY_VERIFY_WITH_TIMEOUT(status->text().contains("damaged.csv"), 10000);
    QVERIFY2(status->text().endsWith(", 第 6 行: 应有 11 列, 实有 1 列"),
             qPrintable(status->text()));
    QCOMPARE(table->columnCount(), 2);
    auto *box = viewer->findChild<QMessageBox *>("review_problemBox");
    QVERIFY(box);
    QCOMPARE(box->text(), status->text());
    box->close();
    // Comparing another quantity succeeds: the red line about the damaged file goes.
    quantity->setCurrentIndex(0);
    QCOMPARE(status->text(), QString());
    // A later success reads in the usual colour: no red pixel is left in the line.
    viewer->openFiles({files[0]});
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), QString("已打开 3 个记录"), 10000);
    const QImage line = status->grab().toImage();
    for (int y = 0; y < line.height(); ++y)
        for (int x = 0; x < line.width(); ++x) {
            const QColor c = line.pixelColor(x, y);
            QVERIFY2(!(c.red() > 150 && c.green() < 90 && c.blue() < 90),
                     qPrintable(QString("red at %1,%2").arg(x).arg(y)));
        }
    // The open dialog starts in the data folder, where runs are saved.
    QString started;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&started] {
        if (auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            started = d->directory().absolutePath();
            d->reject();
        }
    });
    poll.start(10);
    viewer->findChild<QPushButton *>("review_btnOpen")->click();
    poll.stop();
    QCOMPARE(started, QFileInfo(data).absoluteFilePath());

    const QString shots = qEnvironmentVariable("REVIEW_SHOTS_DIR");
    if (!shots.isEmpty()) {
        viewer->resize(1366, 768);
        QApplication::processEvents();
        QVERIFY(viewer->grab().save(shots + "/review_compare.png"));
    }
}

QTEST_MAIN(TestReviewGui)
#include "tst_review_gui.moc"
