#pragma once

#include <QByteArray>
#include <QImage>
#include <QVector>

// A small GIF89a writer. Qt reads GIF files but cannot write them, and the bus-scan animation
// must be one, so the image generator encodes its frames with this.
namespace gif {

struct Options
{
    int delayCentiseconds = 10; // per frame
    int transparentIndex = -1;  // colour index drawn as transparent, -1 for none
    bool loopForever = true;    // adds the looping application extension
};

// Frames must all be QImage::Format_Indexed8 of one size; they are written with the colour table
// of the first frame (at most 256 entries, padded to a power of two). Returns an empty array if
// the frames do not meet that.
QByteArray encode(const QVector<QImage> &frames, const Options &options = {});

// GIF flavour of LZW for one image: variable code width from minCodeSize + 1 up to 12 bits, a
// clear code at the start and whenever the code table is full, least significant bit first.
// The result is the packed code stream, not yet split into sub-blocks.
QByteArray lzwCompress(const QByteArray &indices, int minCodeSize);

// Maps a 32-bit image to the given palette: pixels with alpha below 128 become transparentIndex
// (when >= 0), others the nearest opaque palette entry.
QImage toIndexed(const QImage &image, const QVector<QRgb> &palette, int transparentIndex);

} // namespace gif
