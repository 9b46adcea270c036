#include "chart/curve_styles.h"

#include "settings/settings_file.h"

const CurveKeys kCurveKeys[8] = {
    {"VBUS_col", "VBUS_lw", QT_TRANSLATE_NOOP("CurvePanel", "VOLT"), "VOLTAGE"},
    {"IBUS_col", "IBUS_lw", QT_TRANSLATE_NOOP("CurvePanel", "CURR"), "CURRENT"},
    {"POWER_col", "POWER_lw", QT_TRANSLATE_NOOP("CurvePanel", "POWER"), "POWER"},
    {"PD_col", "PD_lw", QT_TRANSLATE_NOOP("CurvePanel", "ELE"), "ELE"},
    {"PM_col", "PM_lw", QT_TRANSLATE_NOOP("CurvePanel", "CAP"), "CAP"},
    {"CC1_col", "CC1_lw", QT_TRANSLATE_NOOP("CurvePanel", "CPU_Temp"), "CPU_T"},
    {"CC2_col", "CC2_lw", QT_TRANSLATE_NOOP("CurvePanel", "NTC_Temp"), "NTC_T"},
    {"CPU_Temp_col", "CPU_Temp_lw", QT_TRANSLATE_NOOP("CurvePanel", "MOS_Temp"), "MOS_T"},
};

QColor colorFromKeyText(const QString &text)
{
    bool ok = false;
    const uint argb = text.toUInt(&ok, 16);
    if (!ok)
        return QColor(Qt::black);
    return QColor::fromRgb(QRgb(argb) | 0xff000000u);
}

QString colorKeyText(const QColor &color)
{
    return QString::number(color.rgb() | 0xff000000u, 16).rightJustified(8, '0');
}

qreal widthFromKeyText(const QString &text)
{
    bool ok = false;
    const double width = text.toDouble(&ok);
    return ok && width > 0 ? width : 0;
}

QString widthKeyText(qreal width)
{
    return QString::number(width, 'f', 1);
}

CurveStyle readCurveStyle(int entry)
{
    const SettingsFile settings;
    return {colorFromKeyText(settings.read(kCurveKeys[entry].colorKey)),
            widthFromKeyText(settings.read(kCurveKeys[entry].widthKey))};
}

QVector<CurveStyle> loadCurveStyles()
{
    QVector<CurveStyle> styles(kCurveStyleCount);
    for (int entry = 0; entry < 8; ++entry)
        styles[entry] = readCurveStyle(entry);
    return styles;
}

QPen curvePen(const CurveStyle &style)
{
    return QPen(QBrush(style.color), style.width, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
}

const QStringList &chartThemeNames()
{
    static const QStringList names = {"Light",   "BlueCerulean", "Dark",   "BrownSand",
                                      "BlueNcs", "HighContrast", "BlueIcy"};
    return names;
}

QtCharts::QChart::ChartTheme chartThemeFromName(const QString &name)
{
    const int index = chartThemeNames().indexOf(name);
    return QtCharts::QChart::ChartTheme(qMax(0, index));
}
