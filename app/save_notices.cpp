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

void showExportOutcome(ui::StatusLine &statusLine, const SaveOutcome &outcome)
{
    if (!outcome.path.isEmpty())
        statusLine.show([outcome] { return outcome.labelText(); });
}

void announceRecoveredRuns(QWidget *window, ui::StatusLine &statusLine,
                           const QVector<RecoveredRun> &runs)
{
    QStringList lines;
    for (const RecoveredRun &run : runs) {
        const SaveOutcome save = run.save;
        const auto say = [save]() -> QString {
            if (save.written())
                return QCoreApplication::translate("MainDialog", "已恢复中断的记录: %1")
                    .arg(save.path);
            if (save.result == SaveOutcome::Result::Failed)
                return save.labelText();
            return QString();
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
