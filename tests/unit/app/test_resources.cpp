// The embedded resources: every image the program names, the style sheet and its images, the
// animated scan indicator (and the GIF writer behind it), the icon font and the English catalogue.

#include "resources/gif_writer.h"
#include "resources/popup_warning.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImageReader>
#include <QMap>
#include <QMovie>
#include <QPixmap>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QSlider>
#include <QTest>
#include <QTranslator>
#include <QTreeWidget>
#include <QXmlStreamReader>

namespace {

struct Message
{
    QString context;
    QString source;
    QString comment; // tells apart two uses of one source text
    QString translation;
};

QVector<Message> readCatalogueSource()
{
    QVector<Message> messages;
    QFile file(QStringLiteral(LIB_EN_TS_PATH));
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.name() == QLatin1String("source")) {
            current.source = xml.readElementText();
            current.comment.clear();
        } else if (xml.name() == QLatin1String("comment"))
            current.comment = xml.readElementText();
        else if (xml.name() == QLatin1String("translation")) {
            current.context = context;
            current.translation = xml.readElementText();
            messages << current;
        }
    }
    return xml.hasError() ? QVector<Message>() : messages;
}

bool hasVisiblePixels(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(argb.pixel(x, y)) > 0)
                return true;
        }
    }
    return false;
}

QStringList warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << text;
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void namedImagesLoad_data();
    void namedImagesLoad();
    void styleSheetStartsWithPalette();
    void styleSheetImagesExist();
    void styleSheetParsesCleanly();
    void searchingAnimationPlays();
    void gifRoundTrip_data();
    void gifRoundTrip();
    void gifRejectsBadFrames();
    void iconFontRegisters();
    void catalogueHoldsEveryMessage();
    void catalogueTrickyEntries_data();
    void catalogueTrickyEntries();
    void popupWarningMatchesCatalogue();
    void formTextsAreInTheCatalogue_data();
    void formTextsAreInTheCatalogue();
};

void TestResources::namedImagesLoad_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("expectedSize"); // empty: any size
    const QStringList plain = {
        "AccuGrpDisp.png", "ExportData.png",     "ExportImage.png", "MoreSettings.png",
        "ScrollDisp.png",  "SysSet.png",         "Upgrade.png",     "back.png",
        "cn_en.png",       "icon01_130x20.png",  "main.jpg",        "menu.png",
        "usb_connect.png", "usb_disconnect.png", "folder.png",      "app.png",
    };
    for (const QString &name : plain)
        QTest::newRow(qPrintable(name)) << ":/sys/rs/rs/" + name << QSize();
    QTest::newRow("list_20x20") << ":/sys/rs/rs/list_20x20.png" << QSize(20, 20);
    QTest::newRow("wordmark") << ":/sys/rs/rs/icon01_130x20.png" << QSize(130, 20);
    QTest::newRow("Tick") << ":/sys/rs/rs/img/Tick.png" << QSize(20, 20);
    QTest::newRow("UnTick") << ":/sys/rs/rs/img/UnTick.png" << QSize(20, 20);
    for (int i = 1; i <= 10; ++i) {
        const QString path =
            QStringLiteral(":/sys/rs/rs/img/%1.png").arg(i, 2, 10, QLatin1Char('0'));
        QTest::newRow(qPrintable(path)) << path << QSize(100, 70);
    }
}

void TestResources::namedImagesLoad()
{
    QFETCH(QString, path);
    QFETCH(QSize, expectedSize);
    QVERIFY2(QFile::exists(path), qPrintable(path));
    const QPixmap pixmap(path);
    QVERIFY2(!pixmap.isNull(), qPrintable(path));
    if (expectedSize.isValid())
        QCOMPARE(pixmap.size(), expectedSize);
    QVERIFY2(hasVisiblePixels(pixmap.toImage()), "image is blank");
}

void TestResources::styleSheetStartsWithPalette()
{
    QFile file(":/qss/psblack.css");
    QVERIFY(file.open(QIODevice::ReadOnly));
    // The start-up code reads the palette colour from fixed character positions.
    const QString text = QString::fromLatin1(file.readAll());
    QVERIFY(text.startsWith("QPalette{background:#444444;}"));
    QCOMPARE(text.mid(20, 7), QStringLiteral("#444444"));
    QVERIFY(QColor(text.mid(20, 7)).isValid());
    QVERIFY(text.contains("#00BB9E"));
    QVERIFY(text.contains(QRegularExpression(R"(QWidget\[form="title"\]\s*\{)")));
}

void TestResources::styleSheetImagesExist()
{
    QFile file(":/qss/psblack.css");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QRegularExpression url(R"(url\(([^)]+)\))");
    QSet<QString> paths;
    for (auto it = url.globalMatch(text); it.hasNext();)
        paths.insert(it.next().captured(1));
    QVERIFY(paths.size() >= 10);
    for (const QString &path : paths) {
        QVERIFY2(path.startsWith(":/qss/psblack/"), qPrintable(path));
        QVERIFY2(!QImage(path).isNull(), qPrintable(path));
    }
}

void TestResources::styleSheetParsesCleanly()
{
    QFile file(":/qss/psblack.css");
    QVERIFY(file.open(QIODevice::ReadOnly));
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    const auto restore = qScopeGuard([previous] {
        qInstallMessageHandler(previous);
        qApp->setStyleSheet(QString());
    });
    qApp->setStyleSheet(QString::fromUtf8(file.readAll()));

    QWidget window;
    window.setProperty("form", "title");
    auto *check = new QCheckBox("x", &window);
    check->setChecked(true);
    new QSlider(Qt::Horizontal, &window);
    auto *tree = new QTreeWidget(&window);
    tree->setHeaderLabel("h");
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    // The title rule must reach the widget (gradient background means a styled background).
    QVERIFY(window.grab().toImage().pixelColor(1, 1) != QColor(Qt::black));
}

void TestResources::searchingAnimationPlays()
{
    QMovie movie(":/sys/rs/rs/img/searching.gif");
    QVERIFY(movie.isValid());
    const int count = movie.frameCount();
    QVERIFY(count > 1);
    QVector<QImage> frames;
    QVERIFY(movie.jumpToFrame(0));
    frames << movie.currentImage();
    while (movie.jumpToNextFrame() && movie.currentFrameNumber() > 0)
        frames << movie.currentImage();
    QCOMPARE(frames.size(), count);
    QVERIFY(movie.nextFrameDelay() > 0);
    for (int i = 1; i < count; ++i) {
        QCOMPARE(frames[i].size(), frames[0].size());
        QVERIFY2(frames[i] != frames[i - 1], "consecutive frames are identical");
        QVERIFY(hasVisiblePixels(frames[i]));
        // Transparent corners so it sits on any panel.
        QCOMPARE(qAlpha(frames[i].pixel(0, 0)), 0);
    }
}

void TestResources::gifRoundTrip_data()
{
    QTest::addColumn<int>("colours");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("frames");
    QTest::addColumn<bool>("noisy");
    QTest::addColumn<int>("transparentIndex");
    QTest::newRow("two colours, smallest code size") << 2 << QSize(17, 9) << 2 << true << -1;
    QTest::newRow("five colours, padded table") << 5 << QSize(40, 30) << 3 << true << 0;
    QTest::newRow("noise fills the code table") << 256 << QSize(160, 120) << 2 << true << -1;
    QTest::newRow("long runs") << 16 << QSize(300, 200) << 2 << false << 3;
    QTest::newRow("single pixel") << 4 << QSize(1, 1) << 2 << true << -1;
}

void TestResources::gifRoundTrip()
{
    QFETCH(int, colours);
    QFETCH(QSize, size);
    QFETCH(int, frames);
    QFETCH(bool, noisy);
    QFETCH(int, transparentIndex);

    QRandomGenerator random(1234);
    QVector<QRgb> palette;
    for (int i = 0; i < colours; ++i)
        palette << qRgb((i * 37) & 0xFF, (i * 91 + 17) & 0xFF, (255 - i * 13) & 0xFF);
    QVector<QImage> images;
    for (int f = 0; f < frames; ++f) {
        QImage image(size, QImage::Format_Indexed8);
        image.setColorTable(palette);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const int value =
                    noisy ? int(random.bounded(colours)) : (x / 23 + y / 7 + f) % colours;
                image.setPixel(x, y, uint(value));
            }
        }
        images << image;
    }
    gif::Options options;
    options.transparentIndex = transparentIndex;
    const QByteArray data = gif::encode(images, options);
    QVERIFY(!data.isEmpty());

    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer, "gif");
    QVERIFY(reader.canRead());
    QCOMPARE(reader.imageCount(), frames);
    for (int f = 0; f < frames; ++f) {
        const QImage decoded = reader.read().convertToFormat(QImage::Format_ARGB32);
        QVERIFY2(!decoded.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(decoded.size(), size);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const int index = images[f].pixelIndex(x, y);
                const QRgb got = decoded.pixel(x, y);
                if (index == transparentIndex) {
                    QCOMPARE(qAlpha(got), 0);
                } else if (got != palette[index]) {
                    QFAIL(qPrintable(QStringLiteral("frame %1 pixel %2,%3: %4 instead of %5")
                                         .arg(f)
                                         .arg(x)
                                         .arg(y)
                                         .arg(got, 8, 16)
                                         .arg(palette[index], 8, 16)));
                }
            }
        }
    }
}

void TestResources::gifRejectsBadFrames()
{
    QImage indexed(4, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    indexed.fill(0);
    QImage otherSize(5, 4, QImage::Format_Indexed8);
    otherSize.setColorTable(indexed.colorTable());
    otherSize.fill(0);
    QImage outOfTable = indexed;
    outOfTable.scanLine(1)[1] = 7; // index past the colour table
    QVERIFY(gif::encode({}).isEmpty());
    QVERIFY(gif::encode({indexed, otherSize}).isEmpty());
    QVERIFY(gif::encode({indexed.convertToFormat(QImage::Format_RGB32)}).isEmpty());
    QVERIFY(gif::encode({indexed, outOfTable}).isEmpty());
    gif::Options badTransparent;
    badTransparent.transparentIndex = 2;
    QVERIFY(gif::encode({indexed}, badTransparent).isEmpty());
    QVERIFY(!gif::encode({indexed}).isEmpty());
}

void TestResources::iconFontRegisters()
{
    const int id = QFontDatabase::addApplicationFont(":/sys/rs/rs/font/fontawesome-webfont.ttf");
    QVERIFY(id >= 0);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    QVERIFY(!families.isEmpty());
    const QFontMetrics metrics{QFont(families.first(), 16)};
    for (const ushort glyph : {0xF073, 0xF122, 0xF068, 0xF2D0, 0xF00D, 0xF150, 0xF01B, 0xF085})
        QVERIFY2(metrics.inFontUcs4(glyph), qPrintable(QString::number(glyph, 16)));
}

void TestResources::catalogueHoldsEveryMessage()
{
    const QVector<Message> messages = readCatalogueSource();
    QVERIFY(!messages.isEmpty());
    QMap<QString, int> perContext;
    QSet<QString> keys;
    for (const Message &m : messages) {
        ++perContext[m.context];
        keys.insert(m.context + QChar(0) + m.source + QChar(0) + m.comment);
    }
    const QMap<QString, int> expected{{"MainDialog", 121},
                                      {"SettingsHk07Controls", 38},
                                      {"SettingsNv05Controls", 37},
                                      {"app::ChartPage", 10},
                                      {"app::LabLinkWiring", 1},
                                      {"app::StartHints", 4},
                                      {"app::TitleMenu", 4},
                                      {"ui::DisplayPage", 66},
                                      {"ui::TestPlanPage", 42},
                                      {"BatteryTestPopup", 9},
                                      {"ChartView", 1},
                                      {"CurvePanel", 13},
                                      {"DeviceInfoUI", 11},
                                      {"FirmwarePage", 36},
                                      {"LabLinkDialog", 13},
                                      {"lablink::LabLinkDialog", 6},
                                      {"lablink::LinkTexts", 20},
                                      {"LiveChart", 2},
                                      {"AxisRangePanel", 19},
                                      {"QObject", 17},
                                      {"UpgradeTransfer", 8},
                                      {"DataFileSaver", 1},
                                      {"CrashNotice", 2},
                                      {"RunViewer", 7},
                                      {"review::RunViewer", 15},
                                      {"review::RunChartView", 1},
                                      {"review::RunChart", 1},
                                      {"Quantity", 10},
                                      {"review::SummaryTable", 19},
                                      {"review::ReadProblem", 17}};
    QCOMPARE(perContext, expected);
    QCOMPARE(keys.size(), messages.size()); // no source listed twice in one context

    QTranslator translator;
    QVERIFY(translator.load(":/Language/lib_en.qm"));
    int found = 0;
    for (const Message &m : messages) {
        // QTranslator answers a null string for a message it does not hold, so an entry whose
        // English equals its source still proves it was compiled in.
        const QString english =
            translator.translate(m.context.toUtf8().constData(), m.source.toUtf8().constData(),
                                 m.comment.isEmpty() ? nullptr : m.comment.toUtf8().constData());
        if (english.isNull())
            QFAIL(qPrintable(m.context + ": missing " + m.source));
        QCOMPARE(english, m.translation);
        ++found;
    }
    QCOMPARE(found, messages.size());
}

void TestResources::catalogueTrickyEntries_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("english");
    QTest::newRow("full-width colon") << "MainDialog"
                                      << "："
                                      << ":";
    QTest::newRow("renumbered item") << "SettingsHk07Controls"
                                     << "09 空载电流清零"
                                     << "06 Zero No-load Current";
    QTest::newRow("unnumbered item") << "SettingsNv05Controls"
                                     << "12 其他参数设置"
                                     << "Other setting";
    QTest::newRow("running reads ON") << "MainDialog"
                                      << "停止放电"
                                      << "ON";
    QTest::newRow("stopped reads OFF") << "MainDialog"
                                       << "开始放电"
                                       << "OFF";
    QTest::newRow("master placeholder") << "MainDialog"
                                        << "主:%1"
                                        << "M:%1";
    QTest::newRow("half-width colon") << "MainDialog"
                                      << "设备名称:"
                                      << "Device name:";
    QTest::newRow("full-width colon name") << "FirmwarePage"
                                           << "设备名称："
                                           << "Device name:";
    QTest::newRow("leading blanks") << "ui::DisplayPage"
                                    << "放电管温度:"
                                    << "      MOS.T:";
    QTest::newRow("old title only") << "MainDialog"
                                    << "TALMIR Lumerin System APP V1.0.6"
                                    << "TALMIR Lumerin System APP V1.0.6";
    QTest::newRow("html font")
        << "MainDialog"
        << "<font color='red'>文本框含有非法字符，请重新输入！</font>"
        << "<font color='red'>The text box contains illegal characters, please re-enter!</font>";
    QTest::newRow("html page") << "MainDialog"
                               << "<html><head/><body><p>主页菜单</p></body></html>"
                               << "<html><head/><body><p>Home Menu</p></body></html>";
    QTest::newRow("device item tooltip") << "DeviceInfoUI"
                                         << "点击图标移出设备"
                                         << "Clickto remove device";
    QTest::newRow("same text, other context") << "AxisRangePanel"
                                              << "确定"
                                              << "OK";
    QTest::newRow("popup cancel") << "BatteryTestPopup"
                                  << "返回"
                                  << "Cancel";
    QTest::newRow("csv newline header") << "QObject"
                                        << "FAN_SPEED(RPM),\n"
                                        << "FAN_SPEED(RPM),\n";
    QTest::newRow("bare newline") << "QObject"
                                  << "\n"
                                  << "\n";
    QTest::newRow("comma") << "QObject"
                           << ","
                           << ",";
}

void TestResources::catalogueTrickyEntries()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, english);
    QTranslator translator;
    QVERIFY(translator.load(":/Language/lib_en.qm"));
    QCOMPARE(translator.translate(context.toUtf8().constData(), source.toUtf8().constData()),
             english);
    // The title with the current version is deliberately absent: it stays as written.
    QVERIFY(translator.translate("MainDialog", "TALMIR Lumerin System APP V1.0.8").isNull());
}

void TestResources::popupWarningMatchesCatalogue()
{
    const QString warning = QString::fromUtf8(kBatteryWarningHtml);
    QVERIFY(warning.contains("Waring:Before operation"));
    QCOMPARE(warning.count("<p>"), 2);
    QVERIFY(warning.contains("font-size:10pt"));
    QTranslator translator;
    QVERIFY(translator.load(":/Language/lib_en.qm"));
    QCOMPARE(translator.translate("BatteryTestPopup", kBatteryWarningHtml), warning);
}

void TestResources::formTextsAreInTheCatalogue_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("context");
    QTest::newRow("main dialog") << "MainDialog.ui" << "MainDialog";
    QTest::newRow("HK07 settings") << "SettingsHk07Controls.ui" << "SettingsHk07Controls";
    QTest::newRow("NV05 settings") << "SettingsNv05Controls.ui" << "SettingsNv05Controls";
    QTest::newRow("device item") << "DeviceInfoUI.ui" << "DeviceInfoUI";
    QTest::newRow("battery-test popup") << "BatteryTestPopup.ui" << "BatteryTestPopup";
    QTest::newRow("axis ranges") << "AxisRangePanel.ui" << "AxisRangePanel";
    QTest::newRow("curve panel") << "curvepanel.ui" << "CurvePanel";
    QTest::newRow("firmware page") << "FirmwarePage.ui" << "FirmwarePage";
    QTest::newRow("recorded runs") << "RunViewer.ui" << "RunViewer";
    QTest::newRow("lab link") << "LabLinkDialog.ui" << "LabLinkDialog";
    QTest::newRow("test plans") << "TestPlanPage.ui" << "ui::TestPlanPage";
}

// Every translatable text of a form must have its English in the catalogue, or the English
// interface silently shows Chinese. The title bar text is the one deliberate exception.
void TestResources::formTextsAreInTheCatalogue()
{
    QFETCH(QString, form);
    QFETCH(QString, context);
    QSet<QString> sources;
    for (const Message &m : readCatalogueSource())
        if (m.context == context)
            sources.insert(m.source);
    QVERIFY(!sources.isEmpty());

    QFile file(QStringLiteral(FORMS_DIR) + "/" + form);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QStringList missing;
    int texts = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("string"))
            continue;
        const bool translatable = xml.attributes().value("notr") != QLatin1String("true");
        const QString text = xml.readElementText();
        if (!translatable || text.isEmpty())
            continue;
        ++texts;
        if (!sources.contains(text) && text != "TALMIR Lumerin System APP V1.0.8")
            missing << text;
    }
    QVERIFY(!xml.hasError());
    QVERIFY(texts > 5);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(" | ")));
}

QTEST_MAIN(TestResources)
#include "test_resources.moc"
