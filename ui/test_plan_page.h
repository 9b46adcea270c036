#pragma once
// The test-plan page: a plan opened from a file or written in its editor, checked as it is typed,
// its steps listed with the one running marked, the last readings and the time in the step, each
// step's result as it ends and, at the end, the outcome and where the results were written.
// Start, skip and stop go to the instrument core's plan runner; the page only shows what it says.

#include "acquire/plan_runner.h"
#include "acquire/test_plan.h"
#include "ui/status_line.h"

#include <QWidget>

#include <memory>

class QAbstractButton;
class QLabel;
class QTreeWidgetItem;

namespace acquire {
class InstrumentCore;
}

namespace ui {
namespace Ui {
class TestPlanPage;
}

class TestPlanPage : public QWidget
{
    Q_OBJECT
public:
    explicit TestPlanPage(QWidget *parent = nullptr);
    ~TestPlanPage() override;

    // The core whose runner the page drives and whose readings it shows; it outlives the page.
    void attach(acquire::InstrumentCore &core);

    // The form is built when the page is first shown or one of its widgets is asked for.
    QAbstractButton *returnButton();
    bool hasForm() const { return bool(m_ui); }

signals:
    void returnRequested();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    Ui::TestPlanPage &form();
    void buildReadings();
    void retranslate();
    void setHeaders();

    void textEdited();
    void listSteps();
    void openFile();
    void saveFile();
    void startPlan();
    void showRunning(bool running);
    void showMessage(bool fault, std::function<QString()> say);

    void stepStarted(int index);
    void stepEnded(const QJsonObject &result);
    void planFinished(const QJsonObject &result, acquire::PlanRunner::Outcome outcome);
    void markCurrent(int index);
    void showReadings();

    std::unique_ptr<Ui::TestPlanPage> m_ui;
    acquire::InstrumentCore *m_core = nullptr;
    plan::Plan m_plan;
    bool m_planValid = false;
    QString m_path;    // the plan's file, empty until opened or saved
    int m_marked = -1; // the step shown as running
    qint64 m_stepStartMs = 0;
    StatusLine m_message;       // the plan's faults and the runner's refusals
    StatusLine m_outcome;       // how the last plan ended
    QVector<QLabel *> m_values; // the readings and their units, in the order of kReadings
    QVector<QLabel *> m_units;
    QLabel *m_stepValue = nullptr;
    QLabel *m_timeValue = nullptr;
};

} // namespace ui
