#include "chart/picture_file.h"

#include "chart/chart_log.h"

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
