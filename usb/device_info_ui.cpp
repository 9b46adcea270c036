#include "device_info_ui.h"

#include "ui_DeviceInfoUI.h"
#include "usb_log.h"

#include <QEvent>
#include <QMouseEvent>

namespace {

const char *const TickStyle = "QPushButton{border-image: url(:/sys/rs/rs/img/Tick.png);} "
                              "QToolTip{background-color: rgb(84, 84, 84);}";
const char *const UnTickStyle = "QPushButton{border-image: url(:/sys/rs/rs/img/UnTick.png);} "
                                "QToolTip{background-color: rgb(84, 84, 84);}";

} // namespace

DeviceInfoUI::DeviceInfoUI(QWidget *parent) : QWidget(parent), ui(new Ui::DeviceInfoUI)
{
    ui->setupUi(this);
    // Lets the item's own style sheet paint its rounded dark panel.
    setAttribute(Qt::WA_StyledBackground, true);
    ui->widget_background->setAttribute(Qt::WA_StyledBackground, true);
    ui->widget_background->setStyleSheet(
        QStringLiteral("background-color: rgb(54, 131, 59);border-radius:4px;"));
    ui->btn_Tick->setStyleSheet(QLatin1String(UnTickStyle));
}

DeviceInfoUI::~DeviceInfoUI()
{
    delete ui;
}

void DeviceInfoUI::setState(quint8 state)
{
    QString text;
    QString style;
    switch (state) {
    case Idle:
        text = tr("空闲");
        style = QStringLiteral("background-color: rgb(156, 156, 0);");
        break;
    case Error:
        text = tr("错误");
        style = QStringLiteral("background-color: rgb(68, 68, 68);");
        break;
    case Connected:
        text = tr("连接");
        style = QStringLiteral("background-color: rgb(16, 157, 56);");
        break;
    default:
        return;
    }
    m_state = state;
    ui->label_connect_type->setText(text);
    ui->widget_background->setStyleSheet(style);
}

void DeviceInfoUI::markTicked()
{
    m_ticked = true;
    ui->btn_Tick->setToolTip(tr("点击图标移出设备"));
    ui->btn_Tick->setStyleSheet(QLatin1String(TickStyle));
}

void DeviceInfoUI::markUnticked()
{
    m_ticked = false;
    ui->btn_Tick->setToolTip(tr("点击图标添加设备"));
    ui->btn_Tick->setStyleSheet(QLatin1String(UnTickStyle));
}

void DeviceInfoUI::on_btn_Tick_clicked()
{
    if (m_ticked)
        markUnticked();
    else
        markTicked();
    emit TickShow_Signal(this);
}

void DeviceInfoUI::mouseReleaseEvent(QMouseEvent *event)
{
    // Releases on the button never arrive here: the button takes them.
    qCDebug(lcUsb) << "鼠标单击";
    on_btn_Tick_clicked();
    event->accept();
}

void DeviceInfoUI::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        qCDebug(lcUsb) << "语言改变了";
        ui->retranslateUi(this);
    }
    QWidget::changeEvent(event);
}

void DeviceInfoUI::setModel(const QString &model)
{
    ui->label_model_value->setText(model);
}

void DeviceInfoUI::setVersion(const QString &version)
{
    if (!version.isEmpty())
        ui->label_version_value->setText(version);
}

void DeviceInfoUI::setManufacturer(const QString &manufacturer)
{
    ui->label_type_value->setText(manufacturer);
}

void DeviceInfoUI::setIndexText(const QString &text)
{
    ui->label_index_value->setText(text);
}

void DeviceInfoUI::setSerial(const QString &serial)
{
    ui->label_serial_value->setText(serial.left(6));
}
