#pragma once
// What both instrument settings pages share: the rules that decide when a change of a control is
// the user's and goes to the instrument, and the refresh from a settings reply that must never
// echo back or overwrite what the user is editing.
//
// A slider sends while the mouse pointer lies on it; a slider stepped with the keyboard (or
// dragged off its track) sends its value once when the key (or the mouse button) is released. A
// line edit sends only when confirmed with Return (it still has focus then); a combo box only while
// it has focus, and goes back to the instrument's value otherwise. Sliders and combo boxes take
// the mouse wheel only once the user has focused them. Nothing goes out without an open device, but
// the local effects (labels, highlights) always happen.

#include "protocol/display_texts.h"
#include "protocol/frames.h"
#include "usb/instrument_commands.h"
#include "protocol/live_values.h"
#include "protocol/number_format.h"

#include <QHash>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class FrameSender;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

// A line edit of a settings page: the command it sends and which reply text it shows.
struct SettingsEditRow
{
    const char *name;
    void (usb::InstrumentCommands::*sendNumber)(float); // null: the time limit, in `unit`
    proto::TimeUnit unit;
    QString DisplayTexts::*shown; // the reply's text for it
    proto::NumberField field;     // what the instrument can hold of a number
};

class SettingsPageBase : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsPageBase(QWidget *parent = nullptr);
    ~SettingsPageBase() override;

    // Sets the link frames go out through. `busAddress` gives the address every frame carries at
    // the moment it is sent. Once the controls are built, they are resolved and their slots
    // connected by name.
    void attach(FrameSender *sender, std::function<quint8()> busAddress);

    // The controls below the page's title are built when the page is first shown: until then a
    // reply or a reading is kept and shown once they are.
    void setVisible(bool visible) override;

    // Shows a settings reply: the style highlight and the labels always, every other control
    // only while the user is not holding it (keyboard focus, or a slider being dragged).
    void refreshFromReply(const proto::LiveValues &v, const DisplayTexts &t);
    // The live voltage, current and probe temperature the page shows beside its calibrations.
    void showReadings(const DisplayTexts &t);

    // Style sheets of the display-style buttons.
    static const char *const kSelectedStyle;
    static const char *const kNotSelectedStyle;

protected:
    // `prefix`: the object-name prefix of the page's controls ("settings", "NV05_settings");
    // `styles`: the display-style buttons in order of their style numbers 1, 2, ...
    void resolveCommon(const char *prefix, const QStringList &styles, const SettingsEditRow *edits,
                       int editCount);
    virtual void resolveParts() = 0;
    // Builds the controls' form into `body`, the page's empty widget below its title (by calling
    // buildForm with the family's form).
    virtual void buildControls(QWidget *body) = 0;
    // Sets the form up in `body` and keeps it for the language switch.
    template <class Form> void buildForm(QWidget *body)
    {
        auto form = std::make_shared<Form>();
        form->setupUi(body);
        m_retranslateForm = [form, body] { form->retranslateUi(body); };
    }
    // The object name of that widget.
    virtual const char *bodyName() const = 0;
    void changeEvent(QEvent *event) override;
    // The family's own controls in a settings reply.
    virtual void refreshOwn(const proto::LiveValues &v, const DisplayTexts &t);

    // A child of the page by object name; a missing one is a broken form.
    template <typename T> T *part(const QString &name) const
    {
        T *found = findChild<T *>(name);
        if (!found)
            qFatal("settings page: no %s in the form", qPrintable(name));
        return found;
    }

    // A combo box of the family's own, sending its index with `sendIndex`.
    void comboChanged(QComboBox *combo, int index,
                      void (usb::InstrumentCommands::*sendIndex)(unsigned));

    void setComboFromReply(QComboBox *combo, int index);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct SliderBinding
    {
        QSlider *slider;
        QLabel *label; // value label, or the factor label of a calibration slider
        void (usb::InstrumentCommands::*sendLevel)(unsigned);
        void (usb::InstrumentCommands::*sendFactor)(float); // calibration: value / 1000
        bool keyboardPending; // stepped by keyboard (or dragged off), not yet sent
    };
    struct EditBinding
    {
        QLineEdit *edit;
        SettingsEditRow row;
    };
    void buildOnce();
    void wireControls();
    // What the controls do, by the slider's name suffix ("worklight", "voltcali") or the edit's
    // object name.
    bool sliderChanged(const char *suffix, int value); // true: the user's change went out
    void styleChosen(int style);                       // 1-based, as sent
    void editFinished(const char *name);
    void oneShot(void (usb::InstrumentCommands::*command)());
    SliderBinding *binding(QSlider *slider);
    SliderBinding &binding(const char *suffix);
    bool pointerOnSlider(const QSlider *slider) const;
    void acceptSliderValue(SliderBinding &b);
    void setSliderFromReply(SliderBinding &b, int value);
    void highlightStyle(int selected);

    std::unique_ptr<usb::InstrumentCommands> m_commands; // none until attached
    QList<QPushButton *> m_styleButtons;
    QLabel *m_voltage = nullptr;
    QLabel *m_current = nullptr;
    QLabel *m_temperature = nullptr;
    std::vector<SliderBinding> m_sliders;
    std::vector<EditBinding> m_edits;
    QHash<const QComboBox *, int> m_comboReplies;        // each box's index in the last reply
    QHash<const QLineEdit *, QString> m_instrumentTexts; // each edit's value in the last reply
    bool m_refreshing = false; // a settings reply is being shown: nothing is sent
    bool m_built = false;
    std::function<void()> m_retranslateForm; // set by buildForm
    std::optional<std::pair<proto::LiveValues, DisplayTexts>> m_replyUnshown;
    std::optional<DisplayTexts> m_readings; // the last shown, again after a language switch
};
