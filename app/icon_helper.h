#pragma once
// Pictogram glyphs from the embedded icon font, for title-bar buttons, return buttons and the
// large pictures of the home tiles.

#include <QFont>
#include <QObject>
#include <QPixmap>

class QAbstractButton;

class IconHelper : public QObject
{
    Q_OBJECT
public:
    static IconHelper &shared();

    void applyGlyph(QAbstractButton *button, QChar glyph, int pointSize);
    QPixmap glyphPixmap(const QString &colourName, QChar glyph, int pointSize, int width,
                        int height) const;
    QFont iconFont() const { return m_iconFont; }

private:
    IconHelper();
    QFont m_iconFont;
};
