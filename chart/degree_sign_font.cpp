#include "chart/degree_sign_font.h"

#include <QPainterPath>
#include <QRawFont>

namespace {

bool drawsDegreeSignBlank(const QFont &font)
{
    const QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid() || !raw.supportsCharacter(QChar(0x2103)))
        return false; // the sign comes from a fallback font, which draws it
    const QVector<quint32> glyphs = raw.glyphIndexesForString(QString(QChar(0x2103)));
    return !glyphs.isEmpty() && raw.pathForGlyph(glyphs.first()).isEmpty();
}

} // namespace

QFont withDegreeSign(const QFont &font)
{
    if (!drawsDegreeSignBlank(font))
        return font;
    QFont result(font);
    QStringList families = font.families();
    if (families.isEmpty())
        families << font.family();
    families.prepend(QStringLiteral("DejaVu Sans"));
    result.setFamilies(families);
    return result;
}
