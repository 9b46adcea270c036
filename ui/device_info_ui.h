#pragma once
// One entry of the device list: an instrument at one bus address, its state and its tick.

#include <QWidget>

namespace Ui {
class DeviceInfoUI;
}

namespace ui {

// Its texts keep the form's catalogue context, "DeviceInfoUI".
class DeviceInfoUI : public QWidget
{
    Q_OBJECT
public:
    enum State : quint8
    {
        Idle = 0,
        Error = 1,
        Connected = 2
    };

    explicit DeviceInfoUI(QWidget *parent = nullptr);
    ~DeviceInfoUI() override;

    // 0 idle, 1 error, 2 connected; any other value is ignored.
    void setState(quint8 state);
    quint8 state() const { return m_state; }

    void markTicked();
    void markUnticked();
    bool isTicked() const { return m_ticked; }

    void setModel(const QString &model);
    // An empty version leaves the shown one unchanged.
    void setVersion(const QString &version);
    void setManufacturer(const QString &manufacturer);
    void setIndexText(const QString &text);
    // Shows at most the first 6 characters.
    void setSerial(const QString &serial);

signals:
    void TickShow_Signal(DeviceInfoUI *device_ptr);

public slots:
    void on_btn_Tick_clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showStateText();
    void showTickToolTip();
    void showValues();

    ::Ui::DeviceInfoUI *ui;
    quint8 m_state = Idle;
    bool m_stateSet = false; // until the first setState the form's placeholder stays
    bool m_ticked = false;
    bool m_doubleClicked = false; // the release that ends a double-click is not a click
    // What the scan filled in; a null text leaves the form's placeholder. Kept so that a
    // language change, which retranslates the whole form, can put them back.
    QString m_model, m_version, m_manufacturer, m_indexText, m_serial;
};

} // namespace ui
