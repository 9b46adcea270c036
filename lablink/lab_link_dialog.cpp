#include "lablink/lab_link_dialog.h"

#include "lablink/link_texts.h"
#include "lablink/mqtt_session.h"
#include "ui_LabLinkDialog.h"

#include <QFileDialog>
#include <QPushButton>
#include <QThread>

namespace lablink {

LabLinkDialog::LabLinkDialog(const LinkSettings &s, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::LabLinkDialog>()), m_shown(s)
{
    ui->setupUi(this);
    ui->lablink_enabled->setChecked(s.enabled);
    ui->lablink_host->setText(s.host);
    ui->lablink_port->setValue(s.port);
    ui->lablink_tls->setChecked(s.tls);
    ui->lablink_ca->setText(s.caFile);
    ui->lablink_user->setText(s.user);
    ui->lablink_password->setText(s.password);
    ui->lablink_prefix->setText(s.prefix);
    ui->lablink_discovery->setChecked(s.discovery);
    followTls(s.tls);
    connect(ui->lablink_tls, &QCheckBox::toggled, this, &LabLinkDialog::followTls);
    connect(ui->lablink_ca_browse, &QPushButton::clicked, this, &LabLinkDialog::browseCaFile);
    connect(ui->lablink_test, &QPushButton::clicked, this, &LabLinkDialog::testConnection);
    connect(ui->lablink_buttons, &QDialogButtonBox::accepted, this, &LabLinkDialog::accept);
    connect(ui->lablink_buttons, &QDialogButtonBox::rejected, this, &LabLinkDialog::reject);
}

LabLinkDialog::~LabLinkDialog() = default; // a test still running ends on its own

LinkSettings LabLinkDialog::settings() const
{
    LinkSettings s = m_shown;
    s.enabled = ui->lablink_enabled->isChecked();
    s.host = ui->lablink_host->text().trimmed();
    s.port = ui->lablink_port->value();
    s.tls = ui->lablink_tls->isChecked();
    s.caFile = s.tls ? ui->lablink_ca->text().trimmed() : QString();
    s.user = ui->lablink_user->text();
    s.password = ui->lablink_password->text();
    s.prefix = ui->lablink_prefix->text().trimmed();
    s.discovery = ui->lablink_discovery->isChecked();
    return s;
}

void LabLinkDialog::followTls(bool tls)
{
    ui->lablink_ca->setEnabled(tls);
    ui->lablink_ca_browse->setEnabled(tls);
    // The usual port follows the choice unless another one was typed.
    if (tls && ui->lablink_port->value() == LinkSettings::kPlainPort)
        ui->lablink_port->setValue(LinkSettings::kTlsPort);
    else if (!tls && ui->lablink_port->value() == LinkSettings::kTlsPort)
        ui->lablink_port->setValue(LinkSettings::kPlainPort);
}

void LabLinkDialog::browseCaFile()
{
    const QString file = QFileDialog::getOpenFileName(
        this, tr("CA证书文件"), ui->lablink_ca->text(), tr("证书 (*.pem *.crt);;所有文件 (*)"));
    if (!file.isEmpty())
        ui->lablink_ca->setText(file);
}

void LabLinkDialog::testConnection()
{
    if (m_test)
        return;
    ui->lablink_test->setEnabled(false);
    ui->lablink_test_result->setText(tr("正在连接……"));
    auto answer = std::make_shared<QString>();
    const LinkSettings s = settings();
    // Not the dialog's child: closing the dialog never waits for the network. The thread
    // deletes itself when done; the answer reaches the dialog only while it is open.
    m_test = QThread::create([s, answer] { *answer = probeBroker(s, kTestTimeoutMs); });
    connect(m_test, &QThread::finished, m_test, &QObject::deleteLater);
    connect(m_test, &QThread::finished, this, [this, answer] {
        ui->lablink_test_result->setText(
            answer->isEmpty() ? tr("连接成功") : tr("连接失败: %1").arg(reasonText(*answer)));
        ui->lablink_test->setEnabled(true);
        m_test = nullptr;
    });
    m_test->start();
}

void LabLinkDialog::accept()
{
    QString error;
    if (!saveLinkSettings(settings(), &error)) {
        ui->lablink_test_result->setText(tr("设置未保存: %1").arg(error));
        return;
    }
    QDialog::accept();
}

} // namespace lablink
