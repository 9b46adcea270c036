#include "chart/picture_file.h"

#include "chart/chart_log.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>

bool savePicture(const QPixmap &image, const QString &fileName)
{
    const QByteArray suffix = QFileInfo(fileName).suffix().toLower().toLatin1();
    const char *format = QImageWriter::supportedImageFormats().contains(suffix) ? nullptr : "PNG";
    const bool saved = image.save(fileName, format);
    if (!saved)
        qCWarning(lcChart) << "chart picture not written:" << fileName;
    return saved;
}

SaveOutcome askAndSavePicture(QWidget *dialogParent, const QPixmap &image, const QString &title,
                              const QString &suggested, const QString &filter)
{
    const QString fileName = QFileDialog::getSaveFileName(dialogParent, title, suggested, filter);
    if (fileName.isEmpty())
        return {};
    if (savePicture(image, fileName))
        return {SaveOutcome::Result::Written, fileName, QString()};
    return {SaveOutcome::Result::Failed, fileName,
            QStringLiteral("the picture could not be written")};
}
