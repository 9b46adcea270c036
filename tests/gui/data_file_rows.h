#pragma once
// The files the program wrote below a folder, and the data rows of a CSV file (after the four
// header lines), split into cells.

#include <QDirIterator>
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

inline QStringList filesUnder(const QString &folder, const QString &pattern)
{
    QStringList found;
    QDirIterator it(folder, {pattern}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}
