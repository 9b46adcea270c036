// The chart as a picture: the view's grab under a 50 px caption band.

#include "chart/live_chart.h"

#include "chart/chart_view.h"
#include "record/clock.h"
#include "chart/picture_file.h"

#include <QPainter>

QString LiveChart::imageCaption(const QString &title, const QString &model, const QDateTime &when)
{
    return title + " (" + model + "-" + when.toString("yyyyMMddhhmmss") + ")";
}

QPixmap LiveChart::captionedImage(const QString &caption) const
{
    const QPixmap grab = m_view->grab();
    QPixmap image(grab.width(), grab.height() + 50);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawPixmap(0, 50, grab);
    QFont font("Microsoft YaHei", 12);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(QPoint(0, 0), QPoint(grab.width() - 1, 49)), Qt::AlignCenter, caption);
    return image;
}

SaveOutcome LiveChart::exportImage(QWidget *dialogParent, const QString &title,
                                   const QString &model)
{
    return askAndSavePicture(dialogParent, captionedImage(imageCaption(title, model, Clock::now())),
                             tr("Save File"), "chart", tr("image(*.png)"));
}
