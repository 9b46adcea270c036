#include "app/icon_helper.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QLoggingCategory>
#include <QPainter>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

IconHelper &IconHelper::shared()
{
    static IconHelper *instance = new IconHelper; // lives as long as the process
    return *instance;
}

IconHelper::IconHelper()
{
    const int id = QFontDatabase::addApplicationFont(":/sys/rs/rs/font/fontawesome-webfont.ttf");
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty())
        qCDebug(lcApp) << "load fontawesome-webfont.ttf error";
    else
        m_iconFont = QFont(families.first());
}

void IconHelper::applyGlyph(QAbstractButton *button, QChar glyph, int pointSize)
{
    QFont font = m_iconFont;
    font.setPointSize(pointSize);
    button->setFont(font);
    button->setText(glyph);
}

QPixmap IconHelper::glyphPixmap(const QString &colourName, QChar glyph, int pointSize, int width,
                                int height) const
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QColor colour(colourName);
    painter.setPen(colour);
    painter.setBrush(colour);
    QFont font = m_iconFont;
    font.setPointSize(pointSize);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    return pixmap;
}
