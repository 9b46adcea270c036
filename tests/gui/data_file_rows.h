#pragma once
// The data rows of a CSV file the program wrote (after the four header lines), split into cells.

#include <QFile>
#include <QStringList>
#include <QVector>

inline QVector<QStringList> csvRows(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    QVector<QStringList> rows;
    for (const QString &line : lines.mid(4))
        rows.append(line.split(','));
    return rows;
}
