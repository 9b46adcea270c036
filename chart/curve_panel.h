#pragma once
// The curve appearance panel laid over the chart: colour and width of each of the eight curves
// and the chart theme. Opening it changes nothing; every choice is applied to the chart at once
// and stored in the settings file, one key per change.

#include <QPointer>
#include <QWidget>

#include <array>

namespace Ui {
class CurvePanel;
}
class LiveChart;
class QComboBox;
class QPushButton;

class CurvePanel : public QWidget
{
    Q_OBJECT
public:
    // `dialogParent` parents the colour dialog; the panel itself is a child of `area`.
    CurvePanel(LiveChart &chart, QWidget *dialogParent, QWidget *area);
    ~CurvePanel() override;

    // The chart menu's "curve settings": one panel at a time. A use while a panel is open
    // replaces it with a fresh one read from the settings file; a hidden one is discarded.
    static CurvePanel *openOver(QPointer<CurvePanel> &current, LiveChart &chart,
                                QWidget *dialogParent, QWidget *area);

    bool isOpen() const { return m_open; }

public slots:
    void onBtn_1_Slot() { chooseColor(0); }
    void onBtn_2_Slot() { chooseColor(1); }
    void onBtn_3_Slot() { chooseColor(2); }
    void onBtn_4_Slot() { chooseColor(3); }
    void onBtn_5_Slot() { chooseColor(4); }
    void onBtn_6_Slot() { chooseColor(5); }
    void onBtn_7_Slot() { chooseColor(6); }
    void onBtn_8_Slot() { chooseColor(7); }
    void onCBox_1_Slot(int linew) { chooseWidth(0, linew); }
    void onCBox_2_Slot(int linew) { chooseWidth(1, linew); }
    void onCBox_3_Slot(int linew) { chooseWidth(2, linew); }
    void onCBox_4_Slot(int linew) { chooseWidth(3, linew); }
    void onCBox_5_Slot(int linew) { chooseWidth(4, linew); }
    void onCBox_6_Slot(int linew) { chooseWidth(5, linew); }
    void onCBox_7_Slot(int linew) { chooseWidth(6, linew); }
    void onCBox_8_Slot(int linew) { chooseWidth(7, linew); }
    void onCBox_9_Slot(int linew);
    void onBtn_close_Slot();

protected:
    void changeEvent(QEvent *event) override;

private:
    void build();
    void applyTexts();
    QWidget *centred(QWidget *inner);
    void chooseColor(int entry);
    void chooseWidth(int entry, int index);

    Ui::CurvePanel *ui;
    LiveChart &m_chart;
    QWidget *m_dialogParent;
    std::array<QPushButton *, 8> m_colorButtons{};
    std::array<QComboBox *, 8> m_widthBoxes{};
    QComboBox *m_themeBox = nullptr;
    QPushButton *m_okButton = nullptr;
    bool m_open = false;
};
