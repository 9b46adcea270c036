#pragma once
// Captions drawn with substitute fonts can be wider than the rectangles designed for the original
// fonts. Rather than clip them, a caption that does not fit is condensed (the same font drawn
// narrower, down to kMinStretch, or its letters closer) and, if that is not enough, elided with the
// full text in its tool tip. The designed rectangle and point size stay as they are.

#include <QObject>
#include <QString>
#include <QStringList>

class QFont;
class QLabel;
class QAbstractButton;
class QWidget;

constexpr int kMinStretch = 75; // percent of the normal width; narrower becomes hard to read
constexpr qreal kMinLetterSpacing = -1.5; // pixels between letters, for glyphs that cannot narrow

struct CaptionFit
{
    int stretch = 100; // QFont stretch to use, percent
    bool elide = false;
};
// How to fit text that is `textWidth` pixels wide at normal width into `available` pixels.
CaptionFit captionFit(int textWidth, int available);

// Whether the ink of `text`, placed in `available` pixels with `alignment` as a label places it,
// stays inside them, give or take the one antialiased pixel of a glyph's edge. Side bearings may
// overhang; the visible glyphs may not.
bool textFits(const QFont &font, const QString &text, int available, Qt::Alignment alignment);

// Fits every plain-text label and text button below `root` now, and again after each language
// change (once the new texts are in). Labels named in `skip` (live values) are left alone.
class CaptionFitter : public QObject
{
public:
    explicit CaptionFitter(QWidget *root, const QStringList &skip = {});
    void fitAll();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_root;
    QStringList m_skip;
    bool m_pending = false;
};

void fitLabel(QLabel *label);
// The full caption behind what a fitted widget shows (an elided or emptied caption); any other
// text as it is. A refit starts from the full caption, never from the fitter's shortened copy.
QString captionSource(const QWidget *w, const QString &shown);
// A word-wrapped rich-text label whose lines overflow its height is drawn narrower (down to
// kMinStretch) so that more fits on each line; the text itself is left as it is.
void fitRichLabel(QLabel *label);
void fitButton(QAbstractButton *button);
