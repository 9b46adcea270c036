// Prints the recorded-run viewer's figures; never fails on timing. Files go to a temporary
// folder. Runs offscreen unless a platform is chosen.

#include "record/csv_format.h"
#include "review/run_chart.h"
#include "review/run_viewer.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtCharts/QChartView>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

proto::SampleValues valuesFor(qint64 i)
{
    const float t = float(i);
    return {4.2f - t * 1e-6f, 1.5f + float(i % 13) * 0.01f, 6.0f,   2.8f,  t * 1.7e-3f,
            t * 0.41f,        41.5f + float(i % 50) * 0.1f, 30.25f, 55.0f, 1800.0f};
}

bool writeRun(const QString &path, qint64 rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(csv::headerBlock(proto::Hk07Family));
    csv::RowFormat format(proto::Hk07Family);
    const qint64 start = QDateTime(QDate(2026, 11, 30), QTime(8, 0)).toMSecsSinceEpoch();
    std::string chunk;
    for (qint64 i = 0; i < rows; ++i) {
        format.append(chunk, start + i * 1000, valuesFor(i));
        if (chunk.size() > (1u << 20) || i + 1 == rows) {
            file.write(chunk.data(), qint64(chunk.size()));
            chunk.clear();
        }
    }
    return true;
}

double plainReadMs(const QString &path, qint64 *bytes)
{
    QElapsedTimer t;
    t.start();
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    std::vector<char> buffer(size_t(1) << 22);
    *bytes = 0;
    for (qint64 n; (n = file.read(buffer.data(), qint64(buffer.size()))) > 0;)
        *bytes += n;
    return t.nsecsElapsed() / 1e6;
}

long rssKb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Opens `paths` in a fresh viewer; returns ms to the runs arriving and to the chart painted.
std::pair<double, double> openToPaint(review::RunViewer &viewer, const QStringList &paths)
{
    QEventLoop loop;
    QObject::connect(&viewer, &review::RunViewer::runsChanged, &loop, &QEventLoop::quit);
    QElapsedTimer t;
    t.start();
    viewer.openFiles(paths);
    loop.exec();
    const double loaded = t.nsecsElapsed() / 1e6;
    auto *view = viewer.findChild<QtCharts::QChartView *>("review_chartView");
    view->viewport()->repaint();
    return {loaded, t.nsecsElapsed() / 1e6};
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1209600;
    const int runs = argc > 2 ? QByteArray(argv[2]).toInt() : 8;
    QTemporaryDir dir;
    const QString path = dir.filePath("week.csv");
    if (!writeRun(path, rows)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    qint64 bytes = 0;
    plainReadMs(path, &bytes); // into the page cache
    const double readMs = plainReadMs(path, &bytes);
    const double mb = bytes / 1e6;

    QElapsedTimer t;
    t.start();
    std::vector<review::RecordedRun> parsed;
    review::ReadError error;
    if (!review::readRunFile(path, &parsed, &error)) {
        std::fprintf(stderr, "parse failed: problem %d line %lld\n", int(error.problem),
                     static_cast<long long>(error.line));
        return 1;
    }
    const double parseMs = t.nsecsElapsed() / 1e6;
    parsed.clear();
    std::printf("file: %lld rows, %.1f MB\n", static_cast<long long>(rows), mb);
    std::printf("plain read: %.0f ms = %.0f MB/s; parse: %.0f ms = %.0f MB/s (%.1fx the read)\n",
                readMs, mb / readMs * 1e3, parseMs, mb / parseMs * 1e3, parseMs / readMs);

    review::RunViewer viewer;
    viewer.resize(1366, 768);
    viewer.show();
    QApplication::processEvents();
    const long rssBefore = rssKb();
    const auto one = openToPaint(viewer, {path});
    std::printf("open one run to first paint: %.0f ms (runs ready after %.0f ms)\n", one.second,
                one.first);
    const review::LoadedRun &loaded = *viewer.runs().front();
    const qint64 storeBytes = loaded.run.rows.bytesUsed();
    const qint64 pyramidBytes = loaded.pyramid.bytesUsed();
    std::printf("bytes per row: %.1f (store %.1f + pyramid %.1f); process grew %.1f B/row\n",
                double(storeBytes + pyramidBytes) / rows, double(storeBytes) / rows,
                double(pyramidBytes) / rows, (rssKb() - rssBefore) * 1024.0 / rows);

    QStringList more;
    for (int n = 1; n < runs; ++n)
        more << path;
    const auto rest = more.isEmpty() ? std::pair<double, double>() : openToPaint(viewer, more);
    std::printf("%d runs open (%d more in %.0f ms); process grew %.1f B/row\n",
                int(viewer.runs().size()), runs - 1, rest.second,
                (rssKb() - rssBefore) * 1024.0 / (rows * qint64(viewer.runs().size())));

    // Pan and zoom steps as the view gets them: wheel events around the middle, then drags.
    auto *view = viewer.findChild<QtCharts::QChartView *>("review_chartView");
    const QPointF middle = view->chart()->plotArea().center();
    std::vector<double> zoom, pan;
    for (int step = 0; step < 24; ++step) {
        const int delta = step < 12 ? 120 : -120;
        QWheelEvent wheel(middle, view->mapToGlobal(middle.toPoint()), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        t.restart();
        QApplication::sendEvent(view, &wheel);
        view->viewport()->repaint();
        zoom.push_back(t.nsecsElapsed() / 1e6);
    }
    QMouseEvent press(QEvent::MouseButtonPress, middle, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    for (int step = 0; step < 24; ++step) {
        const QPointF to = middle + QPointF(step < 12 ? -10.0 * step : -10.0 * (24 - step), 0);
        QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        t.restart();
        QApplication::sendEvent(view, &move);
        view->viewport()->repaint();
        pan.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("with %d runs: zoom step median %.1f ms, max %.1f ms; pan step median %.1f ms, "
                "max %.1f ms\n",
                int(viewer.runs().size()), median(zoom),
                *std::max_element(zoom.begin(), zoom.end()), median(pan),
                *std::max_element(pan.begin(), pan.end()));
    return 0;
}
