#include "ui/firmware_page.h"

#include "ui/catalogue_text.h"
#include "ui/lazy_form.h"
#include "usb/device_link.h"
#include "ui/pages_log.h"
#include "settings/settings_file.h"
#include "ui_FirmwarePage.h"
#include "usb/connection_watcher.h"

#include "protocol/upgrade_packets.h"

#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <QFileInfo>

namespace {
int loaderEntryWaitMs = 3000;
constexpr int kTickMs = 100;
constexpr qint64 kBarPeriodMs = 100;
const char *const kConnectedStyle =
    "border-image:url(:/sys/rs/rs/usb_connect.png) 0 0 0 0 stretch stretch;";
const char *const kDisconnectedStyle =
    "border-image:url(:/sys/rs/rs/usb_disconnect.png) 0 0 0 0 stretch stretch;";

QString sizeText(qint64 bytes)
{
    if (bytes > 1024)
        return QStringLiteral("固件大小:%1KB   %2字节").arg(bytes / 1024.0, 0, 'f', 1).arg(bytes);
    return QStringLiteral("固件大小:%1字节").arg(bytes);
}
} // namespace

FirmwarePage::FirmwarePage(QWidget *parent) : QWidget(parent)
{
    // Runs on whichever thread hands the transfer a reply: a short write ends it before the
    // next packet is counted, whoever shows the box.
    m_transfer = new UpgradeTransfer(
        [this](const unsigned char *packet, int length) {
            if (m_watcher && !m_watcher->writeReport(packet, length))
                m_transfer->writeFailed();
        },
        this);
    connect(m_transfer, &UpgradeTransfer::logCleared, this, [this] {
        m_pendingLog.clear();
        if (ui)
            ui->upgrade_text_log->clear();
    });
    connect(m_transfer, &UpgradeTransfer::logLine, this, &FirmwarePage::log);
    connect(m_transfer, &UpgradeTransfer::progressChanged, this, &FirmwarePage::showProgress);
    m_barTimer = new QTimer(this);
    m_barTimer->setSingleShot(true);
    connect(m_barTimer, &QTimer::timeout, this, &FirmwarePage::paintProgress);
    m_sinceBarPainted.start();
    connect(m_transfer, &UpgradeTransfer::activeChanged, this, [this](bool active) {
        form().upgrade_pushButton_openfile->setEnabled(!active);
        if (!m_upgradeTimer)
            return;
        if (active) {
            // A coarse timer may run up to 5 % early: 120 ticks must not end before 12 s.
            m_upgradeTimer->setTimerType(Qt::PreciseTimer);
            m_upgradeTimer->start(kTickMs);
        } else
            m_upgradeTimer->stop();
    });
    connect(m_transfer, &UpgradeTransfer::stateChanged, this, &FirmwarePage::showState);
}

Ui::FirmwarePage &FirmwarePage::form()
{
    if (ui)
        return *ui;
    ui = new Ui::FirmwarePage;
    ui->setupUi(this);
    ui->upgrade_pushButton_openfile->setIcon(QIcon(":/sys/rs/rs/folder.png"));
    ui->upgrade_pushButton_openfile->setEnabled(!m_transfer->isActive());
    connect(ui->upgrade_btnReturn, &QAbstractButton::clicked, this, &FirmwarePage::returnRequested);
    if (!m_deviceName.isNull())
        ui->upgrade_label_devvalue->setText(m_deviceName);
    if (m_connected)
        ui->upgrade_label_connect->setStyleSheet(*m_connected ? kConnectedStyle
                                                              : kDisconnectedStyle);
    for (const QString &line : qAsConst(m_pendingLog))
        ui->upgrade_text_log->append(line);
    m_pendingLog.clear();
    ui::showBuiltForm(this);
    return *ui;
}

void FirmwarePage::showEvent(QShowEvent *event)
{
    form();
    QWidget::showEvent(event);
}

void FirmwarePage::log(const QString &line)
{
    if (ui)
        ui->upgrade_text_log->append(line);
    else
        m_pendingLog << line;
}

FirmwarePage::~FirmwarePage()
{
    if (m_watcher)
        m_watcher->setReportHandler({});
    delete ui;
}

void FirmwarePage::attach(ConnectionWatcher *watcher, QTimer *upgradeTimer, DeviceLink *link)
{
    m_watcher = watcher;
    m_upgradeTimer = upgradeTimer;
    m_link = link;
    // Acknowledgements are answered on the watcher thread, where they are read; every other
    // reply reaches handleReport through the dialog, in the order read.
    UpgradeTransfer *transfer = m_transfer;
    watcher->setReportHandler([transfer](const unsigned char *report, int length) {
        return transfer->answerAcknowledgement(report, length);
    });
}

void FirmwarePage::setLoaderEntryWaitMs(int ms)
{
    loaderEntryWaitMs = std::max(0, ms);
}

QLabel *FirmwarePage::titleLabel()
{
    return form().upgrade_labTitle;
}

QAbstractButton *FirmwarePage::returnButton()
{
    return form().upgrade_btnReturn;
}

// The bar follows the transfer at most ten times a second: a repaint per step of its text would
// hold up the acknowledgements waiting behind it. The start and the end show at once.
void FirmwarePage::showProgress(int value, const QString &text)
{
    m_barValue = value;
    if (!text.isEmpty())
        m_barText = text;
    const qint64 since = m_sinceBarPainted.elapsed();
    if (text.isEmpty() || value >= 100 || since >= kBarPeriodMs)
        paintProgress();
    else if (!m_barTimer->isActive())
        m_barTimer->start(int(kBarPeriodMs - since));
}

void FirmwarePage::paintProgress()
{
    m_barTimer->stop();
    m_sinceBarPainted.restart();
    QProgressBar *bar = form().upgrade_progressBar_fw;
    bar->setValue(m_barValue);
    if (!m_barText.isEmpty())
        bar->setFormat(m_barText);
    m_barText.clear();
}

void FirmwarePage::prepareProgress()
{
    // A transfer that ran (or runs) keeps showing how far it came; the bar starts afresh with
    // the next image.
    if (m_transfer->state() != UpgradeTransfer::State::Idle)
        return;
    m_barTimer->stop();
    m_barText.clear();
    QProgressBar *bar = form().upgrade_progressBar_fw;
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setOrientation(Qt::Horizontal);
    bar->setAlignment(Qt::AlignCenter);
    bar->setFormat("loading");
    bar->setTextVisible(true);
}

void FirmwarePage::showDeviceName(const QString &name)
{
    m_deviceName = name;
    if (ui)
        ui->upgrade_label_devvalue->setText(name);
}

void FirmwarePage::noteConnected(const QString &name)
{
    log(tr("设备已连接"));
    log(tr("设备名称:") + name);
}

void FirmwarePage::noteDisconnected()
{
    log(tr("设备已断开"));
}

void FirmwarePage::showConnection(bool connected)
{
    m_connected = connected;
    if (ui)
        ui->upgrade_label_connect->setStyleSheet(connected ? kConnectedStyle : kDisconnectedStyle);
    if (!connected)
        m_transfer->deviceLost(); // its failure box at once, not after the time-out
}

void FirmwarePage::on_upgrade_pushButton_openfile_clicked()
{
    if (m_transfer->isActive())
        return; // the image of a running upgrade stays as it is
    log(tr("打开文件..."));
    const QString lastFilePath = SettingsFile().read("file_path");
    const QString name =
        QFileDialog::getOpenFileName(this, tr("打开固件文件"), lastFilePath, tr("BIN文件(*.bin)"));
    qCDebug(lcUi) << "文件名:  " << name;
    if (!name.isEmpty())
        loadImage(name);
}

void FirmwarePage::loadImage(const QString &name)
{
    if (m_transfer->isActive())
        return;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        refuseFile(tr("error"), tr("打开文件失败"), tr("打开文件失败"));
        return;
    }
    if (file.size() > proto::kMaxFirmwareSize) {
        refuseFile(tr("错误"), tr("固件过大,请选择正确的固件"), tr("固件过大,请选择正确的固件"));
        return;
    }
    if (file.size() == 0) {
        refuseFile(tr("错误"), tr("空的固件"), tr("固件是空的"));
        return;
    }
    const QByteArray image = file.readAll();
    if (image.size() != file.size()) {
        refuseFile(tr("error"), tr("打开文件失败"), tr("打开文件失败"));
        return;
    }
    // An image that does not start like this instrument's firmware would leave it unusable.
    const QString wrong = imageProblem(proto::checkFirmwareImage(image));
    if (!wrong.isEmpty()) {
        refuseFile(tr("错误"), wrong, wrong);
        return;
    }
    if (!m_transfer->setImage(image)) {
        refuseFile(tr("error"), tr("打开文件失败"), tr("打开文件失败"));
        return;
    }
    form().upgrade_lineEdit_filename->setText(name);
    SettingsFile().write("file_path", name);
    ui->upgrade_label_fwsizevalue->setText(sizeText(image.size()));
    setStartText(QStringLiteral("开始下载"));
    log(QStringLiteral("读取文件完成..."));
    prepareProgress();
    file.close();
    if (m_watcher && m_watcher->isDeviceOpen())
        ui->upgrade_pushButton_start->setEnabled(true);
}

void FirmwarePage::refuseFile(const QString &title, const QString &box, const QString &logLine)
{
    warn(title, box);
    log(logLine);
}

QString FirmwarePage::imageProblem(const proto::ImageCheck &check)
{
    const QString word = QStringLiteral("0x%1").arg(check.word, 8, 16, QLatin1Char('0'));
    switch (check.verdict) {
    case proto::ImageCheck::NoVectorTable:
        return tr("这不是本仪器的固件：文件太短，没有向量表");
    case proto::ImageCheck::StackNotInRam:
        return tr("这不是本仪器的固件：初始栈指针 %1 不在内存中").arg(word);
    case proto::ImageCheck::ResetNotThumbInFlash:
        return tr("这不是本仪器的固件：复位地址 %1 不是闪存中的 Thumb 代码").arg(word);
    default:
        return QString(); // size and emptiness are told before the file is read
    }
}

bool FirmwarePage::confirmUpgrade()
{
    const QStringList words = m_link ? m_link->productString().split(' ') : QStringList();
    const QString question =
        tr("将固件 %1（%2 字节）写入 %3 仪器（当前版本 %4）？写入期间请勿断开仪器。")
            .arg(QFileInfo(form().upgrade_lineEdit_filename->text()).fileName())
            .arg(m_transfer->image().size())
            .arg(words.value(1), words.value(2));
    QMessageBox box(QMessageBox::Question, tr("固件升级"), question,
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() == QMessageBox::Yes)
        return true;
    log(tr("升级已取消"));
    return false;
}

void FirmwarePage::on_upgrade_pushButton_start_clicked()
{
    if (m_transfer->isActive() || m_transfer->image().isEmpty())
        return;
    if (confirmUpgrade())
        beginUpgrade();
}

void FirmwarePage::beginUpgrade()
{
    if (m_transfer->isActive() || m_transfer->image().isEmpty())
        return;
    m_transfer->enterLoader();
    if (m_link) { // one poll tick at once, carrying the upgrade-entry frame
        m_link->setPollMode(DeviceLink::UpgradeEntryPoll);
        m_link->pollTick();
    }
    QPointer<FirmwarePage> alive(this);
    waitForLoader();
    if (alive)
        m_transfer->begin();
}

// The instrument needs its time to restart into the loader. The window keeps painting meanwhile;
// clicks and keys wait until the handshake has gone out, as they would behind a blocking wait.
void FirmwarePage::waitForLoader()
{
    QEventLoop loop;
    QTimer::singleShot(loaderEntryWaitMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void FirmwarePage::handleReport(const QByteArray &report)
{
    m_transfer->handleReport(reinterpret_cast<const uint8_t *>(report.constData()), report.size());
}

void FirmwarePage::tick()
{
    m_transfer->tick();
}

void FirmwarePage::writeFailed()
{
    warn("错误", "USB发送数据异常");
    m_transfer->writeFailed();
}

void FirmwarePage::showState(UpgradeTransfer::State state)
{
    using State = UpgradeTransfer::State;
    Ui::FirmwarePage &page = form();
    switch (state) {
    case State::EnteringLoader:
        page.upgrade_pushButton_start->setEnabled(false);
        page.upgrade_pushButton_openfile->setEnabled(false); // back once the upgrade has ended
        break;
    case State::WaitingForHandshake:
        setStartText(QStringLiteral("正在下载"));
        page.upgrade_pushButton_start->setEnabled(false);
        break;
    case State::Finished:
        setStartText(QString());
        break;
    case State::Failed:
    case State::DeviceLost:
        warn(tr("error"), tr("更新失败"));
        break;
    case State::TimedOut:
        warn("错误", "USB更新失败,超时");
        break;
    case State::Idle:
    case State::Transferring:
    case State::WaitingForProgramming:
    case State::WriteFailed: // its box comes with the write error itself
        break;
    }
}

// An empty text means the translated form text.
void FirmwarePage::setStartText(const QString &fixedText)
{
    m_startText = fixedText;
    form().upgrade_pushButton_start->setText(fixedText.isEmpty() ? tr("开始下载") : fixedText);
}

// Modal for the user, yet the transfer's replies and ticks carry on behind it, and whoever closes
// it (a user or a test) is not stuck inside a nested event loop.
void FirmwarePage::warn(const QString &title, const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
}

void FirmwarePage::changeEvent(QEvent *event)
{
    // A form not yet built is built in the language then in use.
    if (event->type() == QEvent::LanguageChange && ui) {
        ui->retranslateUi(this);
        ui::showCatalogueTexts(this); // the title the page was opened with
        setStartText(m_startText);
    }
    QWidget::changeEvent(event);
}
