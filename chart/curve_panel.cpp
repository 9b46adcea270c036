#include "chart/curve_panel.h"

#include "chart/chart_log.h"
#include "chart/curve_styles.h"
#include "chart/live_chart.h"
#include "settings/settings_file.h"
#include "ui_curvepanel.h"

#include <QColorDialog>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>

namespace {

const char kOkStyle[] =
    "QPushButton{background-color: rgb(126, 236, 236);color: black;border:2px groove "
    "gray;border-radius:10px;padding:2px 4px;border-style: outset;} "
    "QPushButton:hover{background-color:rgb(126, 255, 206); color: black;} "
    "QPushButton:pressed{background-color:rgb(0, 255, 0);border-style: inset;}";

const QStringList kWidthTexts = {"0.5", "1.0", "1.5", "2.0", "2.5", "3.0"};

using ColorSlot = void (CurvePanel::*)();
using WidthSlot = void (CurvePanel::*)(int);
const ColorSlot kColorSlots[8] = {&CurvePanel::onBtn_1_Slot, &CurvePanel::onBtn_2_Slot,
                                  &CurvePanel::onBtn_3_Slot, &CurvePanel::onBtn_4_Slot,
                                  &CurvePanel::onBtn_5_Slot, &CurvePanel::onBtn_6_Slot,
                                  &CurvePanel::onBtn_7_Slot, &CurvePanel::onBtn_8_Slot};
const WidthSlot kWidthSlots[8] = {&CurvePanel::onCBox_1_Slot, &CurvePanel::onCBox_2_Slot,
                                  &CurvePanel::onCBox_3_Slot, &CurvePanel::onCBox_4_Slot,
                                  &CurvePanel::onCBox_5_Slot, &CurvePanel::onCBox_6_Slot,
                                  &CurvePanel::onCBox_7_Slot, &CurvePanel::onCBox_8_Slot};

QString swatchStyle(const QColor &color)
{
    return QString("background:rgb(%1,%2,%3)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue());
}

} // namespace

CurvePanel::CurvePanel(LiveChart &chart, QWidget *dialogParent, QWidget *area)
    : QWidget(area), ui(new Ui::CurvePanel), m_chart(chart), m_dialogParent(dialogParent)
{
    ui->setupUi(this);
    build();
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false); // Return in the dialog clicks none of the panel's buttons
}

CurvePanel::~CurvePanel()
{
    delete ui;
}

CurvePanel *CurvePanel::openOver(QPointer<CurvePanel> &current, LiveChart &chart,
                                 QWidget *dialogParent, QWidget *area)
{
    delete current.data();
    auto *panel = new CurvePanel(chart, dialogParent, area);
    current = panel;
    panel->m_open = true;
    const int dx = (area->width() - panel->width()) / 2;
    const int dy = (area->height() - panel->height()) / 2;
    qCDebug(lcChart) << "X:" << dx;
    qCDebug(lcChart) << "Y:" << dy;
    panel->setGeometry(dx - 100, dy - 100, 320, 330);
    panel->show();
    panel->raise();
    return panel;
}

QWidget *CurvePanel::centred(QWidget *inner)
{
    auto *container = new QWidget;
    auto *layout = new QHBoxLayout(container);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(inner, 0, Qt::AlignHCenter | Qt::AlignVCenter);
    return container;
}

void CurvePanel::build()
{
    QTableWidget *table = ui->curve_table;
    table->setSpan(9, 0, 1, 3);

    auto *ok = new QPushButton;
    m_okButton = ok;
    ok->setObjectName("curve_ok");
    ok->setStyleSheet(kOkStyle);
    connect(ok, &QPushButton::clicked, this, &CurvePanel::onBtn_close_Slot);
    table->setCellWidget(9, 0, centred(ok));

    const SettingsFile settings;
    for (int entry = 0; entry < 8; ++entry) {
        // The colour is read again from the file; the pens stay as they are.
        const QColor color = colorFromKeyText(settings.read(kCurveKeys[entry].colorKey));
        m_chart.setStoredCurveColor(entry, color);
        auto *button = new QPushButton;
        button->setObjectName(QString("curve_color_%1").arg(entry + 1));
        button->setStyleSheet(swatchStyle(color));
        connect(button, &QPushButton::clicked, this, kColorSlots[entry]);
        m_colorButtons[size_t(entry)] = button;
        table->setCellWidget(entry, 1, centred(button));

        auto *box = new QComboBox;
        box->setObjectName(QString("curve_width_%1").arg(entry + 1));
        box->addItems(kWidthTexts);
        box->setCurrentIndex(
            qMax(0, kWidthTexts.indexOf(settings.read(kCurveKeys[entry].widthKey))));
        m_widthBoxes[size_t(entry)] = box;
        table->setCellWidget(entry, 2, centred(box));
    }
    m_themeBox = new QComboBox;
    m_themeBox->setObjectName("curve_theme");
    m_themeBox->addItems(chartThemeNames());
    m_themeBox->setCurrentIndex(qMax(0, chartThemeNames().indexOf(settings.read("ChartTheme"))));
    table->setCellWidget(8, 1, centred(m_themeBox));

    // Connected only now, so that selecting the stored items changes nothing.
    for (int entry = 0; entry < 8; ++entry)
        connect(m_widthBoxes[size_t(entry)], QOverload<int>::of(&QComboBox::currentIndexChanged),
                this, kWidthSlots[entry]);
    connect(m_themeBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CurvePanel::onCBox_9_Slot);

    applyTexts();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setMinimumSectionSize(100);
    // Rows keep a fixed height that lets all ten fit the panel's 330 px without scrolling.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(28);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void CurvePanel::applyTexts()
{
    m_okButton->setText(tr("确定"));
    for (int entry = 0; entry < 8; ++entry) {
        const QString label = tr(kCurveKeys[entry].rowLabel);
        m_colorButtons[size_t(entry)]->setAccessibleName(label + " " + tr("曲线颜色"));
        m_widthBoxes[size_t(entry)]->setAccessibleName(label + " " + tr("曲线宽度"));
    }
    m_themeBox->setAccessibleName(tr("背景颜色风格："));
}

void CurvePanel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        applyTexts();
    }
    QWidget::changeEvent(event);
}

void CurvePanel::chooseColor(int entry)
{
    const QColor current = m_chart.curveStyles()[entry].color;
    QColor chosen = QColorDialog::getColor(current, m_dialogParent, QString());
    if (!chosen.isValid())
        chosen = current;
    m_colorButtons[size_t(entry)]->setStyleSheet(swatchStyle(chosen));
    m_chart.setCurveColor(entry, chosen);
    m_chart.colourAxesForView();
    SettingsFile().write(kCurveKeys[entry].colorKey, colorKeyText(chosen));
}

void CurvePanel::chooseWidth(int entry, int index)
{
    if (index < 0 || index >= kWidthTexts.size())
        return;
    const qreal width = 0.5 * (index + 1);
    m_chart.setCurveWidth(entry, width);
    SettingsFile().write(kCurveKeys[entry].widthKey, widthKeyText(width));
}

void CurvePanel::onCBox_9_Slot(int linew)
{
    if (linew >= 0 && linew < chartThemeNames().size()) {
        m_chart.setTheme(QtCharts::QChart::ChartTheme(linew));
        SettingsFile().write("ChartTheme", chartThemeNames().at(linew));
    }
}

void CurvePanel::onBtn_close_Slot()
{
    if (!m_open)
        return;
    m_open = false;
    hide();
}
