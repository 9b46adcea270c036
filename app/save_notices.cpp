#include "save_notices.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

void showExportOutcome(QLabel *statusLine, const SaveOutcome &outcome)
{
    if (!outcome.path.isEmpty())
        statusLine->setText(outcome.labelText());
}

void announceRecoveredRuns(QWidget *window, QLabel *statusLine, const QVector<RecoveredRun> &runs)
{
    QStringList lines;
    for (const RecoveredRun &run : runs) {
        QString line;
        if (run.save.written())
            line = QCoreApplication::translate("MainDialog", "已恢复中断的记录: %1")
                       .arg(run.save.path);
        else if (run.save.result == SaveOutcome::Result::Failed)
            line = run.save.labelText();
        if (line.isEmpty())
            continue;
        statusLine->setText(line);
        lines.append(line);
    }
    if (lines.isEmpty())
        return;
    // Shown once the window is up, and without holding up anything behind it.
    QPointer<QWidget> parent(window);
    QTimer::singleShot(0, window, [parent, lines] {
        auto *box = new QMessageBox(QMessageBox::Information,
                                    QCoreApplication::translate("MainDialog", "提示"),
                                    lines.join('\n'), QMessageBox::Ok, parent);
        box->setObjectName("recovered_runs_box");
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->show();
    });
}
