#pragma once
// The battery-test question of the instrument, mirrored on the PC: which answers it offers, which
// one the instrument highlights and how many seconds are left. A click sends the answer number.

#include <QString>
#include <QWidget>

namespace Ui {
class BatteryTestPopup;
}

// Style of an answer button: `text` is its colour, `hoverText` the colour under the pointer.
QString popupButtonStyle(const char *text, const char *hoverText);

class BatteryTestPopup : public QWidget
{
    Q_OBJECT
public:
    explicit BatteryTestPopup(QWidget *parent = nullptr);
    ~BatteryTestPopup() override;

    // 2: two answers (Btn2 hidden, Btn3 stretched up into its place); 3: three answers.
    void setPopupType(int type);
    // Colours the highlighted answer violet and the others green.
    void setChoiceHighlight(int type, int choice);
    void setCountdown(int seconds);

signals:
    void answered(qint16 addr);

public slots:
    void on_Btn1_clicked();
    void on_Btn2_clicked();
    void on_Btn3_clicked();
    void on_Btnok_clicked();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void showCountdown();

    bool m_tipsFitted = false;
    int m_countdown = -1; // seconds left; none before the instrument asked
    Ui::BatteryTestPopup *ui;
};
