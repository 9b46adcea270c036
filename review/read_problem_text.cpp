#include "review/read_problem_text.h"

#include <QCoreApplication>
#include <QDir>

namespace review {

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("review::ReadProblem", text);
}

QString what(const ReadError &error)
{
    switch (error.problem) {
    case ReadProblem::None:
        break;
    case ReadProblem::CannotOpen:
        return tr("无法读取文件");
    case ReadProblem::Empty:
        return tr("文件是空的");
    case ReadProblem::NotUtf8:
        return tr("含有不是UTF-8的字节");
    case ReadProblem::NotDataFile:
        return tr("不是本程序记录的数据文件");
    case ReadProblem::BrokenHeader:
        return tr("表头不完整或有误");
    case ReadProblem::ColumnCount:
        return tr("应有 %1 列, 实有 %2 列").arg(error.expected).arg(error.found);
    case ReadProblem::BadTime:
        return tr("时间格式有误");
    case ReadProblem::BadNumber:
        return tr("数值有误");
    case ReadProblem::LineTooLong:
        return tr("行过长");
    case ReadProblem::TornLine:
        return tr("最后一行不完整");
    case ReadProblem::NoRows:
        return tr("没有数据行");
    case ReadProblem::TooManyRuns:
        if (error.line > 0)
            return tr("最多读取 %1 个记录, 从此行起未打开").arg(error.expected);
        return tr("最多比较 %1 个记录, 未打开").arg(error.expected);
    case ReadProblem::Changed:
        return tr("文件在读取时被改动");
    case ReadProblem::BadJournal:
        return tr("中断记录文件已损坏");
    }
    return QString();
}
} // namespace

QString readProblemText(const QString &path, const ReadError &error)
{
    const QString file = QDir::toNativeSeparators(path);
    if (error.line > 0)
        return tr("%1, 第 %2 行: %3").arg(file).arg(error.line).arg(what(error));
    return tr("%1: %2").arg(file, what(error));
}

} // namespace review
