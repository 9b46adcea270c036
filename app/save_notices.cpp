#include "app/save_notices.h"

#include "acquire/instrument_core.h"
#include "acquire/run_saving.h"
#include "ui/status_line.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

void showExportOutcome(ui::StatusLine &statusLine, const SaveOutcome &outcome,
                       const QString &laterRuns)
{
    if (outcome.path.isEmpty())
        return;
    statusLine.show([outcome, laterRuns] {
        if (laterRuns.isEmpty())
            return outcome.labelText();
        return outcome.labelText() + "  " +
               QCoreApplication::translate("MainDialog", "以后的记录将保存在: %1").arg(laterRuns);
    });
}

void announceRecoveredRuns(QWidget *window, ui::StatusLine &statusLine,
                           const QVector<RecoveredRun> &runs)
{
    QStringList lines;
    for (const RecoveredRun &run : runs) {
        const auto say = [run]() -> QString {
            const auto tr = [](const char *text) {
                return QCoreApplication::translate("MainDialog", text);
            };
            if (!run.damagedCopy.isEmpty())
                return tr("中断记录 %1 已损坏, 无法恢复, 已改名为 %2")
                    .arg(run.journal, run.damagedCopy);
            if (run.save.result == SaveOutcome::Result::Failed)
                return run.save.labelText();
            if (!run.save.written())
                return QString();
            QString line = tr("已恢复中断的记录: %1").arg(run.save.path);
            if (run.headerDamaged)
                line += ' ' + tr("(文件头已损坏, 型号系列按数据列数判断)");
            if (run.droppedLines > 0)
                line += ' ' + tr("(%1 行已损坏, 未能恢复)").arg(run.droppedLines);
            return line;
        };
        const QString line = say();
        if (line.isEmpty())
            continue;
        statusLine.show(say);
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

void prepareRecording(QWidget *window, acquire::InstrumentCore &core, ui::StatusLine &statusLine)
{
    const DataFolder folder = acquire::programDataFolder();
    if (folder.fallback) {
        qCInfo(lcApp).noquote() << "data folder beside the program is not writable; using"
                                << folder.path;
        statusLine.show([path = folder.path] {
            return QCoreApplication::translate("MainDialog", "数据文件夹: %1").arg(path);
        });
    }
    announceRecoveredRuns(window, statusLine, core.recoverEarlierRuns());
}
