// The firmware upgrade as a user runs it: choose a .bin file with the page's own button, start,
// and watch the simulated loader receive the image; failures, time-out and the file checks.

#include "tests/gui/gui_fixture.h"
#include "tests/support/firmware_image.h"

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

// Answers the next question box with `answer`; returns its text once asked.
std::shared_ptr<QString> answerQuestion(QMessageBox::StandardButton answer)
{
    auto asked = std::make_shared<QString>();
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [=] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box->icon() != QMessageBox::Question)
            return;
        *asked = box->windowTitle() + "|" + box->text();
        timer->stop();
        timer->deleteLater();
        box->button(answer)->click();
    });
    timer->start();
    return asked;
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
    // The start button, and Yes to its question.
    void confirmStart()
    {
        answerQuestion(QMessageBox::Yes);
        start()->click();
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
        const QByteArray image = firmwareImageOf(10000);
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
        confirmStart();
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
        QTest::addColumn<int>("size");        // -1: the file vanishes once chosen
        QTest::addColumn<QByteArray>("head"); // over the image's first bytes
        QTest::addColumn<QString>("sizeLabel");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("largest") << 1024000 << QByteArray() << "固件大小:1000.0KB   1024000字节"
                                 << ""
                                 << "读取文件完成...";
        QTest::newRow("example") << 100000 << QByteArray() << "固件大小:97.7KB   100000字节"
                                 << ""
                                 << "读取文件完成...";
        QTest::newRow("small") << 1000 << QByteArray() << "固件大小:1000字节"
                               << ""
                               << "读取文件完成...";
        QTest::newRow("one byte too many") << 1024001 << QByteArray() << ""
                                           << "错误|固件过大,请选择正确的固件"
                                           << "固件过大,请选择正确的固件";
        QTest::newRow("empty") << 0 << QByteArray() << ""
                               << "错误|空的固件"
                               << "固件是空的";
        QTest::newRow("unreadable") << -1 << QByteArray() << ""
                                    << "error|打开文件失败"
                                    << "打开文件失败";
        // Not an image for this microcontroller: refused before anything is sent.
        const QString notOurs = "错误|这不是本仪器的固件：";
        QTest::newRow("text file renamed .bin")
            << 15 << QByteArray("hello, world!\r\n") << ""
            << notOurs + "初始栈指针 0x6c6c6568 不在内存中"
            << "这不是本仪器的固件：初始栈指针 0x6c6c6568 不在内存中";
        QTest::newRow("shorter than a vector table")
            << 7 << QByteArray() << "" << notOurs + "文件太短，没有向量表"
            << "这不是本仪器的固件：文件太短，没有向量表";
        QTest::newRow("stack pointer not word-aligned")
            << 1000 << QByteArray::fromHex("02500020") << ""
            << notOurs + "初始栈指针 0x20005002 不在内存中"
            << "这不是本仪器的固件：初始栈指针 0x20005002 不在内存中";
        QTest::newRow("stack at the top of RAM")
            << 1000 << QByteArray::fromHex("00001020") << "固件大小:1000字节"
            << ""
            << "读取文件完成...";
        QTest::newRow("reset address even (not Thumb)")
            << 1000 << QByteArray::fromHex("0050002044410008") << ""
            << notOurs + "复位地址 0x08004144 不是闪存中的 Thumb 代码"
            << "这不是本仪器的固件：复位地址 0x08004144 不是闪存中的 Thumb 代码";
        QTest::newRow("reset address past flash")
            << 1000 << QByteArray::fromHex("0050002001002008") << ""
            << notOurs + "复位地址 0x08200001 不是闪存中的 Thumb 代码"
            << "这不是本仪器的固件：复位地址 0x08200001 不是闪存中的 Thumb 代码";
    }
    void imageFileChecks()
    {
        QFETCH(int, size);
        QFETCH(QByteArray, head);
        QFETCH(QString, sizeLabel);
        QFETCH(QString, box);
        QFETCH(QString, logLine);
        openUpgradePage();
        QByteArray image = firmwareImageOf(std::max(size, 1)).left(size);
        image.replace(0, head.size(), head);
        const QString path = writeFile(f->workDir, "fw.bin", image);
        answerFileDialog(path, size < 0);
        f->click("upgrade_pushButton_openfile");
        QCOMPARE(closeWarning(box.isEmpty() ? 300 : 5000), box);
        QCOMPARE(f->text("upgrade_label_fwsizevalue"), sizeLabel);
        QCOMPARE(start()->isEnabled(), box.isEmpty());
        QCOMPARE(log().last(), logLine);
        QCOMPARE(SettingsFile().read("file_path"), box.isEmpty() ? path : QString());
    }

    // The start asks once, naming the file, its size and the instrument; No sends nothing at all.
    void startAsksBeforeAnythingIsSent_data()
    {
        QTest::addColumn<QString>("demo");
        QTest::addColumn<QString>("instrument");
        QTest::newRow("HK09, another version") << "HK09;version=V2.3.1"
                                               << "HK09 仪器（当前版本 V2.3.1）";
    }
    void startAsksBeforeAnythingIsSent()
    {
        QFETCH(QString, demo);
        QFETCH(QString, instrument);
        openUpgradePage(demo);
        load(writeFile(f->workDir, "new-firmware.bin", firmwareImageOf(3000)));
        f->bus->clearWrittenReports();
        auto asked = answerQuestion(QMessageBox::No);
        start()->click();
        QCOMPARE(*asked, "固件升级|将固件 new-firmware.bin（3000 字节）写入 " + instrument +
                             "？写入期间请勿断开仪器。");
        QCOMPARE(log().last(), QString("升级已取消"));
        QTest::qWait(300); // what a start would have sent by now
        for (const QByteArray &report : f->bus->writtenReports())
            QVERIFY2(!report.startsWith(QByteArray::fromHex("550509")) &&
                         !report.startsWith(QByteArray::fromHex("55aa")),
                     report.toHex().constData());
        QCOMPARE(page()->transfer().state(), UpgradeTransfer::State::Idle);
        QVERIFY(start()->isEnabled());

        asked = answerQuestion(QMessageBox::Yes); // asked once more, and this time it goes
        start()->click();
        QVERIFY(!asked->isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(bar(), QString("当前进度为：100.0%"), 15000);
        QCOMPARE(f->bus->loaderImage(), firmwareImageOf(3000));
    }

    void loaderFailingAtAPacketShowsTheFailureBox()
    {
        openUpgradePage();
        sim::SimulatedBus::Faults faults;
        faults.loaderFails = true;
        faults.loaderFailAtPacket = 7;
        f->bus->setFaults(faults);
        load(writeFile(f->workDir, "fw.bin", firmwareImageOf(2000)));
        confirmStart();
        QCOMPARE(closeWarning(), QString("error|更新失败"));
        QCOMPARE(start()->text(), QString("正在下载"));
        QVERIFY(!start()->isEnabled());
        QCOMPARE(f->bus->loaderImage().size(), 7 * 58);
        QVERIFY(!bar().contains("100"));
        QVERIFY(f->w<QPushButton>("upgrade_pushButton_openfile")->isEnabled());
        load(writeFile(f->workDir, "fw2.bin",
                       firmwareImageOf(100))); // a new image re-arms the start
        QVERIFY(start()->isEnabled());
    }

    void silentLoaderEndsInTheTimeOutBox()
    {
        openUpgradePage();
        sim::SimulatedBus::Faults faults;
        faults.loaderSilent = true;
        f->bus->setFaults(faults);
        load(writeFile(f->workDir, "fw.bin", firmwareImageOf(500)));
        QElapsedTimer clock;
        clock.start();
        confirmStart();
        QCOMPARE(closeWarning(20000), QString("错误|USB更新失败,超时"));
        QVERIFY2(clock.elapsed() >= 11900, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(page()->transfer().state(), UpgradeTransfer::State::TimedOut);
        QCOMPARE(f->bus->loaderImage().size(), 0);
    }

    void leavingThePageDoesNotStopTheUpgrade()
    {
        openUpgradePage("fullspeed=1");
        const QByteArray image = firmwareImageOf(20000);
        load(writeFile(f->workDir, "fw.bin", image));
        confirmStart();
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
        load(writeFile(f->workDir, "fw2.bin", firmwareImageOf(100)));
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
        load(writeFile(f->workDir, "fw.bin", firmwareImageOf(500)));
        confirmStart();
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
