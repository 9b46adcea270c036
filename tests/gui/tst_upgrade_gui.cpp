// The firmware upgrade as a user runs it: choose a .bin file with the page's own button, start,
// and watch the simulated loader receive the image; failures, time-out and the file checks.

#include "tests/gui/gui_fixture.h"

#include "ui/firmware_page.h"
#include "settings/settings_file.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTimer>

namespace {

QByteArray imageOf(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + i / 256) & 0xFF);
    return bytes;
}

QString writeFile(const TempWorkDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.file(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(name));
    return file.fileName();
}

struct DialogSeen
{
    QString caption;
    QStringList filters;
};

// Answers the next file dialog with `path`; `vanish` removes the file once it is chosen.
DialogSeen *answerFileDialog(const QString &path, bool vanish = false)
{
    auto *seen = new DialogSeen;
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        // A complaint of the dialog itself (its file list still loading): dismiss and retry.
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            if (qobject_cast<QFileDialog *>(box->parentWidget()))
                box->button(QMessageBox::Ok)->click();
            return;
        }
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (!dialog)
            return;
        if (seen->caption.isEmpty()) {
            seen->caption = dialog->windowTitle();
            seen->filters = dialog->nameFilters();
            QObject::connect(dialog, &QDialog::accepted, [=] {
                timer->stop();
                timer->deleteLater();
                if (vanish)
                    QFile::remove(path);
            });
        }
        dialog->selectFile(path);
        if (auto *name = dialog->findChild<QLineEdit *>("fileNameEdit"))
            name->setText(path);                  // absolute, whatever folder the dialog shows
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog's own accept, as OK does
    });
    timer->start();
    return seen;
}

// Waits for the page's warning box, clicks its OK button and returns "title|text".
QString closeWarning(int timeoutMs = 5000)
{
    QMessageBox *box = nullptr;
    (void)QTest::qWaitFor(
        [&] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if ((box = qobject_cast<QMessageBox *>(w)) && box->isVisible())
                    return true;
            box = nullptr;
            return false;
        },
        timeoutMs);
    if (!box)
        return QString();
    const QString seen = box->windowTitle() + "|" + box->text();
    box->button(QMessageBox::Ok)->click();
    (void)QTest::qWaitFor([&] { return !QApplication::activeModalWidget(); }, 1000);
    return seen;
}

// Counts the bar's repaints while the page waits for the loader, asking for one meanwhile.
struct PaintsWhileEntering : QObject
{
    FirmwarePage *page;
    QWidget *bar;
    int count = 0;
    PaintsWhileEntering(FirmwarePage *p, QWidget *b) : page(p), bar(b)
    {
        bar->installEventFilter(this);
        QTimer::singleShot(100, bar, [b] { b->update(); });
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint &&
            page->transfer().state() == UpgradeTransfer::State::EnteringLoader)
            ++count;
        return false;
    }
};

} // namespace

class TestUpgradeGui : public QObject
{
    Q_OBJECT

    GuiFixture *f = nullptr;

    QStringList log() const
    {
        return f->w<QTextBrowser>("upgrade_text_log")->toPlainText().split('\n');
    }
    QString bar() const { return f->w<QProgressBar>("upgrade_progressBar_fw")->format(); }
    QPushButton *start() const { return f->w<QPushButton>("upgrade_pushButton_start"); }
    FirmwarePage *page() const { return f->w<FirmwarePage>("FirmwarePage"); }

    // The dialog up, the instrument found and the upgrade page open.
    void openUpgradePage(const QString &demo = QString())
    {
        f = new GuiFixture(demo);
        f->open();
        QVERIFY(f->waitForScanEnd());
        f->click("tbtn1");
        QCOMPARE(f->page(), 1);
    }
    void load(const QString &path)
    {
        answerFileDialog(path);
        f->click("upgrade_pushButton_openfile");
    }

private slots:
    void init() { FirmwarePage::setLoaderEntryWaitMs(100); }
    void cleanup()
    {
        delete f;
        f = nullptr;
    }

    void loaderReceivesTheImageByteForByte()
    {
        openUpgradePage();
        f->bus->setProgrammingSeconds(0.3);
        const QByteArray image = imageOf(10000);
        const QString path = writeFile(f->workDir, "fw.bin", image);
        DialogSeen *seen = answerFileDialog(path);
        f->click("upgrade_pushButton_openfile");
        QCOMPARE(seen->caption, QString("打开固件文件"));
        QCOMPARE(seen->filters, QStringList{"BIN文件(*.bin)"});
        delete seen;
        QCOMPARE(f->w<QLineEdit>("upgrade_lineEdit_filename")->text(), path);
        QCOMPARE(f->text("upgrade_label_fwsizevalue"), QString("固件大小:9.8KB   10000字节"));
        QCOMPARE(SettingsFile().read("file_path"), path);
        QVERIFY(start()->isEnabled());
        QCOMPARE(log().mid(log().size() - 2), (QStringList{"打开文件...", "读取文件完成..."}));

        // During the loader's entry wait timers run and the window paints.
        FirmwarePage::setLoaderEntryWaitMs(400);
        PaintsWhileEntering paints(page(), f->w<QProgressBar>("upgrade_progressBar_fw"));
        f->bus->clearWrittenReports();
        start()->click();
        QVERIFY(paints.count > 0);
        QTRY_COMPARE_WITH_TIMEOUT(bar(), QString("当前进度为：100.0%"), 15000);
        QCOMPARE(f->bus->loaderImage(), image);
        QCOMPARE(f->w<QProgressBar>("upgrade_progressBar_fw")->value(), 100);
        QCOMPARE(start()->text(), QString("开始下载"));
        QVERIFY(!start()->isEnabled());

        const QStringList lines = log();
        QCOMPARE(lines.mid(0, 3),
                 (QStringList{"开始连接设备...", "握手成功...", "开始传输固件..."}));
        const int done = lines.indexOf("传输完成...");
        QVERIFY(done > 0);
        QVERIFY(QRegularExpression("^传输耗时\\d+秒$").match(lines.value(done + 1)).hasMatch());
        QVERIFY(QRegularExpression("^\\d+(\\.\\d\\d)?(KB/秒|字节/秒)$")
                    .match(lines.value(done + 2))
                    .hasMatch());
        QCOMPARE(lines.mid(done + 3, 1), QStringList{"请等待设备烧写完成..."});
        QCOMPARE(lines.mid(lines.size() - 2), (QStringList{"烧写完成...", "本次下载结束"}));

        // On the wire: the entry frame first, then 0x55 and the first 63 bytes of each packet.
        const QVector<QByteArray> wire = f->bus->writtenReports();
        const QByteArray entry = QByteArray::fromHex("55050902000000eeff");
        int entryAt = -1, handshakeAt = -1, packets = 0;
        for (int i = 0; i < wire.size(); ++i) {
            QCOMPARE(wire[i].size(), 64);
            if (wire[i].startsWith(QByteArray::fromHex("550509020000")) && entryAt < 0)
                entryAt = i;
            if (wire[i].startsWith(QByteArray::fromHex("55aa07")))
                handshakeAt = i;
            if (wire[i].startsWith(QByteArray::fromHex("55cc"))) {
                const int k = quint8(wire[i][3]) | quint8(wire[i][4]) << 8;
                QCOMPARE(k, packets++);
                if (quint8(wire[i][2]) == 0x40)
                    QCOMPARE(wire[i].mid(5, 58), image.mid(58 * k, 58));
            }
        }
        QVERIFY(entryAt >= 0 && entryAt < handshakeAt);
        QVERIFY(wire[entryAt].startsWith(entry));
        QCOMPARE(packets, 173); // one per acknowledgement, none repeated
    }

    void imageFileChecks_data()
    {
        QTest::addColumn<int>("size"); // -1: the file vanishes once chosen
        QTest::addColumn<QString>("sizeLabel");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("largest") << 1024000 << "固件大小:1000.0KB   1024000字节"
                                 << ""
                                 << "读取文件完成...";
        QTest::newRow("example") << 100000 << "固件大小:97.7KB   100000字节"
                                 << ""
                                 << "读取文件完成...";
        QTest::newRow("small") << 1000 << "固件大小:1000字节"
                               << ""
                               << "读取文件完成...";
        QTest::newRow("one byte too many") << 1024001 << ""
                                           << "错误|固件过大,请选择正确的固件"
                                           << "固件过大,请选择正确的固件";
        QTest::newRow("empty") << 0 << ""
                               << "错误|空的固件"
                               << "固件是空的";
        QTest::newRow("unreadable") << -1 << ""
                                    << "error|打开文件失败"
                                    << "打开文件失败";
    }
    void imageFileChecks()
    {
        QFETCH(int, size);
        QFETCH(QString, sizeLabel);
        QFETCH(QString, box);
        QFETCH(QString, logLine);
        openUpgradePage();
        const QString path = writeFile(f->workDir, "fw.bin", imageOf(std::max(size, 1)).left(size));
        answerFileDialog(path, size < 0);
        f->click("upgrade_pushButton_openfile");
        QCOMPARE(closeWarning(box.isEmpty() ? 300 : 5000), box);
        QCOMPARE(f->text("upgrade_label_fwsizevalue"), sizeLabel);
        QCOMPARE(start()->isEnabled(), box.isEmpty());
        QCOMPARE(log().last(), logLine);
        QCOMPARE(SettingsFile().read("file_path"), box.isEmpty() ? path : QString());
    }

    void loaderFailingAtAPacketShowsTheFailureBox()
    {
        openUpgradePage();
        sim::SimulatedBus::Faults faults;
        faults.loaderFails = true;
        faults.loaderFailAtPacket = 7;
        f->bus->setFaults(faults);
        load(writeFile(f->workDir, "fw.bin", imageOf(2000)));
        start()->click();
        QCOMPARE(closeWarning(), QString("error|更新失败"));
        QCOMPARE(start()->text(), QString("正在下载"));
        QVERIFY(!start()->isEnabled());
        QCOMPARE(f->bus->loaderImage().size(), 7 * 58);
        QVERIFY(!bar().contains("100"));
        QVERIFY(f->w<QPushButton>("upgrade_pushButton_openfile")->isEnabled());
        load(writeFile(f->workDir, "fw2.bin", imageOf(100))); // a new image re-arms the start
        QVERIFY(start()->isEnabled());
    }

    void silentLoaderEndsInTheTimeOutBox()
    {
        openUpgradePage();
        sim::SimulatedBus::Faults faults;
        faults.loaderSilent = true;
        f->bus->setFaults(faults);
        load(writeFile(f->workDir, "fw.bin", imageOf(500)));
        QElapsedTimer clock;
        clock.start();
        start()->click();
        QCOMPARE(closeWarning(20000), QString("错误|USB更新失败,超时"));
        QVERIFY2(clock.elapsed() >= 11900, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(page()->transfer().state(), UpgradeTransfer::State::TimedOut);
        QCOMPARE(f->bus->loaderImage().size(), 0);
    }

    void leavingThePageDoesNotStopTheUpgrade()
    {
        openUpgradePage("fullspeed=1");
        const QByteArray image = imageOf(20000);
        load(writeFile(f->workDir, "fw.bin", image));
        start()->click();
        QTRY_VERIFY(page()->transfer().packetIndex() > 20);
        f->click("upgrade_btnReturn");
        QCOMPARE(f->page(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(page()->transfer().state(), UpgradeTransfer::State::Finished,
                                  15000);
        QCOMPARE(f->bus->loaderImage(), image);
        QCOMPARE(bar(), QString("当前进度为：100.0%"));

        // Coming back shows the finished upgrade, not a fresh "loading" at 0 %.
        f->click("tbtn1");
        QCOMPARE(f->page(), 1);
        QCOMPARE(bar(), QString("当前进度为：100.0%"));
        QCOMPARE(f->w<QProgressBar>("upgrade_progressBar_fw")->value(), 100);
        // A new image starts a fresh bar.
        load(writeFile(f->workDir, "fw2.bin", imageOf(100)));
        QCOMPARE(bar(), QString("loading"));
        QCOMPARE(f->w<QProgressBar>("upgrade_progressBar_fw")->value(), 0);
    }

    // Unplugged while the upgrade waits for the loader (no packet write left to fail): the
    // failure box comes with the log's disconnection line, long before the 12 s time-out.
    void unplugEndsTheTransferAtOnce()
    {
        openUpgradePage();
        sim::SimulatedBus::Faults faults;
        faults.loaderSilent = true;
        f->bus->setFaults(faults);
        load(writeFile(f->workDir, "fw.bin", imageOf(500)));
        start()->click();
        QTRY_COMPARE(page()->transfer().state(), UpgradeTransfer::State::WaitingForHandshake);
        QElapsedTimer clock;
        clock.start();
        f->bus->unplug();
        QCOMPARE(closeWarning(20000), QString("error|更新失败"));
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(page()->transfer().state(), UpgradeTransfer::State::DeviceLost);
        QVERIFY(log().contains("设备已断开"));
        QVERIFY(f->w<QPushButton>("upgrade_pushButton_openfile")->isEnabled());
    }
};

QTEST_MAIN(TestUpgradeGui)
#include "tst_upgrade_gui.moc"
