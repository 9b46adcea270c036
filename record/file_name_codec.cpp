#include "record/file_name_codec.h"

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // + the byte, for bytes 0x80 … 0xFF

// Length of the valid UTF-8 sequence at `p` (at most `left` bytes), or 0, and its code point.
int validSequence(const uchar *p, int left, uint *codePoint)
{
    const uchar b = p[0];
    int length = 0;
    uint c = 0;
    uint lowest = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2, c = b & 0x1F, lowest = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3, c = b & 0x0F, lowest = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4, c = b & 0x07, lowest = 0x10000;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (p[i] & 0x3F);
    }
    if (c < lowest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0; // overlong, past Unicode, or a surrogate
    *codePoint = c;
    return length;
}

} // namespace

void FileNameCodec::install()
{
    static FileNameCodec *codec = new FileNameCodec; // registered with Qt, which keeps it
    QTextCodec::setCodecForLocale(codec);
}

QByteArray FileNameCodec::name() const
{
    return QByteArrayLiteral("UTF-8 (bytes kept)");
}

int FileNameCodec::mibEnum() const
{
    return -106; // not UTF-8's 106, which Qt would take for its own codec
}

QString FileNameCodec::convertToUnicode(const char *in, int length, ConverterState *) const
{
    QString out;
    out.reserve(length);
    const auto *p = reinterpret_cast<const uchar *>(in);
    for (int i = 0; i < length;) {
        if (p[i] < 0x80) {
            out += QChar(p[i++]);
            continue;
        }
        uint c = 0;
        if (const int n = validSequence(p + i, length - i, &c)) {
            if (QChar::requiresSurrogates(c))
                out += QChar(QChar::highSurrogate(c)), out += QChar(QChar::lowSurrogate(c));
            else
                out += QChar(char16_t(c));
            i += n;
        } else {
            out += QChar(char16_t(kEscapeBase + p[i++]));
        }
    }
    return out;
}

QByteArray FileNameCodec::convertFromUnicode(const QChar *in, int length, ConverterState *) const
{
    QByteArray out;
    out.reserve(length);
    for (int i = 0; i < length; ++i) {
        const char16_t u = in[i].unicode();
        if (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF) {
            out += char(u - kEscapeBase); // a byte kept from the name
            continue;
        }
        uint c = u;
        if (QChar::isHighSurrogate(u) && i + 1 < length && in[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(u, in[++i].unicode());
        else if (QChar::isSurrogate(u))
            c = QChar::ReplacementCharacter;
        out += QString::fromUcs4(&c, 1).toUtf8();
    }
    return out;
}
