#include "chart/axis_range_panel.h"

#include "settings/settings_file.h"
#include "ui_AxisRangePanel.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <cmath>
#include <optional>

namespace {

struct RowKeys
{
    const char *name; // object names edit_<name>_Min, edit_<name>_Max, btn_<name>
    const char *minKey;
    const char *maxKey;
    const char *enabledKey;
    double bottom;
    double top;
    int decimals;
};

const RowKeys kRowKeys[AxisRangePanel::kRows] = {
    {"VBUS", "Vbus_Min_Value", "Vbus_Max_Value", "VbusIsOpen", 0, 1000, 2},
    {"IBUS", "Ibus_Min_Value", "Ibus_Max_Value", "IbusIsOpen", -100, 100, 2},
    {"POWER", "Powe_Min_Value", "Powe_Max_Value", "PoweIsOpen", 0, 100000, 2},
    {"PD", "PD_Min_Value", "PD_Max_Value", "PDIsOpen", 0, 100000, 2},
    {"PM", "PM_Min_Value", "PM_Max_Value", "PMIsOpen", 0, 1000000, 2},
    {"CC1", "CC1_Min_Value", "CC1_Max_Value", "CC1IsOpen", -100, 200, 2},
    {"CC2", "CC2_Min_Value", "CC2_Max_Value", "CC2IsOpen", -100, 200, 2},
    {"CPU", "CPU_Min_Value", "CPU_Max_Value", "CPUIsOpen", -100, 200, 1},
};

const char kEnabledStyle[] =
    "QPushButton{background-color:rgb(62, 62, 62); color: rgb(217, 102, 255);border:2px groove "
    "green;border-radius:10px;padding:2px 4px;border-style: outset;} "
    "QPushButton:hover{background-color:rgb(62, 62, 62); color: rgb(217, 102, 255);border:2px "
    "groove green;border-radius:10px;padding:2px 4px;border-style: "
    "outset;}QPushButton:pressed{background-color:rgb(0, 255, 0);border-style: inset;}";
const char kDisabledStyle[] =
    "QPushButton{background-color: rgb(62, 62, 62);border-radius: 5px;color: rgb(255, 255, "
    "255);border:2px groove gray;border-radius:10px;padding:2px 4px;border-style: outset;} "
    "QPushButton:hover{background-color:rgb(62, 62, 62); color: rgb(217, 102, 255);border:2px "
    "groove green;border-radius:10px;padding:2px 4px;border-style: "
    "outset;}QPushButton:pressed{background-color:rgb(0, 255, 0);border-style: inset;}";

float readFloat(const SettingsFile &settings, const char *key)
{
    return settings.read(key).toFloat(); // missing or not a number: 0
}

// A bound as the row's fields show it and the settings file keeps it: to the row's decimals.
QString boundText(double value, const RowKeys &keys)
{
    return QString::number(value, 'f', keys.decimals);
}

// `value` brought into the row's range and kept to the decimals the row shows.
float keptBound(double value, const RowKeys &keys)
{
    return boundText(qBound(keys.bottom, value, keys.top), keys).toFloat();
}

// A bound as typed: a number with a '.' inside the row's range, kept to the decimals the row
// shows so that the field shows exactly what is applied. Empty when the row cannot take it.
std::optional<float> parseBound(const QString &text, const RowKeys &keys)
{
    bool ok = false;
    const double value = text.toDouble(&ok); // the C locale, whatever the desktop's
    if (!ok || !std::isfinite(value) || value < keys.bottom || value > keys.top)
        return std::nullopt;
    return keptBound(value, keys);
}

} // namespace

AxisRangePanel::AxisRangePanel(QWidget *parent)
    : QWidget(parent), ui(new Ui::AxisRangePanel)
{
    ui->setupUi(this);
    // Laid over the chart: it paints its own background so no curve shows through.
    setAttribute(Qt::WA_StyledBackground);
    setAutoFillBackground(true);
    // Return confirms the field it is typed in; inside the dialog no button may take it.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    const SettingsFile settings;
    for (int row = 0; row < kRows; ++row) {
        const RowKeys &keys = kRowKeys[row];
        m_rows[size_t(row)] = {settings.read(keys.enabledKey).toInt() != 0,
                               readFloat(settings, keys.minKey), readFloat(settings, keys.maxKey)};
        showRowState(row);
    }
    applyAccessibleNames();
}

AxisRangePanel::~AxisRangePanel()
{
    delete ui;
}

UserRange AxisRangePanel::range(int row) const
{
    return row >= 0 && row < kRows ? m_rows[size_t(row)] : UserRange{};
}

QLineEdit *AxisRangePanel::edit(int row, bool maximum) const
{
    return findChild<QLineEdit *>(
        QString("edit_%1_%2").arg(kRowKeys[row].name, maximum ? "Max" : "Min"));
}

QPushButton *AxisRangePanel::button(int row) const
{
    return findChild<QPushButton *>(QString("btn_%1").arg(kRowKeys[row].name));
}

void AxisRangePanel::showRowState(int row)
{
    const UserRange &r = m_rows[size_t(row)];
    edit(row, false)->setText(boundText(double(r.min), kRowKeys[row]));
    edit(row, true)->setText(boundText(double(r.max), kRowKeys[row]));
    showToggle(row);
}

void AxisRangePanel::showToggle(int row)
{
    const bool enabled = m_rows[size_t(row)].enabled;
    button(row)->setText(enabled ? tr("启用") : tr("关闭"));
    button(row)->setStyleSheet(enabled ? kEnabledStyle : kDisabledStyle);
}

void AxisRangePanel::applyAccessibleNames()
{
    const QString labels[kRows] = {ui->label_VBUS->text(),  ui->label_IBUS->text(),
                                   ui->label_POWER->text(), ui->label_PD->text(),
                                   ui->label_PM->text(),    ui->label_CC1->text(),
                                   ui->label_CC2->text(),   ui->label_CPU->text()};
    for (int row = 0; row < kRows; ++row) {
        edit(row, false)->setAccessibleName(labels[row] + " " + tr("最小值"));
        edit(row, true)->setAccessibleName(labels[row] + " " + tr("最大值"));
        button(row)->setAccessibleName(labels[row] + " " + tr("当前状态"));
    }
}

void AxisRangePanel::editBound(int row, bool maximum)
{
    if (QApplication::activePopupWidget())
        return; // a menu opened over the field: the user is still typing
    const RowKeys &keys = kRowKeys[row];
    UserRange &r = m_rows[size_t(row)];
    float &bound = maximum ? r.max : r.min;
    QLineEdit *field = edit(row, maximum);
    const QString typed = field->text().trimmed();
    // The field always shows the bound in force: the new one, or the old one after a refusal.
    const QString shown = boundText(double(bound), keys);
    field->setText(shown);
    if (typed == shown)
        return;
    const std::optional<float> value = parseBound(typed, keys);
    if (!value) {
        bool number = false;
        typed.toDouble(&number);
        refuse(number ? tr("<font color='red'>请输入 %1 到 %2 之间的数值！</font>")
                            .arg(keys.bottom, 0, 'f', 0)
                            .arg(keys.top, 0, 'f', 0)
                      : QCoreApplication::translate(
                            "MainDialog", "<font color='red'>文本框含有非法字符，请重新输入！</font>"));
        return;
    }
    // An empty or inverted range would leave the axis where it was: refused as it is typed.
    if (maximum ? !(*value > r.min) : !(*value < r.max)) {
        refuse(tr("<font color='red'>最小值必须小于最大值，请重新输入！</font>"));
        return;
    }
    bound = *value;
    field->setText(boundText(double(bound), keys));
    storeBound(row, maximum);
    if (r.enabled)
        emit rangesChanged();
}

void AxisRangePanel::refuse(const QString &text)
{
    QMessageBox::information(window(), QCoreApplication::translate("MainDialog", "提示"), text,
                             QMessageBox::Ok);
}

void AxisRangePanel::storeBound(int row, bool maximum)
{
    const RowKeys &keys = kRowKeys[row];
    const float bound = maximum ? m_rows[size_t(row)].max : m_rows[size_t(row)].min;
    const QString text = boundText(double(bound), keys);
    const char *key = maximum ? keys.maxKey : keys.minKey;
    if (SettingsFile().read(key) != text)
        SettingsFile().write(key, text);
}

void AxisRangePanel::toggleRow(int row)
{
    UserRange &r = m_rows[size_t(row)];
    r.enabled = !r.enabled;
    if (r.enabled && !(r.min < r.max) && m_rangeInUse) {
        const RowKeys &keys = kRowKeys[row];
        const auto [low, high] = m_rangeInUse(row);
        const float min = keptBound(low, keys);
        const float max = keptBound(high, keys);
        if (min < max) {
            r.min = min;
            r.max = max;
            storeBound(row, false);
            storeBound(row, true);
            showRowState(row);
        }
    }
    showToggle(row);
    SettingsFile().write(kRowKeys[row].enabledKey, r.enabled ? "1" : "0");
    emit rangesChanged();
}

void AxisRangePanel::on_btn_CLOS_SET_clicked()
{
    hide();
}

void AxisRangePanel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        for (int row = 0; row < kRows; ++row)
            showRowState(row);
        applyAccessibleNames();
    }
    QWidget::changeEvent(event);
}
