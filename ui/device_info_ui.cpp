#include "ui/device_info_ui.h"

#include "ui/pages_log.h"
#include "ui_DeviceInfoUI.h"

#include <QCoreApplication>

#include <QEvent>
#include <QMouseEvent>

namespace ui {

namespace {

// The item's texts, in the catalogue context its form uses.
QString trItem(const char *text)
{
    return QCoreApplication::translate("DeviceInfoUI", text);
}

const char *const TickStyle = "QPushButton{border-image: url(:/sys/rs/rs/img/Tick.png);} "
                              "QToolTip{background-color: rgb(84, 84, 84);}";
const char *const UnTickStyle = "QPushButton{border-image: url(:/sys/rs/rs/img/UnTick.png);} "
                                "QToolTip{background-color: rgb(84, 84, 84);}";

// A set value, even an empty one, is not null: null marks "never set" below.
QString kept(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace

DeviceInfoUI::DeviceInfoUI(QWidget *parent) : QWidget(parent), ui(new ::Ui::DeviceInfoUI)
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
    QString style;
    switch (state) {
    case Idle:
        style = QStringLiteral("background-color: rgb(156, 156, 0);");
        break;
    case Error:
        style = QStringLiteral("background-color: rgb(68, 68, 68);");
        break;
    case Connected:
        style = QStringLiteral("background-color: rgb(16, 157, 56);");
        break;
    default:
        return;
    }
    m_state = state;
    m_stateSet = true;
    showStateText();
    ui->widget_background->setStyleSheet(style);
}

void DeviceInfoUI::showStateText()
{
    if (!m_stateSet)
        return;
    const char *const texts[] = {QT_TRANSLATE_NOOP("DeviceInfoUI", "空闲"),
                                 QT_TRANSLATE_NOOP("DeviceInfoUI", "错误"),
                                 QT_TRANSLATE_NOOP("DeviceInfoUI", "连接")};
    ui->label_connect_type->setText(trItem(texts[m_state]));
}

void DeviceInfoUI::showTickToolTip()
{
    ui->btn_Tick->setToolTip(m_ticked ? trItem("点击图标移出设备") : trItem("点击图标添加设备"));
}

void DeviceInfoUI::markTicked()
{
    m_ticked = true;
    showTickToolTip();
    ui->btn_Tick->setStyleSheet(QLatin1String(TickStyle));
}

void DeviceInfoUI::markUnticked()
{
    m_ticked = false;
    showTickToolTip();
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
    event->accept();
    if (m_doubleClicked) { // the second click of a double-click was taken as one choice
        m_doubleClicked = false;
        return;
    }
    qCDebug(lcUi) << "鼠标单击";
    on_btn_Tick_clicked();
}

void DeviceInfoUI::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    m_doubleClicked = false; // a new click
}

// A double-click chooses the instrument, whatever the first of its clicks did to the tick.
void DeviceInfoUI::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    m_doubleClicked = true;
    if (!m_ticked)
        on_btn_Tick_clicked();
}

void DeviceInfoUI::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        qCDebug(lcUi) << "语言改变了";
        ui->retranslateUi(this);
        // The form's texts are placeholders: what this item shows comes back in the new language.
        showStateText();
        showTickToolTip();
        showValues();
    }
    QWidget::changeEvent(event);
}

void DeviceInfoUI::showValues()
{
    const QPair<QLabel *, const QString *> values[] = {{ui->label_model_value, &m_model},
                                                       {ui->label_version_value, &m_version},
                                                       {ui->label_type_value, &m_manufacturer},
                                                       {ui->label_index_value, &m_indexText},
                                                       {ui->label_serial_value, &m_serial}};
    for (const auto &value : values)
        if (!value.second->isNull())
            value.first->setText(*value.second);
    // The tick shows a picture only; it is named by the instrument it selects, so that every
    // row's tick has a name of its own.
    ui->btn_Tick->setAccessibleName(
        QStringList{m_indexText, m_model, m_serial}.join(' ').simplified());
}

void DeviceInfoUI::setModel(const QString &model)
{
    m_model = kept(model);
    showValues();
}

void DeviceInfoUI::setVersion(const QString &version)
{
    if (!version.isEmpty()) {
        m_version = version;
        showValues();
    }
}

void DeviceInfoUI::setManufacturer(const QString &manufacturer)
{
    m_manufacturer = kept(manufacturer);
    showValues();
}

void DeviceInfoUI::setIndexText(const QString &text)
{
    m_indexText = kept(text);
    showValues();
}

void DeviceInfoUI::setSerial(const QString &serial)
{
    // The row shows the serial's first six characters; the whole serial is one hover away, so
    // that instruments whose serials share a beginning can be told apart.
    m_serial = kept(serial.left(6));
    ui->label_serial_value->setToolTip(serial);
    showValues();
}

} // namespace ui
