#pragma once
// The window for recorded runs: open up to eight, compare one quantity over elapsed time, read
// each run's summary beside the chart, export the table as CSV and the chart as PNG. Files are
// read off the GUI thread, so a run recording in the main window keeps its pace.

#include "review/loaded_run.h"

#include <QWidget>

class QMimeData;

#include <memory>

namespace Ui {
class RunViewer;
}

namespace review {

class RunChart;
class RunChartView;

class RunViewer : public QWidget
{
    Q_OBJECT
public:
    explicit RunViewer(QWidget *parent = nullptr);
    ~RunViewer() override;

    // Reads the files in the background and adds their runs; bad files are named in a message.
    void openFiles(const QStringList &paths);
    bool isLoading() const { return m_loading; }
    const LoadedRuns &runs() const { return m_runs; }

    // The summary table as written by "export table", and the chart as a picture.
    QByteArray summaryCsvText() const;
    QPixmap chartPicture() const;

    // Paths opened most recently first, as kept in the settings file.
    static QStringList recentFiles();

signals:
    // The runs shown changed (files opened or closed) or a load ended.
    void runsChanged();

protected:
    void changeEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void chooseFiles();
    void showRecentMenu();
    void exportTable();
    void exportImage();
    void closeRuns();
    void takeLoaded(LoadOutcome outcome);
    void refresh();
    void fillQuantities();
    void fillTable();
    void rememberRecent(const QStringList &paths);
    void showStatus(const QString &text, bool problem);

    std::unique_ptr<Ui::RunViewer> ui;
    RunChart *m_chart;
    RunChartView *m_view;
    LoadedRuns m_runs;
    QStringList m_pending; // files asked for while a load runs
    bool m_loading = false;
    bool m_problemShown = false; // the status line tells what failed
};

// The main window's entry: finds or makes the viewer as a window of `owner`, shows it and
// opens the files.
RunViewer *showRunViewer(QWidget *owner, const QStringList &files = QStringList());

// Files dropped on `window` open in its viewer.
void acceptRunFileDrops(QWidget *window);

// Local files among dropped URLs.
QStringList droppedFiles(const QMimeData *mime);

} // namespace review
