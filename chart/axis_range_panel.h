#pragma once
// The axis-range panel laid over the chart: for each charted quantity an enabled flag, a minimum
// and a maximum that replace the chart's own growing axis. Every change is stored at once and
// announced with rangesChanged() (a bound only while its row is enabled).

#include "chart/user_range.h"

#include <QWidget>

#include <array>
#include <functional>
#include <utility>

namespace Ui {
class AxisRangePanel;
}
class QLineEdit;
class QPushButton;

class AxisRangePanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRows = 8; // in the chart's slot order: V, A, W, Wh, mAh, CPU, NTC, MOS

    explicit AxisRangePanel(QWidget *parent = nullptr);
    ~AxisRangePanel() override;

    UserRange range(int row) const;
    // The range a row's axis shows now: a row enabled without a usable range of its own starts
    // from it, so that enabling never leaves the axis where the user did not put it.
    using RangeInUse = std::function<std::pair<double, double>(int row)>;
    void setRangeInUse(RangeInUse rangeInUse) { m_rangeInUse = std::move(rangeInUse); }

signals:
    void rangesChanged();

private slots:
    void on_btn_CLOS_SET_clicked();
    void on_edit_VBUS_Min_editingFinished() { editBound(0, false); }
    void on_edit_VBUS_Max_editingFinished() { editBound(0, true); }
    void on_edit_IBUS_Min_editingFinished() { editBound(1, false); }
    void on_edit_IBUS_Max_editingFinished() { editBound(1, true); }
    void on_edit_POWER_Min_editingFinished() { editBound(2, false); }
    void on_edit_POWER_Max_editingFinished() { editBound(2, true); }
    void on_edit_PD_Min_editingFinished() { editBound(3, false); }
    void on_edit_PD_Max_editingFinished() { editBound(3, true); }
    void on_edit_PM_Min_editingFinished() { editBound(4, false); }
    void on_edit_PM_Max_editingFinished() { editBound(4, true); }
    void on_edit_CC1_Min_editingFinished() { editBound(5, false); }
    void on_edit_CC1_Max_editingFinished() { editBound(5, true); }
    void on_edit_CC2_Min_editingFinished() { editBound(6, false); }
    void on_edit_CC2_Max_editingFinished() { editBound(6, true); }
    void on_edit_CPU_Min_editingFinished() { editBound(7, false); }
    void on_edit_CPU_Max_editingFinished() { editBound(7, true); }
    void on_btn_VBUS_clicked() { toggleRow(0); }
    void on_btn_IBUS_clicked() { toggleRow(1); }
    void on_btn_POWER_clicked() { toggleRow(2); }
    void on_btn_PD_clicked() { toggleRow(3); }
    void on_btn_PM_clicked() { toggleRow(4); }
    void on_btn_CC1_clicked() { toggleRow(5); }
    void on_btn_CC2_clicked() { toggleRow(6); }
    void on_btn_CPU_clicked() { toggleRow(7); }

protected:
    void changeEvent(QEvent *event) override;

private:
    void editBound(int row, bool maximum);
    void refuse(const QString &text);
    void storeBound(int row, bool maximum);
    void toggleRow(int row);
    void showRowState(int row);
    void showToggle(int row);
    void applyAccessibleNames();
    QLineEdit *edit(int row, bool maximum) const;
    QPushButton *button(int row) const;

    Ui::AxisRangePanel *ui;
    std::array<UserRange, kRows> m_rows{};
    RangeInUse m_rangeInUse;
};
