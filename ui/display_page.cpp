#include "ui/display_page.h"

#include "ui/caption_fit.h"
#include "ui/catalogue_text.h"
#include "ui/battery_test_popup.h"
#include "protocol/display_texts.h"
#include "usb/frame_sender.h"
#include "ui/input_confirm.h"
#include "chart/live_chart.h"
#include "ui/page_geometry.h"
#include "ui/pages_log.h"
#include "protocol/report_parser.h"
#include "protocol/settings_values.h"
#include "protocol/vocabulary.h"
#include "ui_DisplayPage.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {
// The page's texts are the main dialog's, so they share its catalogue context.
QString trDialog(const char *text)
{
    return QCoreApplication::translate("MainDialog", text);
}

enum class InputKind
{
    Float,
    Hours,
    Minutes
};
// One row per input: what it sends when confirmed, and which reading it shows otherwise.
struct InputRule
{
    QLineEdit *ui::Ui::DisplayPage::*edit;
    InputKind kind;
    void (usb::InstrumentCommands::*sendNumber)(float); // for InputKind::Float
    QString DisplayTexts::*shown;
    const proto::NumberField *field; // a Float's; none: the work mode's set-point
};

proto::TimeUnit timeUnit(InputKind kind)
{
    return kind == InputKind::Hours ? proto::TimeUnit::Hours : proto::TimeUnit::Minutes;
}
using Form = ui::Ui::DisplayPage;
using Commands = usb::InstrumentCommands;
const InputRule kInputs[] = {
    {&Form::lineEdit_value, InputKind::Float, &Commands::setPoint, &DisplayTexts::setPoint,
     nullptr},
    {&Form::lineEdit_value_zero_v, InputKind::Float, &Commands::dischargeStopVoltage,
     &DisplayTexts::dischargeStopVoltage, &proto::kVoltageLimitField},
    {&Form::lineEdit_value_full_v, InputKind::Float, &Commands::chargeStopVoltage,
     &DisplayTexts::chargeStopVoltage, &proto::kVoltageLimitField},
    {&Form::lineEdit_value_full_a, InputKind::Float, &Commands::chargeStopCurrent,
     &DisplayTexts::chargeStopCurrent, &proto::kCurrentLimitField},
    {&Form::lineEdit_value_lilitime_h, InputKind::Hours, nullptr, &DisplayTexts::limitHours,
     nullptr},
    {&Form::lineEdit_value_limitime_m, InputKind::Minutes, nullptr, &DisplayTexts::limitMinutes,
     nullptr},
};

// The value labels and the reading each shows.
struct ValueLabel
{
    QLabel *ui::Ui::DisplayPage::*label;
    QString DisplayTexts::*shown;
};
const ValueLabel kValues[] = {
    {&Form::disp_label_VOL, &DisplayTexts::voltage},
    {&Form::disp_label_CUR, &DisplayTexts::current},
    {&Form::disp_label_POW, &DisplayTexts::power},
    {&Form::disp_label_RES, &DisplayTexts::resistance},
    {&Form::disp_label_ELE, &DisplayTexts::energy},
    {&Form::disp_label_CAP, &DisplayTexts::capacity},
    {&Form::disp_label_CPU_VALUE, &DisplayTexts::cpuTemp},
    {&Form::disp_label_NTC_VALUE, &DisplayTexts::ntcTemp},
    {&Form::disp_label_FANT_VALUE, &DisplayTexts::mosTemp},
    {&Form::disp_label_FANS_VALUE, &DisplayTexts::fanSpeed},
};

// The page's live labels: the refresh writes them, so caption fitting leaves them alone.
const QStringList kLiveLabels = {
    "disp_label_VOL",        "disp_label_CUR",       "disp_label_POW",
    "disp_label_RES",        "disp_label_ELE",       "disp_label_CAP",
    "disp_label_CPU_VALUE",  "disp_label_NTC_VALUE", "disp_label_FANT_VALUE",
    "disp_label_FANS_VALUE", "disp_labTitle",        "disp_labDeviceTitle",
    "label_left_tips",       "label_cons",           "label_unit",
    "disp_label_WH",         "disp_label_mAh"};

const QVector<PageStretcher::Rule> kStretchRules = {
    // The four value panels share the extra width of a wide window between them.
    {"disp_widget_VBUS", Stretch::Share, 0, 4},
    {"disp_widget_IBUS", Stretch::Share, 1, 4},
    {"disp_widget_Power", Stretch::Share, 2, 4},
    {"disp_widget_USB", Stretch::Share, 3, 4},
    {"widget", Stretch::Grow},
    {"gridLayoutWidget", Stretch::Grow},
    {"label_left_tips", Stretch::GrowWidthFollowY},
    {"disp_labTitle", Stretch::CentreX},
    {"disp_btn_title", Stretch::CentreX},
    {"disp_btnSysSet", Stretch::FollowRight},
    {"disp_btnUpgrade", Stretch::FollowRight},
    {"disp_label_tip_3", Stretch::FollowRight},
    {"disp_label_tip_2", Stretch::FollowRight},
    {"disp_btn_temp", Stretch::FollowRight},
    {"disp_btn_dp_dm", Stretch::FollowRight},
    {"disp_btn_cc1_cc2", Stretch::FollowRight},
    {"disp_btn_RangCustom", Stretch::FollowRight},
};

// The run button's texts, one rule for every place that shows them: a battery mode starts and
// stops a test, the others a discharge.
const char *runText(bool battery, bool on)
{
    if (battery)
        return on ? QT_TRANSLATE_NOOP("MainDialog", "停止")
                  : QT_TRANSLATE_NOOP("MainDialog", "开始");
    return on ? QT_TRANSLATE_NOOP("MainDialog", "停止放电")
              : QT_TRANSLATE_NOOP("MainDialog", "开始放电");
}
const char *runTip(bool battery, bool on)
{
    if (battery)
        return on ? QT_TRANSLATE_NOOP("MainDialog", "单击停止")
                  : QT_TRANSLATE_NOOP("MainDialog", "单击开始");
    return on ? QT_TRANSLATE_NOOP("MainDialog", "单击停止放电")
              : QT_TRANSLATE_NOOP("MainDialog", "单击开始放电");
}
} // namespace

namespace ui {

DisplayPage::DisplayPage(QWidget *parent) : QWidget(parent), m_statusLine(nullptr) {}

void DisplayPage::setVisible(bool visible)
{
    // Before the show, so that the new contents are shown with the page.
    if (visible)
        ensureContents();
    QWidget::setVisible(visible);
}

void DisplayPage::ensureContents() const
{
    if (!m_ui)
        const_cast<DisplayPage *>(this)->buildContents();
}

// What was shown while the page had no contents is shown again once it has them, in the order
// it came.
void DisplayPage::buildContents()
{
    // The form sets the design size; a page built late keeps the place the stack gave it.
    const QRect placed = geometry();
    const bool wasPlaced = testAttribute(Qt::WA_Resized);
    m_ui = std::make_unique<Ui::DisplayPage>();
    m_ui->setupUi(this);
    m_statusLine.setLabel(m_ui->label_left_tips);
    m_ui->disp_btn_menu->setIcon(QIcon(QPixmap(":/sys/rs/rs/menu.png").scaled(200, 200)));
    // Before the first reading the values show zeros in the formats the readings will have.
    const DisplayTexts zero = displayTexts(proto::LiveValues{}, 1);
    for (const ValueLabel &v : kValues)
        (m_ui.get()->*v.label)->setText(zero.*v.shown);

    setRangePanel(nullptr);
    new PageStretcher(this, kPageDesignSize, kStretchRules, kChartShrink);
    new CaptionFitter(this, kLiveLabels);
    connectControls();
    if (wasPlaced)
        setGeometry(placed);

    if (m_fullChargeShown)
        setFullChargeShown(*m_fullChargeShown);
    if (!m_deviceTitle.isNull())
        m_ui->disp_labDeviceTitle->setText(m_deviceTitle);
    if (m_chartTitle)
        m_ui->disp_btn_title->setText(*m_chartTitle);
    if (m_titleUnshown)
        ui::setCatalogueText(m_ui->disp_labTitle, "MainDialog", m_titleUnshown);
    if (m_captionUnshown.first) {
        ui::setCatalogueText(m_ui->label_cons, "MainDialog", m_captionUnshown.first);
        ui::setCatalogueText(m_ui->label_unit, "MainDialog", m_captionUnshown.second);
    }
    if (m_liveUnshown)
        showLive(m_liveUnshown->first, m_liveUnshown->second);
    if (m_runTextUnshown)
        showRunText(m_runTextUnshown);
    if (m_runTip)
        m_ui->disp_Btn_Run->setToolTip(trDialog(m_runTip));
    m_titleUnshown = nullptr;
    m_captionUnshown = {};
    m_liveUnshown.reset();
    m_runTextUnshown = nullptr;
    emit contentsBuilt();
}

DisplayPage::~DisplayPage() = default;

void DisplayPage::attach(FrameSender *sender, const proto::LinkState *link,
                         acquire::RunSession *session)
{
    m_link = link;
    m_session = session;
    m_commands = std::make_unique<usb::InstrumentCommands>(
        sender, [link] { return link->bus.currentAddress; });
    connect(m_session, &acquire::RunSession::loadChanged, this, &DisplayPage::refreshRunButton);
    connect(m_session, &acquire::RunSession::finished, this, &DisplayPage::showRunEnd);
    connect(m_session, &acquire::RunSession::stateChanged, this,
            [this](acquire::RunSession::State state) {
                if (state == acquire::RunSession::State::Idle && !m_session->loadOn())
                    showStopped();
            });
}

void DisplayPage::connectControls()
{
    for (const InputRule &rule : kInputs) {
        QLineEdit *edit = m_ui.get()->*rule.edit;
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] { finishInput(edit); });
        connect(edit, &QLineEdit::textEdited, this,
                [this, edit](const QString &text) { m_typed.insert(edit, text); });
    }
    connect(m_ui->disp_Btn_Run, &QPushButton::clicked, this, &DisplayPage::toggleRun);
    connect(m_ui->disp_btn_RangCustom, &QPushButton::clicked, this, &DisplayPage::toggleRangePanel);
    connect(m_ui->disp_btn_title, &QPushButton::clicked, this, &DisplayPage::askChartTitle);
    connect(m_ui->disp_btnReturn, &QPushButton::clicked, this, &DisplayPage::homeRequested);
    connect(m_ui->disp_btnSysSet, &QPushButton::clicked, this, &DisplayPage::settingsRequested);
    connect(m_ui->disp_btnUpgrade, &QPushButton::clicked, this, &DisplayPage::upgradeRequested);
    connect(m_ui->disp_btn_menu, &QPushButton::clicked, this, &DisplayPage::chartMenuRequested);
    connect(m_ui->disp_btn_dp_dm, &QPushButton::clicked, this,
            [this] { emit chartViewToggled(LiveChart::View::EleCap); });
    connect(m_ui->disp_btn_cc1_cc2, &QPushButton::clicked, this,
            [this] { emit chartViewToggled(LiveChart::View::CpuNtc); });
    connect(m_ui->disp_btn_temp, &QPushButton::clicked, this,
            [this] { emit chartViewToggled(LiveChart::View::Mos); });
}

// Built when the instrument first asks: its rich text costs more than the rest of the page.
BatteryTestPopup *DisplayPage::popup()
{
    if (!m_popup) {
        m_popup = std::make_unique<BatteryTestPopup>();
        m_popup->hide();
        // The question never keeps the program alive once its main window is closed.
        m_popup->setAttribute(Qt::WA_QuitOnClose, false);
        connect(m_popup.get(), &BatteryTestPopup::answered, this,
                &DisplayPage::sendPopupAnswer);
    }
    return m_popup.get();
}

void DisplayPage::showLive(const proto::LiveValues &live, quint8 familyCode)
{
    m_family = familyCode;
    followPopup(live);
    const DisplayTexts t = displayTexts(live, familyCode);
    if (!m_ui) {
        // The newest reading holds every value; a title or caption only some readings set.
        m_liveUnshown = std::make_pair(live, familyCode);
        if (t.titleLabel == DisplayTexts::TitleLabel::Display)
            m_titleUnshown = t.title;
        if (t.caption)
            m_captionUnshown = {t.caption, t.unit};
        return;
    }
    QFont unitFont = m_ui->disp_label_WH->font();
    unitFont.setPointSize(t.energyUnitPointSize);
    m_ui->disp_label_WH->setFont(unitFont);
    ui::setCatalogueText(m_ui->disp_label_WH, "MainDialog", t.energyUnit);
    ui::setCatalogueText(m_ui->disp_label_mAh, "MainDialog", t.capacityUnit);
    for (const ValueLabel &v : kValues)
        (m_ui.get()->*v.label)->setText(t.*v.shown);

    if (t.titleLabel == DisplayTexts::TitleLabel::Display)
        ui::setCatalogueText(m_ui->disp_labTitle, "MainDialog", t.title);
    if (t.caption) {
        ui::setCatalogueText(m_ui->label_cons, "MainDialog", t.caption);
        ui::setCatalogueText(m_ui->label_unit, "MainDialog", t.unit);
    }
    // The user's own typing wins over the instrument's echo.
    for (const InputRule &rule : kInputs) {
        QLineEdit *edit = m_ui.get()->*rule.edit;
        if (!heldByUser(edit))
            edit->setText(t.*rule.shown);
    }
}

void DisplayPage::showModeChosen(const char *title, const char *caption, const char *unit,
                                 bool battery)
{
    ensureContents();
    ui::setCatalogueText(m_ui->disp_labTitle, "MainDialog", title);
    ui::setCatalogueText(m_ui->label_cons, "MainDialog", caption);
    ui::setCatalogueText(m_ui->label_unit, "MainDialog", unit);
    showRunText(runText(battery, false));
    m_shownLoadOn = false;
    showRunTip(battery ? QT_TRANSLATE_NOOP("MainDialog", "开始/停止")
                       : QT_TRANSLATE_NOOP("MainDialog", "开始放电/停止放电"));
}

void DisplayPage::showRunText(const char *text)
{
    if (!m_ui) {
        m_runTextUnshown = text;
        return;
    }
    ui::setCatalogueText(m_ui->disp_Btn_Run, "MainDialog", text);
}

void DisplayPage::showRunTip(const char *tip)
{
    m_runTip = tip;
    if (m_ui)
        m_ui->disp_Btn_Run->setToolTip(trDialog(tip));
}

void DisplayPage::showChartOnly(const char *title)
{
    ensureContents();
    ui::setCatalogueText(m_ui->disp_labTitle, "MainDialog", title);
    const QList<QWidget *> widgets = {m_ui->widgetConsValue,
                                      m_ui->disp_Btn_Run,
                                      m_ui->label_zero_v,
                                      m_ui->lineEdit_value_zero_v,
                                      m_ui->label_unit_zero_v,
                                      m_ui->label_limitime,
                                      m_ui->lineEdit_value_lilitime_h,
                                      m_ui->label_limitime_colon,
                                      m_ui->lineEdit_value_limitime_m,
                                      m_ui->disp_btn_temp,
                                      m_ui->disp_label_DP,
                                      m_ui->disp_label_FANT_VALUE,
                                      m_ui->disp_label_DP_V,
                                      m_ui->disp_label_DM,
                                      m_ui->disp_label_FANS_VALUE,
                                      m_ui->disp_label_DM_V};
    for (QWidget *w : widgets)
        w->hide();
    setFullChargeShown(false);
}

void DisplayPage::setFullChargeShown(bool shown)
{
    m_fullChargeShown = shown;
    if (!m_ui)
        return;
    const QList<QWidget *> widgets = {m_ui->label_full_v,      m_ui->lineEdit_value_full_v,
                                      m_ui->label_unit_full_v, m_ui->label_full_a,
                                      m_ui->label_full_a_less, m_ui->lineEdit_value_full_a,
                                      m_ui->label_unit_full_a};
    for (QWidget *w : widgets)
        w->setVisible(shown);
}

QAbstractButton *DisplayPage::returnButton() const
{
    ensureContents();
    return m_ui->disp_btnReturn;
}

void DisplayPage::showDeviceTitle(const QString &title)
{
    m_deviceTitle = title;
    if (m_ui)
        m_ui->disp_labDeviceTitle->setText(title);
}

void DisplayPage::setChartTitle(const QString &title)
{
    m_chartTitle = title;
    if (m_ui)
        m_ui->disp_btn_title->setText(title);
}

QString DisplayPage::chartTitle() const
{
    ensureContents();
    return m_ui->disp_btn_title->text();
}

QWidget *DisplayPage::chartArea() const
{
    ensureContents();
    return m_ui->widget;
}

void DisplayPage::showChart(LiveChart &chart)
{
    ensureContents();
    chart.setViewButtons(m_ui->disp_btn_dp_dm, m_ui->disp_btn_cc1_cc2, m_ui->disp_btn_temp);
    chart.view()->setObjectName("disp_chartView");
    m_ui->disap_gridLayout->addWidget(chart.view());
}

void DisplayPage::askChartTitle()
{
    bool ok = false;
    const QString title =
        QInputDialog::getText(window(), trDialog("标题变更对话框"), trDialog("请输入标题:"),
                              QLineEdit::Normal, m_ui->disp_btn_title->text(), &ok);
    if (ok)
        setChartTitle(title);
}

bool DisplayPage::batteryMode() const
{
    return m_link && proto::isBatteryTest(m_link->live.workMode);
}

void DisplayPage::finishInput(QLineEdit *edit)
{
    const InputRule *rule = nullptr;
    for (const InputRule &r : kInputs) {
        if (m_ui.get()->*r.edit == edit)
            rule = &r;
    }
    if (!rule || !m_commands)
        return;
    const InputEnd end = howInputEnded(edit);
    if (end == InputEnd::Interrupted)
        return;
    m_typed.remove(edit);
    // Leaving the field is not a request to send; only Return/Enter is.
    if (end == InputEnd::Confirmed) {
        const QString text = edit->text();
        const proto::LiveValues &live = m_link->live;
        proto::TypedNumber typed;
        if (rule->kind == InputKind::Float)
            typed = proto::checkTypedNumber(
                text, rule->field ? *rule->field : proto::setPointField(live.workMode));
        else
            typed = proto::checkTypedTime(text, timeUnit(rule->kind));
        if (typed.verdict != proto::TypedNumber::Accepted) {
            edit->clearFocus(); // the message box takes the focus; this edit is done with
            acceptTyped(window(), typed);
            // Dropped; the field shows what the instrument holds again.
            if (typed.verdict == proto::TypedNumber::OutOfRange)
                edit->setText(displayTexts(live, m_family).*rule->shown);
        } else if (rule->kind == InputKind::Float) {
            (m_commands.get()->*rule->sendNumber)(typed.value);
        } else {
            m_commands->timeLimit(quint8(typed.value), timeUnit(rule->kind));
        }
    }
    // Give the field back to the refresh, which shows the instrument's own value again.
    edit->clearFocus();
}

void DisplayPage::toggleRun()
{
    if (!m_session)
        return;
    const bool wasOn = m_session->loadOn();
    m_session->requestLoad(!wasOn);
    m_commands->runLoad(!wasOn);
    if (wasOn) {
        m_session->finish(acquire::RunSession::End::Stopped); // the status line follows
        showStopped();
    } else {
        m_session->start();
        showRunning();
    }
}

// Every end of a run tells where its rows went, or why they did not.
void DisplayPage::showRunEnd(const SaveOutcome &outcome)
{
    m_statusLine.show([outcome] { return outcome.labelText(); });
}

void DisplayPage::showStopped()
{
    showRunState(false);
}

void DisplayPage::showRunState(bool on)
{
    showRunText(runText(batteryMode(), on));
    m_shownLoadOn = on;
    showRunTip(runTip(batteryMode(), on));
}

void DisplayPage::showRunning()
{
    // Under the pointer that just started it, a battery test's button tells how to stop it; the
    // refresh shows "stop" once the pointer leaves.
    if (batteryMode()) {
        showRunText(runTip(true, true));
        m_shownLoadOn = true;
    } else {
        showRunState(true);
    }
    m_questionEnded = false;
}

void DisplayPage::refreshRunButton()
{
    if (!m_session)
        return;
    // Under the pointer the text the click gave stays, until the instrument's battery-test
    // question has come and gone: from then on it shows what the load does.
    const QPoint pointer = m_ui ? m_ui->widget->mapFromGlobal(QCursor::pos()) : QPoint();
    if (m_ui && m_ui->disp_Btn_Run->geometry().contains(pointer) &&
        !(m_questionEnded && m_shownLoadOn != m_session->loadOn()))
        return;
    showRunText(runText(batteryMode(), m_session->loadOn()));
    m_shownLoadOn = m_session->loadOn();
}

void DisplayPage::setRangePanel(QWidget *panel)
{
    ensureContents();
    if (!panel) {
        // Stand-in of the axis-range panel's size until the chart supplies the real one.
        panel = new QWidget;
        panel->setObjectName("customcoordinates_placeholder");
        panel->resize(200, 200);
    }
    if (m_rangePanel && m_rangePanel != panel &&
        m_rangePanel->objectName() == QLatin1String("customcoordinates_placeholder"))
        m_rangePanel->deleteLater();
    panel->setParent(m_ui->widget);
    panel->hide();
    m_rangePanel = panel;
}

void DisplayPage::toggleRangePanel()
{
    if (!m_rangePanel)
        return;
    if (m_rangePanel->isVisible()) {
        m_rangePanel->hide();
        return;
    }
    const QPoint centre = rangePanelOffset(m_ui->widget->size(), m_rangePanel->size());
    qCDebug(lcUi) << "X:" << centre.x();
    qCDebug(lcUi) << "Y:" << centre.y();
    m_rangePanel->setGeometry(rangePanelRect(centre));
    m_rangePanel->show();
    m_rangePanel->raise();
}

void DisplayPage::sendPopupAnswer(qint16 answer)
{
    if (!m_commands)
        return;
    m_commands->answerPopup(quint8(answer & 0xFF));
    qCDebug(lcUi) << "弹窗界面的数据下发成功" << answer;
}

void DisplayPage::followPopup(const proto::LiveValues &live)
{
    const bool asking =
        live.popupCountdown != 0 && live.popupType != 0 && proto::isBatteryTest(live.workMode);
    if (!asking) {
        if (m_popup && !m_popup->isHidden()) {
            m_popup->hide();
            m_questionEnded = true;
            refreshRunButton();
        }
        return;
    }
    BatteryTestPopup *question = popup();
    if (question->isHidden()) {
        question->setPopupType(live.popupType);
        placePopup();
        question->show();
        question->raise();
    }
    question->setChoiceHighlight(live.popupType, live.popupChoice);
    question->setCountdown(live.popupCountdown);
}

void DisplayPage::placePopup()
{
    // Over the middle of the main window, where the user is looking.
    const QRect frame = window()->frameGeometry();
    QRect r = m_popup->frameGeometry();
    r.moveCenter(frame.center());
    m_popup->move(r.topLeft());
}

void DisplayPage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange && m_ui)
        retranslate();
    QWidget::changeEvent(event);
}

void DisplayPage::retranslate()
{
    m_ui->retranslateUi(this);
    if (m_link)
        showLive(m_link->live, m_family); // the readings the form's texts replaced
    ui::showCatalogueTexts(this);         // titles, captions, units and the run button
    if (m_runTip)
        m_ui->disp_Btn_Run->setToolTip(trDialog(m_runTip));
    m_statusLine.retranslate();
    if (m_chartTitle)
        m_ui->disp_btn_title->setText(*m_chartTitle);
    if (!m_deviceTitle.isNull())
        m_ui->disp_labDeviceTitle->setText(m_deviceTitle);
    giveTypingBack();
}

// A field the user is still typing in keeps the typing; the others show the instrument's values
// again at the next refresh.
void DisplayPage::giveTypingBack()
{
    for (auto it = m_typed.begin(); it != m_typed.end();) {
        if (heldByUser(it.key())) {
            it.key()->setText(it.value());
            ++it;
        } else {
            it = m_typed.erase(it);
        }
    }
}

} // namespace ui
