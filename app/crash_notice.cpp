#include "app/crash_notice.h"

#include "crash/crash_reporter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QMessageBox>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

QString logUnseenCrash()
{
    if (!crash::takeUnseenReport())
        return QString();
    const QString path = QDir::toNativeSeparators(QFile::decodeName(crash::reportPath()));
    qCWarning(lcApp) << "closed unexpectedly last time; crash report:" << path;
    return path;
}

void showCrashNotice(QWidget *parent)
{
    const QString path = logUnseenCrash();
    if (path.isEmpty())
        return;
    auto *box = new QMessageBox(
        QMessageBox::Warning, QCoreApplication::translate("CrashNotice", "提示信息"),
        QCoreApplication::translate("CrashNotice", "程序上次意外关闭。崩溃报告保存在:\n%1")
            .arg(path),
        QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->open();
}
