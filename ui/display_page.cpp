#include "display_page.h"

#include "caption_fit.h"
#include "catalogue_text.h"
#include "cd_pop_tips.h"
#include "display_texts.h"
#include "frame_sender.h"
#include "frames.h"
#include "input_confirm.h"
#include "page_geometry.h"
#include "pages_log.h"
#include "report_parser.h"
#include "settings_values.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <optional>

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
struct InputRule
{
    const char *name;
    InputKind kind;
    void (usb::InstrumentCommands::*sendNumber)(float); // for InputKind::Float
};
const InputRule kInputs[] = {
    {"lineEdit_value", InputKind::Float, &usb::InstrumentCommands::setPoint},
    {"lineEdit_value_zero_v", InputKind::Float, &usb::InstrumentCommands::dischargeStopVoltage},
    {"lineEdit_value_full_v", InputKind::Float, &usb::InstrumentCommands::chargeStopVoltage},
    {"lineEdit_value_full_a", InputKind::Float, &usb::InstrumentCommands::chargeStopCurrent},
    {"lineEdit_value_lilitime_h", InputKind::Hours, nullptr},
    {"lineEdit_value_limitime_m", InputKind::Minutes, nullptr},
};

// The page's live labels: the refresh writes them, so caption fitting leaves them alone.
const QStringList kLiveLabels = {
    "disp_label_VOL",        "disp_label_CUR",       "disp_label_POW",
    "disp_label_RES",        "disp_label_ELE",       "disp_label_CAP",
    "disp_label_CPU_VALUE",  "disp_label_NTC_VALUE", "disp_label_FANT_VALUE",
    "disp_label_FANS_VALUE", "disp_labTitle",        "disp_labDevTiT",
    "label_left_tips",       "label_cons",           "label_unit",
    "disp_label_WH",         "disp_label_mAh"};

const QVector<PageStretcher::Rule> kStretchRules = {
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

bool isBatteryMode(quint8 workMode)
{
    return workMode == 7 || workMode == 8;
}

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

DisplayPageController::DisplayPageController(QWidget *page, FrameSender *sender,
                                             const proto::LinkState *link,
                                             acquire::RunSession *session, QObject *parent)
    : QObject(parent), m_page(page),
      m_commands(sender, [link] { return link->bus.currentAddress; }), m_link(link),
      m_session(session), m_container(widget<QWidget>("widget")),
      m_run(widget<QPushButton>("disp_Btn_Run")), m_statusLine(widget<QLabel>("label_left_tips")),
      m_popup(std::make_unique<CDPopTips>())
{
    m_popup->hide();
    // The question never keeps the program alive once its main window is closed.
    m_popup->setAttribute(Qt::WA_QuitOnClose, false);

    // Before the first reading the values show zeros in the formats the readings will have.
    const DisplayTexts zero = displayTexts(proto::LiveValues{}, 1);
    const std::pair<const char *, QString> placeholders[] = {
        {"disp_label_VOL", zero.voltage},        {"disp_label_CUR", zero.current},
        {"disp_label_POW", zero.power},          {"disp_label_RES", zero.resistance},
        {"disp_label_ELE", zero.energy},         {"disp_label_CAP", zero.capacity},
        {"disp_label_CPU_VALUE", zero.cpuTemp},  {"disp_label_NTC_VALUE", zero.ntcTemp},
        {"disp_label_FANT_VALUE", zero.mosTemp}, {"disp_label_FANS_VALUE", zero.fanSpeed}};
    for (const auto &p : placeholders)
        widget<QLabel>(p.first)->setText(p.second);

    for (const InputRule &input : kInputs) {
        QLineEdit *edit = widget<QLineEdit>(input.name);
        connect(edit, &QLineEdit::textEdited, this,
                [this, edit](const QString &text) { m_typed.insert(edit, text); });
    }
    // The page's language change comes after the main dialog's form was retranslated.
    m_page->installEventFilter(this);

    setRangePanel(nullptr);
    new PageStretcher(page, kPageDesignSize, kStretchRules, kChartShrink);
    new CaptionFitter(page, kLiveLabels);

    connect(m_session, &acquire::RunSession::loadChanged, this,
            &DisplayPageController::refreshRunButton);
    connect(m_session, &acquire::RunSession::finished, this, &DisplayPageController::showRunEnd);
    connect(m_session, &acquire::RunSession::stateChanged, this,
            [this](acquire::RunSession::State state) {
                if (state == acquire::RunSession::State::Idle && !m_session->loadOn())
                    showStopped();
            });
}

DisplayPageController::~DisplayPageController() = default;

template <typename T> T *DisplayPageController::widget(const char *name) const
{
    T *w = m_page->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("display page: the form has no %s", name);
    return w;
}

bool DisplayPageController::batteryMode() const
{
    return isBatteryMode(m_link->live.workMode);
}

void DisplayPageController::finishInput(QLineEdit *edit)
{
    const InputRule *rule = nullptr;
    for (const InputRule &r : kInputs) {
        if (edit && edit->objectName() == QLatin1String(r.name))
            rule = &r;
    }
    if (!rule)
        return;
    const InputEnd end = howInputEnded(edit);
    if (end == InputEnd::Interrupted)
        return;
    m_typed.remove(edit);
    // Leaving the field is not a request to send; only Return/Enter is.
    if (end == InputEnd::Confirmed) {
        const QString text = edit->text();
        bool sent = false;
        if (rule->kind == InputKind::Float) {
            if (const auto value = proto::parseThreshold(text)) {
                (m_commands.*rule->sendNumber)(*value);
                sent = true;
            }
        } else if (const auto value = proto::parseTimeNumber(text)) {
            m_commands.timeLimit(unsigned(*value), rule->kind == InputKind::Hours
                                                       ? proto::TimeUnit::Hours
                                                       : proto::TimeUnit::Minutes);
            sent = true;
        }
        if (!sent) {
            edit->clearFocus(); // the message box takes the focus; this edit is done with
            QMessageBox::information(
                m_page->window(), trDialog("提示"),
                trDialog("<font color='red'>文本框含有非法字符，请重新输入！</font>"),
                QMessageBox::Ok);
        }
    }
    // Give the field back to the refresh, which shows the instrument's own value again.
    edit->clearFocus();
}

void DisplayPageController::toggleRun()
{
    const bool wasOn = m_session->loadOn();
    m_session->setLoadOn(!wasOn);
    m_commands.runLoad(!wasOn);
    if (wasOn) {
        m_session->finish(acquire::RunSession::End::Stopped); // the status line follows
        showStopped();
    } else {
        m_session->start();
        showRunning();
    }
    qCDebug(lcUi) << "m_CurveRunFlag" << (wasOn ? "false" : "true");
}

// Every end of a run tells where its rows went, or why they did not.
void DisplayPageController::showRunEnd(const SaveOutcome &outcome)
{
    m_statusLine.show([outcome] { return outcome.labelText(); });
}

void DisplayPageController::showStopped()
{
    showRunState(false);
}

void DisplayPageController::showRunState(bool on)
{
    showRunText(runText(batteryMode(), on));
    showRunTip(runTip(batteryMode(), on));
}

void DisplayPageController::showRunText(const char *text)
{
    ui::setCatalogueText(m_run, "MainDialog", text);
}

void DisplayPageController::showRunTip(const char *tip)
{
    m_runTip = tip;
    m_run->setToolTip(trDialog(tip));
}

void DisplayPageController::showRunning()
{
    // Under the pointer that just started it, a battery test's button tells how to stop it; the
    // refresh shows "stop" once the pointer leaves.
    if (batteryMode())
        showRunText(runTip(true, true));
    else
        showRunState(true);
}

void DisplayPageController::showModeChosen(bool battery)
{
    showRunText(runText(battery, false));
    showRunTip(battery ? QT_TRANSLATE_NOOP("MainDialog", "开始/停止")
                       : QT_TRANSLATE_NOOP("MainDialog", "开始放电/停止放电"));
}

void DisplayPageController::refreshRunButton()
{
    const QPoint pointer = m_container->mapFromGlobal(QCursor::pos());
    if (m_run->geometry().contains(pointer))
        return;
    showRunText(runText(batteryMode(), m_session->loadOn()));
}

void DisplayPageController::setChartTitle(const QString &title)
{
    m_chartTitle = title;
    widget<QAbstractButton>("disp_btn_title")->setText(title);
}

void DisplayPageController::showDeviceTitle(const QString &title)
{
    m_deviceTitle = title;
    widget<QLabel>("disp_labDevTiT")->setText(title);
}

bool DisplayPageController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_page && event->type() == QEvent::LanguageChange)
        retranslate();
    return QObject::eventFilter(watched, event);
}

void DisplayPageController::retranslate()
{
    ui::showCatalogueTexts(m_page); // titles, captions, units and the run button
    if (m_runTip)
        m_run->setToolTip(trDialog(m_runTip));
    m_statusLine.retranslate();
    if (m_chartTitle)
        widget<QAbstractButton>("disp_btn_title")->setText(*m_chartTitle);
    if (!m_deviceTitle.isNull())
        widget<QLabel>("disp_labDevTiT")->setText(m_deviceTitle);
    giveTypingBack();
}

// A field the user is still typing in keeps the typing; the others show the instrument's values
// again at the next refresh.
void DisplayPageController::giveTypingBack()
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

void DisplayPageController::setRangePanel(QWidget *panel)
{
    if (!panel) {
        // Stand-in of the axis-range panel's size until the chart supplies the real one.
        panel = new QWidget;
        panel->setObjectName("customcoordinates_placeholder");
        panel->resize(200, 200);
    }
    if (m_rangePanel && m_rangePanel != panel &&
        m_rangePanel->objectName() == QLatin1String("customcoordinates_placeholder"))
        m_rangePanel->deleteLater();
    panel->setParent(m_container);
    panel->hide();
    m_rangePanel = panel;
}

void DisplayPageController::toggleRangePanel()
{
    if (!m_rangePanel)
        return;
    if (m_rangePanel->isVisible()) {
        m_rangePanel->hide();
        return;
    }
    const QPoint centre = rangePanelOffset(m_container->size(), m_rangePanel->size());
    qCDebug(lcUi) << "X:" << centre.x();
    qCDebug(lcUi) << "Y:" << centre.y();
    m_rangePanel->setGeometry(rangePanelRect(centre));
    m_rangePanel->show();
    m_rangePanel->raise();
}

void DisplayPageController::sendPopupAnswer(qint16 answer)
{
    m_commands.answerPopup(quint8(answer & 0xFF));
    qCDebug(lcUi) << "弹窗界面的数据下发成功" << answer;
}

void DisplayPageController::followPopup(const proto::LiveValues &live)
{
    const bool asking =
        live.popupCountdown != 0 && live.popupType != 0 && isBatteryMode(live.workMode);
    if (!asking) {
        if (!m_popup->isHidden())
            m_popup->hide();
        return;
    }
    if (m_popup->isHidden()) {
        m_popup->setPopupType(live.popupType);
        placePopup();
        m_popup->show();
        m_popup->raise();
    }
    m_popup->setChoiceHighlight(live.popupType, live.popupChoice);
    m_popup->setCountdown(live.popupCountdown);
}

void DisplayPageController::placePopup()
{
    // Over the middle of the main window, where the user is looking.
    const QRect window = m_page->window()->frameGeometry();
    QRect r = m_popup->frameGeometry();
    r.moveCenter(window.center());
    m_popup->move(r.topLeft());
}
