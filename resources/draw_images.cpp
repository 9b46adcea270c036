// Build-time generator: paints every image the program embeds into the folder given on the
// command line. Runs on the offscreen platform, so it needs no display.

#include "resources/draw_common.h"
#include "resources/gif_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

namespace {

bool writeImage(const QString &path, const QImage &image)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    const bool jpeg = path.endsWith(QLatin1String(".jpg"));
    if (jpeg)
        return image.convertToFormat(QImage::Format_RGB32).save(path, "JPG", 92);
    return image.save(path, "PNG");
}

bool writeSearchingGif(const QString &path)
{
    // Transparent index 0, then a ramp from the panel colour to the accent: antialiased edges
    // blend towards the panel the animation sits on.
    QVector<QRgb> palette{qRgba(0, 0, 0, 0)};
    const int steps = 15;
    for (int i = 0; i < steps; ++i) {
        const qreal t = qreal(i) / (steps - 1);
        palette << qRgb(qRound(0x4B + (draw::kAccent.red() - 0x4B) * t),
                        qRound(0x4B + (draw::kAccent.green() - 0x4B) * t),
                        qRound(0x4B + (draw::kAccent.blue() - 0x4B) * t));
    }
    QVector<QImage> frames;
    for (const QImage &frame : draw::searchingFrames()) {
        // Pre-blend over the panel colour so the palette search finds the right shade.
        QImage blended(frame.size(), QImage::Format_ARGB32);
        blended.fill(Qt::transparent);
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                const QColor c = frame.pixelColor(x, y);
                if (c.alpha() < 40)
                    continue;
                const qreal a = c.alphaF();
                blended.setPixel(x, y,
                                 qRgba(qRound(c.red() * a + 0x4B * (1 - a)),
                                       qRound(c.green() * a + 0x4B * (1 - a)),
                                       qRound(c.blue() * a + 0x4B * (1 - a)), 255));
            }
        }
        frames << gif::toIndexed(blended, palette, 0);
    }
    gif::Options options;
    options.delayCentiseconds = 8;
    options.transparentIndex = 0;
    const QByteArray data = gif::encode(frames, options);
    QFile file(path);
    if (data.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath()) ||
        !file.open(QIODevice::WriteOnly))
        return false;
    return file.write(data) == data.size();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: draw_images <output folder>\n";
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);

    std::vector<draw::Output> outputs = draw::tileImages();
    for (auto &&list : {draw::themeImages(), draw::iconImages()})
        outputs.insert(outputs.end(), list.begin(), list.end());

    int failures = 0;
    for (const draw::Output &out : outputs) {
        const QString path = outDir + QLatin1Char('/') + out.path;
        if (!writeImage(path, out.paint())) {
            err << "cannot write " << path << "\n";
            ++failures;
        }
    }
    const QString gifPath = outDir + QStringLiteral("/img/searching.gif");
    if (!writeSearchingGif(gifPath)) {
        err << "cannot write " << gifPath << "\n";
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
