// The icon font helper: one instance, the embedded font, glyph pixmaps of the requested size.

#include "app/icon_helper.h"

#include <QFontDatabase>
#include <QImage>
#include <QPushButton>
#include <QTest>

class TestIconHelper : public QObject
{
    Q_OBJECT
private slots:
    void oneInstanceOneFont()
    {
        IconHelper &first = IconHelper::shared();
        const int familiesAfterFirst = QFontDatabase().families().size();
        IconHelper &second = IconHelper::shared();
        QCOMPARE(&first, &second);
        QCOMPARE(QFontDatabase().families().size(), familiesAfterFirst); // not registered again
        QVERIFY(first.iconFont().family().contains("FontAwesome", Qt::CaseInsensitive));
    }

    void glyphOnAButton()
    {
        QPushButton button;
        IconHelper::shared().applyGlyph(&button, QChar(0xF00D), 9);
        QCOMPARE(button.text(), QString(QChar(0xF00D)));
        QCOMPARE(button.font().pointSize(), 9);
        QCOMPARE(button.font().family(), IconHelper::shared().iconFont().family());
    }

    void glyphPixmapIsDrawnCentredInItsColour()
    {
        const QImage image =
            IconHelper::shared().glyphPixmap("#FEFEFE", QChar(0xF01B), 50, 100, 70).toImage();
        QCOMPARE(image.size(), QSize(100, 70));
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0); // transparent background
        int painted = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) == 255 &&
                    QColor(image.pixel(x, y)) == QColor("#FEFEFE"))
                    ++painted;
        QVERIFY2(painted > 300, qPrintable(QString::number(painted)));
        // Outside the font's range: still a pixmap of the requested size.
        QCOMPARE(IconHelper::shared().glyphPixmap("red", QChar(0xE000), 50, 33, 21).size(),
                 QSize(33, 21));
    }
};

QTEST_MAIN(TestIconHelper)
#include "tst_icon_helper.moc"
