#include "resources/gif_writer.h"

#include <QHash>

#include <climits>

namespace gif {
namespace {

constexpr int kMaxCodes = 4096;

class BitWriter
{
public:
    void write(int code, int width)
    {
        m_acc |= quint32(code) << m_bits;
        m_bits += width;
        while (m_bits >= 8) {
            m_out.append(char(m_acc & 0xFF));
            m_acc >>= 8;
            m_bits -= 8;
        }
    }
    QByteArray finish()
    {
        if (m_bits > 0)
            m_out.append(char(m_acc & 0xFF));
        m_acc = 0;
        m_bits = 0;
        return m_out;
    }

private:
    QByteArray m_out;
    quint32 m_acc = 0;
    int m_bits = 0;
};

void appendWord(QByteArray &out, int value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

int colourTableBits(int colours)
{
    int bits = 1;
    while ((1 << bits) < colours)
        ++bits;
    return bits;
}

} // namespace

QByteArray lzwCompress(const QByteArray &indices, int minCodeSize)
{
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    BitWriter bits;
    QHash<quint32, int> table; // key: (prefix code << 8) | next index
    int width = minCodeSize + 1;
    int next = endCode + 1;

    bits.write(clearCode, width);
    if (indices.isEmpty()) {
        bits.write(endCode, width);
        return bits.finish();
    }
    int prefix = uchar(indices.at(0));
    for (int i = 1; i < indices.size(); ++i) {
        const uchar k = uchar(indices.at(i));
        const quint32 key = (quint32(prefix) << 8) | k;
        const auto found = table.constFind(key);
        if (found != table.constEnd()) {
            prefix = found.value();
            continue;
        }
        bits.write(prefix, width);
        table.insert(key, next++);
        // The decoder learns each entry one code later than we do, so it widens its codes
        // only once the entry past the current width's range exists.
        if (next > (1 << width) && width < 12)
            ++width;
        if (next >= kMaxCodes) {
            bits.write(clearCode, width);
            table.clear();
            width = minCodeSize + 1;
            next = endCode + 1;
        }
        prefix = k;
    }
    bits.write(prefix, width);
    bits.write(endCode, width);
    return bits.finish();
}

QImage toIndexed(const QImage &image, const QVector<QRgb> &palette, int transparentIndex)
{
    const QImage src = image.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_Indexed8);
    out.setColorTable(palette);
    for (int y = 0; y < src.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        uchar *line = out.scanLine(y);
        for (int x = 0; x < src.width(); ++x) {
            const QRgb p = in[x];
            if (transparentIndex >= 0 && qAlpha(p) < 128) {
                line[x] = uchar(transparentIndex);
                continue;
            }
            int best = 0;
            int bestDistance = INT_MAX;
            for (int i = 0; i < palette.size(); ++i) {
                if (i == transparentIndex)
                    continue;
                const int dr = qRed(p) - qRed(palette[i]);
                const int dg = qGreen(p) - qGreen(palette[i]);
                const int db = qBlue(p) - qBlue(palette[i]);
                const int distance = dr * dr + dg * dg + db * db;
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = i;
                }
            }
            line[x] = uchar(best);
        }
    }
    return out;
}

QByteArray encode(const QVector<QImage> &frames, const Options &options)
{
    if (frames.isEmpty())
        return {};
    const QSize size = frames.first().size();
    const QVector<QRgb> palette = frames.first().colorTable();
    if (palette.isEmpty() || palette.size() > 256 || size.isEmpty() || size.width() > 0xFFFF ||
        size.height() > 0xFFFF)
        return {};
    for (const QImage &frame : frames) {
        if (frame.format() != QImage::Format_Indexed8 || frame.size() != size)
            return {};
        for (int y = 0; y < size.height(); ++y) {
            const uchar *line = frame.constScanLine(y);
            for (int x = 0; x < size.width(); ++x) {
                if (line[x] >= palette.size())
                    return {};
            }
        }
    }
    if (options.transparentIndex >= palette.size())
        return {};

    const int tableBits = colourTableBits(palette.size());
    const int minCodeSize = qMax(2, tableBits);

    QByteArray out("GIF89a");
    appendWord(out, size.width());
    appendWord(out, size.height());
    out.append(char(0x80 | ((tableBits - 1) << 4) | (tableBits - 1))); // global table present
    out.append(char(0));                                               // background index
    out.append(char(0));                                               // square pixels
    for (int i = 0; i < (1 << tableBits); ++i) {
        const QRgb c = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    if (options.loopForever && frames.size() > 1) {
        out.append("\x21\xFF\x0B", 3);
        out.append("NETSCAPE2.0", 11);
        out.append("\x03\x01\x00\x00\x00", 5); // loop count 0 = for ever
    }

    for (const QImage &frame : frames) {
        // Graphic control: restore to background after each frame so transparent areas of the
        // next frame do not show the previous one.
        const bool transparent = options.transparentIndex >= 0;
        out.append("\x21\xF9\x04", 3);
        out.append(char((2 << 2) | (transparent ? 1 : 0)));
        appendWord(out, qBound(0, options.delayCentiseconds, 0xFFFF));
        out.append(char(transparent ? options.transparentIndex : 0));
        out.append(char(0));

        out.append(char(0x2C));
        appendWord(out, 0);
        appendWord(out, 0);
        appendWord(out, size.width());
        appendWord(out, size.height());
        out.append(char(0)); // no local table, not interlaced

        QByteArray indices;
        indices.reserve(size.width() * size.height());
        for (int y = 0; y < size.height(); ++y)
            indices.append(reinterpret_cast<const char *>(frame.constScanLine(y)), size.width());
        const QByteArray codes = lzwCompress(indices, minCodeSize);
        out.append(char(minCodeSize));
        for (int pos = 0; pos < codes.size(); pos += 255) {
            const int length = qMin(255, codes.size() - pos);
            out.append(char(length));
            out.append(codes.constData() + pos, length);
        }
        out.append(char(0)); // block terminator
    }
    out.append(char(0x3B));
    return out;
}

} // namespace gif
