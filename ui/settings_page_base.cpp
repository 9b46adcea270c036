#include "ui/settings_page_base.h"

#include "ui/input_confirm.h"
#include "ui/pages_log.h"
#include "protocol/settings_values.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSlider>

using proto::LiveValues;

const char *const SettingsPageBase::kSelectedStyle =
    "QPushButton{background-color: rgb(0, 170, 0);}QPushButton:hover{background-color:rgb(126, "
    "255, 206); color: black;}QPushButton:pressed{background-color:rgb(0, 255, 0);border-style: "
    "inset;}";
const char *const SettingsPageBase::kNotSelectedStyle =
    "QPushButton{background-color: rgb(72, 72, 72);}QPushButton:hover{background-color:rgb(126, "
    "255, 206); color: black;}QPushButton:pressed{background-color:rgb(0, 255, 0);border-style: "
    "inset;}";

namespace {

// The six sliders both families have, named alike: <prefix>_slider_<suffix>.
using Commands = usb::InstrumentCommands;
struct CommonSlider
{
    const char *suffix;
    const char *label;                     // <prefix>_<label>
    void (Commands::*sendLevel)(unsigned); // brightness and standby sliders
    uint8_t LiveValues::*level;
    void (Commands::*sendFactor)(float); // calibration sliders
    float LiveValues::*factor;
};

const CommonSlider kCommonSliders[] = {
    {"worklight", "label_worklight", &Commands::workBrightness, &LiveValues::workBrightness,
     nullptr, nullptr},
    {"standlight", "label_standlight", &Commands::standbyBrightness, &LiveValues::standbyBrightness,
     nullptr, nullptr},
    {"standtime", "label_standtime", &Commands::standbyTime, &LiveValues::standbyTime, nullptr,
     nullptr},
    {"voltcali", "lab_califact_voltvalue", nullptr, nullptr, &Commands::voltageCalibration,
     &LiveValues::voltCalibration},
    {"currcali", "lab_califact_currvalue", nullptr, nullptr, &Commands::currentCalibration,
     &LiveValues::currCalibration},
    {"tempcali", "lab_califact_tempvalue", nullptr, nullptr, &Commands::temperatureCalibration,
     &LiveValues::tempCalibration},
};

// The actions both families offer, as <prefix><suffix> buttons.
struct OneShotButton
{
    const char *suffix;
    void (Commands::*command)();
};
const OneShotButton kOneShotButtons[] = {
    {"_btn_clearcurrent", &Commands::clearNoLoadCurrent},
    {"_btn_factory_reset", &Commands::factoryReset},
    {"_btn_datazero", &Commands::clearAccumulated},
};

} // namespace

SettingsPageBase::SettingsPageBase(QWidget *parent) : QWidget(parent) {}

SettingsPageBase::~SettingsPageBase() = default;

void SettingsPageBase::attach(FrameSender *sender, std::function<quint8()> busAddress)
{
    m_commands = std::make_unique<usb::InstrumentCommands>(sender, std::move(busAddress));
    if (m_built)
        wireControls();
}

void SettingsPageBase::setVisible(bool visible)
{
    // Before the show, so that the new controls are shown with the page.
    if (visible)
        buildOnce();
    QWidget::setVisible(visible);
}

void SettingsPageBase::buildOnce()
{
    if (m_built)
        return;
    m_built = true;
    buildControls(part<QWidget>(bodyName()));
    if (m_commands)
        wireControls();
    if (m_readings)
        showReadings(*m_readings);
    if (m_replyUnshown) {
        const auto reply = *m_replyUnshown;
        m_replyUnshown.reset();
        refreshFromReply(reply.first, reply.second);
    }
}

void SettingsPageBase::changeEvent(QEvent *event)
{
    // The main dialog has shown the readings again by now; the form's texts would hide them.
    if (event->type() == QEvent::LanguageChange && m_retranslateForm) {
        m_retranslateForm();
        if (m_readings)
            showReadings(*m_readings);
    }
    QWidget::changeEvent(event);
}

void SettingsPageBase::wireControls()
{
    resolveParts();
    // Over a scrolling page the wheel belongs to the page until the user picks a control: a
    // wheel that rolls onto a control must not change it.
    for (QComboBox *combo : findChildren<QComboBox *>()) {
        combo->setFocusPolicy(Qt::StrongFocus);
        combo->installEventFilter(this);
    }
}

void SettingsPageBase::resolveCommon(const char *prefix, const QStringList &styles,
                                     const SettingsEditRow *edits, int editCount)
{
    const QString p = QString::fromLatin1(prefix);
    for (int i = 0; i < styles.size(); ++i) {
        m_styleButtons.append(part<QPushButton>(styles[i]));
        connect(m_styleButtons.last(), &QPushButton::clicked, this,
                [this, i] { styleChosen(i + 1); });
    }
    for (const CommonSlider &c : kCommonSliders) {
        auto *slider = part<QSlider>(p + "_slider_" + c.suffix);
        auto *label = part<QLabel>(p + "_" + c.label);
        m_sliders.push_back({slider, label, c.sendLevel, c.sendFactor, false});
        slider->setFocusPolicy(Qt::StrongFocus);
        slider->installEventFilter(this);
        connect(slider, &QSlider::valueChanged, this,
                [this, suffix = c.suffix](int value) { sliderChanged(suffix, value); });
    }
    for (int i = 0; i < editCount; ++i) {
        m_edits.push_back({part<QLineEdit>(edits[i].name), edits[i]});
        m_instrumentTexts.insert(m_edits.back().edit, m_edits.back().edit->text());
        connect(m_edits.back().edit, &QLineEdit::editingFinished, this,
                [this, name = edits[i].name] { editFinished(name); });
    }
    for (const OneShotButton &b : kOneShotButtons)
        connect(part<QPushButton>(p + b.suffix), &QPushButton::clicked, this,
                [this, command = b.command] { oneShot(command); });
    m_voltage = part<QLabel>(p + "_lab_voltvalue");
    m_current = part<QLabel>(p + "_lab_currvalue");
    m_temperature = part<QLabel>(p + "_lab_tempvalue");
}

void SettingsPageBase::showReadings(const DisplayTexts &t)
{
    m_readings = t;
    if (!m_voltage)
        return; // not attached or not built yet
    m_voltage->setText(t.voltage);
    m_current->setText(t.current);
    m_temperature->setText(t.ntcTemp);
}

// ---- sliders -----------------------------------------------------------------------------------

SettingsPageBase::SliderBinding *SettingsPageBase::binding(QSlider *slider)
{
    for (SliderBinding &b : m_sliders)
        if (b.slider == slider)
            return &b;
    return nullptr;
}

SettingsPageBase::SliderBinding &SettingsPageBase::binding(const char *suffix)
{
    for (size_t i = 0; i < m_sliders.size(); ++i)
        if (qstrcmp(kCommonSliders[i].suffix, suffix) == 0)
            return m_sliders[i];
    qFatal("settings page: no slider %s", suffix);
}

bool SettingsPageBase::pointerOnSlider(const QSlider *slider) const
{
    const QWidget *box = slider->parentWidget();
    const QPoint pointer = box ? box->mapFromGlobal(QCursor::pos()) : QPoint(-1, -1);
    return slider->geometry().contains(pointer); // the edge counts as inside
}

bool SettingsPageBase::sliderChanged(const char *suffix, int value)
{
    SliderBinding &b = binding(suffix);
    if (!b.sendFactor)
        b.label->setText(QString::number(value));
    if (m_refreshing)
        return false;
    if (!pointerOnSlider(b.slider)) {
        // Only the user changes a slider that has focus (the refresh leaves it alone): a step
        // made with the keyboard goes out when the key is released, once.
        if (b.slider->hasFocus())
            b.keyboardPending = true;
        return false;
    }
    b.keyboardPending = false;
    acceptSliderValue(b);
    return true;
}

void SettingsPageBase::acceptSliderValue(SliderBinding &b)
{
    const int value = b.slider->value();
    if (b.sendFactor) {
        const float factor = proto::calibrationFactor(value);
        b.label->setText(proto::calibrationText(factor));
        if (m_commands)
            (m_commands.get()->*b.sendFactor)(factor);
    } else if (m_commands) {
        (m_commands.get()->*b.sendLevel)(unsigned(value));
    }
}

bool SettingsPageBase::eventFilter(QObject *watched, QEvent *event)
{
    // A held key repeats press/release pairs; only the real release ends the change. A drag
    // that wandered off the slider ends with the mouse release.
    const QEvent::Type type = event->type();
    if (type == QEvent::Wheel && watched->isWidgetType() &&
        !static_cast<QWidget *>(watched)->hasFocus()) {
        event->ignore(); // handled here, yet left to the scrolling page around the control
        return true;
    }
    if (type == QEvent::KeyRelease || type == QEvent::FocusOut ||
        type == QEvent::MouseButtonRelease) {
        SliderBinding *b = binding(qobject_cast<QSlider *>(watched));
        const bool finalRelease =
            type != QEvent::KeyRelease || !static_cast<QKeyEvent *>(event)->isAutoRepeat();
        if (b && b->keyboardPending && finalRelease) {
            b->keyboardPending = false;
            acceptSliderValue(*b);
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- buttons, line edits, combo box ------------------------------------------------------------

void SettingsPageBase::highlightStyle(int selected)
{
    for (int i = 0; i < m_styleButtons.size(); ++i)
        m_styleButtons[i]->setStyleSheet(i == selected ? kSelectedStyle : kNotSelectedStyle);
}

void SettingsPageBase::styleChosen(int style)
{
    highlightStyle(style - 1);
    if (m_commands)
        m_commands->displayStyle(quint8(style));
}

void SettingsPageBase::oneShot(void (usb::InstrumentCommands::*command)())
{
    if (m_commands)
        (m_commands.get()->*command)();
}

void SettingsPageBase::editFinished(const char *name)
{
    auto it = std::find_if(m_edits.begin(), m_edits.end(), [name](const EditBinding &e) {
        return e.edit->objectName() == QLatin1String(name);
    });
    if (it == m_edits.end())
        return;
    QLineEdit *edit = it->edit;
    const SettingsEditRow &row = it->row;
    const InputEnd end = howInputEnded(edit);
    if (end == InputEnd::Interrupted)
        return;
    if (end == InputEnd::Confirmed) {
        const QString text = edit->text();
        const proto::TypedNumber typed = row.sendNumber ? proto::checkTypedNumber(text, row.field)
                                                        : proto::checkTypedTime(text, row.unit);
        if (acceptTyped(this, typed)) {
            if (m_commands && row.sendNumber)
                (m_commands.get()->*row.sendNumber)(typed.value);
            else if (m_commands)
                m_commands->timeLimit(quint8(typed.value), row.unit);
        } else if (typed.verdict == proto::TypedNumber::OutOfRange) {
            // Dropped; the field shows what the instrument holds again.
            edit->setText(m_instrumentTexts.value(edit));
        }
    }
    edit->clearFocus(); // lets the refresh show the instrument's value again
}

void SettingsPageBase::comboChanged(QComboBox *combo, int index,
                                    void (usb::InstrumentCommands::*sendIndex)(unsigned))
{
    if (m_refreshing)
        return;
    if (combo->hasFocus() && index >= 0) {
        if (m_commands)
            (m_commands.get()->*sendIndex)(unsigned(index));
        qCDebug(lcUi) << "I'm coming:" << index;
    } else if (m_comboReplies.contains(combo)) {
        // Not the user's choice and not sent: the box goes back to what the instrument holds.
        const QScopedValueRollback<bool> refreshing(m_refreshing, true);
        combo->setCurrentIndex(m_comboReplies.value(combo));
    }
    combo->clearFocus();
}

// ---- refresh from a settings reply -------------------------------------------------------------

void SettingsPageBase::refreshFromReply(const LiveValues &v, const DisplayTexts &t)
{
    if (!m_voltage) {
        m_replyUnshown = std::make_pair(v, t);
        return;
    }
    const QScopedValueRollback<bool> refreshing(m_refreshing, true);
    if (v.displayStyle >= 1 && v.displayStyle <= m_styleButtons.size())
        highlightStyle(v.displayStyle - 1);
    for (size_t i = 0; i < m_sliders.size(); ++i) {
        const CommonSlider &c = kCommonSliders[i];
        if (c.factor) {
            const float factor = v.*c.factor;
            m_sliders[i].label->setText(proto::calibrationText(factor));
            setSliderFromReply(m_sliders[i], proto::calibrationSliderValue(factor));
        } else {
            setSliderFromReply(m_sliders[i], v.*c.level);
        }
    }
    for (const EditBinding &e : m_edits) {
        m_instrumentTexts.insert(e.edit, t.*e.row.shown);
        if (!heldByUser(e.edit))
            e.edit->setText(t.*e.row.shown);
    }
    refreshOwn(v, t);
}

void SettingsPageBase::refreshOwn(const LiveValues &, const DisplayTexts &) {}

void SettingsPageBase::setSliderFromReply(SliderBinding &b, int value)
{
    if (!b.slider->hasFocus() && !b.slider->isSliderDown())
        b.slider->setValue(value);
}

void SettingsPageBase::setComboFromReply(QComboBox *combo, int index)
{
    if (index < 0 || index >= combo->count())
        return;
    m_comboReplies.insert(combo, index);
    if (combo->hasFocus())
        return;
    const QScopedValueRollback<bool> refreshing(m_refreshing, true);
    combo->setCurrentIndex(index);
}
