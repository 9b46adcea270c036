#include "review/run_viewer.h"

#include "chart/degree_sign_font.h"
#include "chart/picture_file.h"
#include "record/data_folder.h"
#include "review/review_log.h"
#include "review/run_chart.h"
#include "review/run_chart_view.h"
#include "settings/settings_file.h"
#include "ui_RunViewer.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QSaveFile>
#include <QThread>
#include <QUrl>

namespace review {

namespace {
const char kRecentKey[] = "recent_runs";
constexpr int kRecentCount = 10;
constexpr int kMaxColumnWidth = 190;
} // namespace

RunViewer::RunViewer(QWidget *parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::RunViewer>()),
      m_chart(new RunChart(this))
{
    ui->setupUi(this);
    setObjectName("review_window");
    setAcceptDrops(true);
    m_view = new RunChartView(m_chart, ui->review_chartHost);
    m_view->setObjectName("review_chartView");
    ui->review_chartLayout->addWidget(m_view);
    // The temperatures' captions end in "℃". A font's family list does not pass on to child
    // widgets, so each gets its own.
    setFont(withDegreeSign(font()));
    for (QWidget *child : findChildren<QWidget *>())
        child->setFont(withDegreeSign(child->font()));
    ui->review_splitter->setStretchFactor(0, 3);
    ui->review_splitter->setStretchFactor(1, 1);
    ui->review_splitter->setSizes({820, 530});
    // Long file names shorten in the middle, where their counters stay readable.
    ui->review_tableSummary->horizontalHeader()->setTextElideMode(Qt::ElideMiddle);
    fillQuantities();

    connect(ui->review_btnOpen, &QPushButton::clicked, this, &RunViewer::chooseFiles);
    connect(ui->review_btnRecent, &QPushButton::clicked, this, &RunViewer::showRecentMenu);
    connect(ui->review_btnExportTable, &QPushButton::clicked, this, &RunViewer::exportTable);
    connect(ui->review_btnExportImage, &QPushButton::clicked, this, &RunViewer::exportImage);
    connect(ui->review_btnCloseRuns, &QPushButton::clicked, this, &RunViewer::closeRuns);
    connect(ui->review_comboQuantity, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int slot) {
                if (slot < 0)
                    return;
                m_chart->setSlot(slot);
                if (m_problemShown) // what failed earlier no longer concerns what is shown
                    showStatus(QString(), false);
            });
    refresh();
}

RunViewer::~RunViewer() = default;

void RunViewer::fillQuantities()
{
    const int current = qMax(0, ui->review_comboQuantity->currentIndex());
    const QSignalBlocker block(ui->review_comboQuantity);
    ui->review_comboQuantity->clear();
    for (int slot = 0; slot < kPlotSlots; ++slot)
        ui->review_comboQuantity->addItem(RunChart::slotName(slot));
    ui->review_comboQuantity->setCurrentIndex(current);
}

void RunViewer::openFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    if (m_loading) {
        m_pending << paths;
        return;
    }
    m_loading = true;
    showStatus(tr("正在打开 %1 个文件...").arg(paths.size()), false);
    auto outcome = std::make_shared<LoadOutcome>();
    const int allowed = kMaxRuns - int(m_runs.size());
    QThread *reader =
        QThread::create([outcome, paths, allowed] { *outcome = loadRunFiles(paths, allowed); });
    connect(reader, &QThread::finished, reader, &QObject::deleteLater);
    connect(reader, &QThread::finished, this, [this, outcome] { takeLoaded(std::move(*outcome)); });
    reader->start();
}

void RunViewer::takeLoaded(LoadOutcome outcome)
{
    m_loading = false;
    QStringList notes = outcome.problems;
    QStringList skipped;
    for (auto &loaded : outcome.runs) {
        if (m_runs.size() < size_t(kMaxRuns))
            m_runs.push_back(std::move(loaded));
        else
            skipped << loaded->name;
    }
    if (!skipped.isEmpty())
        notes << tr("最多比较 %1 个记录, 未打开: %2").arg(kMaxRuns).arg(skipped.join(", "));
    rememberRecent(outcome.openedFiles);
    qCInfo(lcReview) << "opened" << outcome.openedFiles << "problems" << outcome.problems;
    refresh();
    if (notes.isEmpty()) {
        showStatus(tr("已打开 %1 个记录").arg(m_runs.size()), false);
    } else {
        showStatus(notes.join('\n'), true);
        auto *box = new QMessageBox(QMessageBox::Warning, tr("提示"), notes.join('\n'),
                                    QMessageBox::Ok, this);
        box->setObjectName("review_problemBox");
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
    emit runsChanged();
    if (!m_pending.isEmpty()) {
        const QStringList next = m_pending;
        m_pending.clear();
        openFiles(next);
    }
}

void RunViewer::refresh()
{
    m_chart->setRuns(&m_runs);
    fillTable();
    const bool any = !m_runs.empty();
    ui->review_btnExportTable->setEnabled(any);
    ui->review_btnExportImage->setEnabled(any);
    ui->review_btnCloseRuns->setEnabled(any);
}

void RunViewer::fillTable()
{
    QTableWidget *table = ui->review_tableSummary;
    const QStringList captions = summaryCaptions();
    table->clear();
    table->setRowCount(captions.size());
    table->setColumnCount(int(m_runs.size()));
    table->setVerticalHeaderLabels(captions);
    for (int n = 0; n < int(m_runs.size()); ++n) {
        auto *header = new QTableWidgetItem(m_runs[size_t(n)]->name);
        header->setForeground(runColor(n));
        header->setToolTip(m_runs[size_t(n)]->run.source);
        table->setHorizontalHeaderItem(n, header);
        const QStringList column = summaryColumn(m_runs[size_t(n)]->summary);
        for (int row = 0; row < column.size(); ++row)
            table->setItem(row, n, new QTableWidgetItem(column[row]));
    }
    table->resizeColumnsToContents();
    for (int n = 0; n < table->columnCount(); ++n)
        table->setColumnWidth(n, qBound(110, table->columnWidth(n), kMaxColumnWidth));
}

QByteArray RunViewer::summaryCsvText() const
{
    QStringList names;
    QVector<RunSummary> summaries(int(m_runs.size()));
    for (size_t n = 0; n < m_runs.size(); ++n) {
        names << m_runs[n]->name;
        summaries[int(n)] = m_runs[n]->summary;
    }
    return summaryCsv(names, summaries);
}

QPixmap RunViewer::chartPicture() const
{
    return m_view->grab();
}

void RunViewer::chooseFiles()
{
    // Runs are saved into the data folder: the dialog opens there.
    const QString folder =
        resolveDataFolder(SettingsFile().read("save_path"), QCoreApplication::applicationDirPath())
            .path;
    const QStringList paths = QFileDialog::getOpenFileNames(
        this, tr("打开记录的数据"), folder, tr("数据文件 (*.csv *.journal);;所有文件 (*)"));
    openFiles(paths);
}

QStringList RunViewer::recentFiles()
{
    return SettingsFile().read(kRecentKey).split('\n', Qt::SkipEmptyParts);
}

void RunViewer::rememberRecent(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    QStringList recent = recentFiles();
    for (const QString &path : paths) {
        recent.removeAll(path);
        recent.prepend(path);
    }
    SettingsFile().write(kRecentKey, recent.mid(0, kRecentCount).join('\n'));
}

void RunViewer::showRecentMenu()
{
    auto *menu = new QMenu(this);
    menu->setObjectName("review_recentMenu");
    connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    const QStringList recent = recentFiles();
    for (const QString &path : recent)
        menu->addAction(QDir::toNativeSeparators(path), this, [this, path] { openFiles({path}); });
    if (recent.isEmpty())
        menu->addAction(tr("(无)"))->setEnabled(false);
    menu->popup(ui->review_btnRecent->mapToGlobal(ui->review_btnRecent->rect().bottomLeft()));
}

void RunViewer::exportTable()
{
    const QString path =
        QFileDialog::getSaveFileName(this, tr("导出表格"), "summary.csv", tr("表格文件 (*.csv)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const QByteArray text = summaryCsvText();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        showStatus(tr("表格未能保存: %1 (%2)").arg(path, file.errorString()), true);
        return;
    }
    showStatus(tr("表格已保存: %1").arg(path), false);
}

void RunViewer::exportImage()
{
    const SaveOutcome saved =
        askAndSavePicture(this, chartPicture(), tr("保存图片"), "runs", tr("图片 (*.png)"));
    if (saved.written())
        showStatus(tr("图片已保存: %1").arg(saved.path), false);
    else if (!saved.path.isEmpty())
        showStatus(tr("图片未能保存: %1").arg(saved.path), true);
}

void RunViewer::closeRuns()
{
    m_runs.clear();
    refresh();
    showStatus(QString(), false);
    emit runsChanged();
}

void RunViewer::showStatus(const QString &text, bool problem)
{
    m_problemShown = problem;
    ui->review_labelStatus->setStyleSheet(problem ? "color: red" : QString());
    ui->review_labelStatus->setText(text);
}

void RunViewer::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        fillQuantities();
        m_chart->retranslate();
        fillTable();
    }
    QWidget::changeEvent(event);
}

QStringList droppedFiles(const QMimeData *mime)
{
    QStringList files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl &url : mime->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}

void RunViewer::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void RunViewer::dropEvent(QDropEvent *event)
{
    openFiles(droppedFiles(event->mimeData()));
    event->acceptProposedAction();
}

RunViewer *showRunViewer(QWidget *owner, const QStringList &files)
{
    auto *viewer = owner->findChild<RunViewer *>(QString(), Qt::FindDirectChildrenOnly);
    if (!viewer)
        viewer = new RunViewer(owner);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    viewer->openFiles(files);
    return viewer;
}

namespace {
// Drops of files on the main window go to the viewer; everything else passes.
class RunFileDrops : public QObject
{
public:
    explicit RunFileDrops(QWidget *window) : QObject(window), m_window(window) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::DragEnter) {
            auto *enter = static_cast<QDragEnterEvent *>(event);
            if (!droppedFiles(enter->mimeData()).isEmpty()) {
                enter->acceptProposedAction();
                return true;
            }
        } else if (watched == m_window && event->type() == QEvent::Drop) {
            auto *drop = static_cast<QDropEvent *>(event);
            const QStringList files = droppedFiles(drop->mimeData());
            if (!files.isEmpty()) {
                drop->acceptProposedAction();
                showRunViewer(m_window, files);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *m_window;
};
} // namespace

void acceptRunFileDrops(QWidget *window)
{
    window->setAcceptDrops(true);
    window->installEventFilter(new RunFileDrops(window));
}

} // namespace review
