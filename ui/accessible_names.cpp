#include "accessible_names.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#define NAME(object, text)                                                                         \
    {                                                                                              \
        object, QT_TRANSLATE_NOOP("AccessibleNames", text)                                         \
    }

const QVector<AccessibleName> kTitleBarNames = {
    NAME("btnMenu_Menu", "菜单"),
    NAME("btnMenu_Min", "最小化"),
    NAME("btnMenu_Max", "最大化"),
    NAME("btnMenu_Close", "关闭"),
};

const QVector<AccessibleName> kDisplayPageNames = {
    NAME("disp_btnReturn", "返回主页"),
    NAME("disp_btnSysSet", "仪表设置"),
    NAME("disp_btnUpgrade", "固件升级"),
    NAME("disp_Btn_Run", "运行/停止"),
    NAME("disp_btn_menu", "图表菜单"),
    NAME("disp_btn_title", "图表标题"),
    NAME("disp_btn_temp", "温度曲线"),
    NAME("disp_btn_dp_dm", "电量/容量曲线"),
    NAME("disp_btn_cc1_cc2", "CPU/NTC温度曲线"),
    NAME("disp_btn_RangCustom", "自定义曲线范围"),
    NAME("lineEdit_value", "设定值"),
    NAME("lineEdit_value_zero_v", "电池放完电压"),
    NAME("lineEdit_value_lilitime_h", "限时放电小时"),
    NAME("lineEdit_value_limitime_m", "限时放电分钟"),
    NAME("lineEdit_value_full_v", "电池充满电压"),
    NAME("lineEdit_value_full_a", "电池充满电流"),
    NAME("disp_label_VOL", "电压"),
    NAME("disp_label_CUR", "电流"),
    NAME("disp_label_POW", "功率"),
    NAME("disp_label_RES", "电阻"),
    NAME("disp_label_ELE", "电量"),
    NAME("disp_label_CAP", "容量"),
    NAME("disp_label_CPU_VALUE", "CPU温度"),
    NAME("disp_label_NTC_VALUE", "探头温度"),
    NAME("disp_label_FANT_VALUE", "放电管温度"),
    NAME("disp_label_FANS_VALUE", "风扇转速"),
    NAME("label_left_tips", "数据文件"),
};

const QVector<AccessibleName> kPopupNames = {
    NAME("Btn1", "返回"),  NAME("Btn2", "继续上一轮放电"), NAME("Btn3", "清除数据并开始新一轮放电"),
    NAME("Btnok", "确认"), NAME("lab_count", "倒计时"),    NAME("lab_Tips", "电池设置警告"),
};

#undef NAME

AccessibleNamer::AccessibleNamer(QWidget *root, const QVector<AccessibleName> &names)
    : QObject(root), m_root(root), m_names(names)
{
    root->installEventFilter(this);
    apply();
}

void AccessibleNamer::apply()
{
    for (const AccessibleName &n : qAsConst(m_names)) {
        auto *w = m_root->objectName() == QLatin1String(n.object)
                      ? m_root
                      : m_root->findChild<QWidget *>(QLatin1String(n.object));
        if (w)
            w->setAccessibleName(QCoreApplication::translate("AccessibleNames", n.name));
    }
}

bool AccessibleNamer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_root && event->type() == QEvent::LanguageChange)
        apply();
    return QObject::eventFilter(watched, event);
}
