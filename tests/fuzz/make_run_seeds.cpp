// Writes a seed corpus for fuzz_run_file: data files of both families as the recorder writes
// them, one with Windows line ends and one with an export appended.
// Usage: fuzz_run_file_seeds <folder>

#include "record/csv_format.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

QByteArray dataFile(quint8 family, int rows, bool header = true)
{
    std::string text;
    csv::RowFormat format(family);
    const qint64 start = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)).toMSecsSinceEpoch();
    for (int i = 0; i < rows; ++i) {
        const float t = float(i);
        format.append(text, start + i * 1000,
                      {4.1f - t * 0.01f, 1.0f, 4.1f, 4.1f, t * 0.001f, t * 0.3f, 30.0f, 25.5f,
                       28.0f, 1500.0f});
    }
    return (header ? csv::headerBlock(family) : QByteArray()) + QByteArray::fromStdString(text);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    dir.mkpath(".");
    QByteArray crlf = dataFile(proto::Nv05Family, 4);
    crlf.replace("\n", "\r\n");
    const QByteArray seeds[] = {
        dataFile(proto::Hk07Family, 5),
        crlf,
        dataFile(proto::Hk07Family, 3) + dataFile(proto::Hk07Family, 2, false),
    };
    int n = 0;
    for (const QByteArray &seed : seeds) {
        QFile file(dir.filePath(QStringLiteral("run_%1.csv").arg(n++)));
        if (!file.open(QIODevice::WriteOnly) || file.write(seed) != seed.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}
