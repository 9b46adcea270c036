#include "ui/caption_fit.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>
#include <QVariant>

namespace {
// Remembers what the form gave a widget, so a refit starts from it and not from the last fit.
const char *const kDesignFont = "captionFitFont";
const char *const kFitTip = "captionFitTip";
const char *const kFitSource = "captionFitSource"; // the full text of an elided caption
const char *const kFitShown = "captionFitShown";   // what was shown instead
const char *const kFitName = "captionFitName";

QFont designFont(QWidget *w)
{
    const QVariant saved = w->property(kDesignFont);
    if (saved.isValid())
        return saved.value<QFont>();
    w->setProperty(kDesignFont, w->font());
    return w->font();
}

// A tool tip set by fitting is replaced on the next fit; one the form set is left alone.
void setFitTip(QWidget *w, const QString &tip)
{
    if (w->toolTip().isEmpty() || w->toolTip() == w->property(kFitTip).toString()) {
        w->setToolTip(tip);
        w->setProperty(kFitTip, tip);
    }
}

// A control whose caption no longer shows in full is named by the full caption; a name set by
// fitting is replaced on the next fit, one the form set is left alone.
void setFitName(QWidget *w, const QString &name)
{
    if (w->accessibleName().isEmpty() || w->accessibleName() == w->property(kFitName).toString()) {
        w->setAccessibleName(name);
        w->setProperty(kFitName, name);
    }
}

// How much of the label's right end a later sibling (drawn above it) covers, such as an input
// field that starts before its caption ends.
int coveredOnTheRight(const QLabel *label)
{
    const QWidget *parent = label->parentWidget();
    if (!parent)
        return 0;
    const QRect own = label->geometry();
    int covered = 0;
    bool above = false;
    for (const QObject *child : parent->children()) {
        if (child == label) {
            above = true;
            continue;
        }
        const auto *sibling = qobject_cast<const QWidget *>(child);
        if (!above || !sibling || sibling->isHidden())
            continue;
        const QRect other = sibling->geometry();
        if (other.intersects(own) && other.left() > own.left())
            covered = std::max(covered, own.right() + 1 - other.left());
    }
    return covered;
}

// Only widgets at fixed rectangles are fitted; a layout sizes its widgets to their texts itself
// (and a panel not laid out yet has no meaningful size).
bool placedByHand(const QWidget *w)
{
    return w->parentWidget() && !w->parentWidget()->layout();
}

bool plainText(const QLabel *label)
{
    return !label->text().isEmpty() && !label->wordWrap() &&
           label->pixmap(Qt::ReturnByValue).isNull() && label->movie() == nullptr &&
           !Qt::mightBeRichText(label->text());
}
} // namespace

CaptionFit captionFit(int textWidth, int available)
{
    CaptionFit fit;
    if (textWidth <= available || textWidth <= 0)
        return fit;
    if (available <= 0) {
        fit.elide = true;
        return fit;
    }
    fit.stretch = int(100LL * available / textWidth); // rounded down, so it fits
    if (fit.stretch < kMinStretch) {
        fit.stretch = kMinStretch;
        fit.elide = true;
    }
    return fit;
}

bool textFits(const QFont &font, const QString &text, int available, Qt::Alignment alignment)
{
    const QFontMetrics metrics(font);
    const int advance = metrics.horizontalAdvance(text);
    int start = 0;
    if (alignment & Qt::AlignRight)
        start = available - advance;
    else if (alignment & Qt::AlignHCenter)
        start = (available - advance) / 2;
    // The ink box does not count letter spacing: move its right edge by what spacing saves.
    QFont unspaced = font;
    unspaced.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    const int spacingDelta = advance - QFontMetrics(unspaced).horizontalAdvance(text);
    const QRect ink = metrics.boundingRect(text);
    return start + ink.left() >= -1 && start + ink.right() + spacingDelta <= available;
}

// The design font drawn narrower until `text` fits `available`. Glyphs that come from a fallback
// font (CJK text in a Latin family) do not narrow; for them the letters move closer instead, by
// at most kMinLetterSpacing pixels each. Sets *fits to false when neither is enough.
QFont fittedFont(const QFont &design, const QString &text, int available, Qt::Alignment alignment,
                 bool *fits)
{
    *fits = true;
    if (textFits(design, text, available, alignment))
        return design;
    QFont font = design;
    const CaptionFit fit = captionFit(QFontMetrics(font).horizontalAdvance(text), available);
    if (!fit.elide) {
        // Glyph advances are whole pixels, so the estimate may need a step or two more.
        for (int stretch = fit.stretch; stretch >= kMinStretch; --stretch) {
            font.setStretch(stretch);
            if (textFits(font, text, available, alignment))
                return font;
        }
    }
    font = design;
    for (qreal spacing = -0.25; spacing >= kMinLetterSpacing; spacing -= 0.25) {
        font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
        if (textFits(font, text, available, alignment))
            return font;
    }
    *fits = false;
    return design;
}

void fitLabel(QLabel *label)
{
    const QFont design = designFont(label);
    // The text the form or the program last wrote, not an elided copy of it.
    const QString text = captionSource(label, label->text());
    // Right-aligned text must end where the covering sibling begins, or its end is hidden.
    const int covered = coveredOnTheRight(label);
    QMargins margins = label->contentsMargins();
    margins.setRight(std::max(margins.right(), covered));
    label->setContentsMargins(margins);
    const int available =
        label->contentsRect().width() - 2 * label->margin() - std::max(0, label->indent());
    bool fits = false;
    const QFont font = fittedFont(design, text, available, label->alignment(), &fits);
    label->setFont(font);
    const QString shown =
        fits ? text : QFontMetrics(font).elidedText(text, Qt::ElideRight, available);
    label->setText(shown);
    label->setProperty(kFitSource, text);
    label->setProperty(kFitShown, shown);
    setFitTip(label, font != design || !fits ? text : QString());
    setFitName(label, fits ? QString() : text);
    if (label->buddy())
        setFitName(label->buddy(), fits ? QString() : text);
}

void fitRichLabel(QLabel *label)
{
    QFont font = designFont(label);
    QTextDocument document;
    document.setDocumentMargin(0);
    for (int stretch = 100; stretch >= kMinStretch; stretch -= 5) {
        font.setStretch(stretch);
        document.setDefaultFont(font);
        document.setHtml(label->text());
        document.setTextWidth(label->contentsRect().width());
        if (document.size().height() <= label->contentsRect().height())
            break;
    }
    label->setFont(font);
}

QString captionSource(const QWidget *w, const QString &shown)
{
    const QVariant fitShown = w->property(kFitShown);
    if (fitShown.isValid() && fitShown.toString() == shown)
        return w->property(kFitSource).toString();
    return shown;
}

void fitButton(QAbstractButton *button)
{
    const QString text = captionSource(button, button->text());
    // An icon-font glyph is drawn at the size its page gave it; it is no caption to fit.
    if (text.isEmpty() || (text.size() == 1 && text.at(0).category() == QChar::Other_PrivateUse))
        return;
    const QFont design = designFont(button);
    // Room left for the text: the button's width less its frame, padding and icon.
    int available = button->width() - 8;
    if (!button->icon().isNull())
        available -= button->iconSize().width() + 4;
    bool fits = false;
    button->setFont(fittedFont(design, text, available, Qt::AlignCenter, &fits));
    if (!fits && !button->icon().isNull()) {
        // An icon button too small for its caption shows the icon; the caption is its tip.
        button->setText(QString());
        button->setProperty(kFitSource, text);
        button->setProperty(kFitShown, QString());
        setFitTip(button, text);
        setFitName(button, text);
    } else {
        setFitName(button, QString());
    }
}

CaptionFitter::CaptionFitter(QWidget *root, const QStringList &skip)
    : QObject(root), m_root(root), m_skip(skip)
{
    root->installEventFilter(this);
    fitWhenShown();
}

// Fitting measures text in every caption's font: a page that is not on screen (the display page
// at start-up) is fitted just before it first paints, not while the window is being built.
void CaptionFitter::fitWhenShown()
{
    if (m_root->isVisible())
        fitAll();
    else
        m_pending = true;
}

void CaptionFitter::fitAll()
{
    m_pending = false;
    for (QLabel *label : m_root->findChildren<QLabel *>()) {
        if (placedByHand(label) && plainText(label) && !m_skip.contains(label->objectName()))
            fitLabel(label);
    }
    for (QPushButton *button : m_root->findChildren<QPushButton *>()) {
        if (placedByHand(button))
            fitButton(button);
    }
}

bool CaptionFitter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_root)
        return false;
    if (event->type() == QEvent::Show && m_pending)
        fitAll();
    // The new texts are written after the language change is announced: fit once they are in.
    if (event->type() == QEvent::LanguageChange && !m_pending) {
        m_pending = true;
        QTimer::singleShot(0, this, &CaptionFitter::fitWhenShown);
    }
    return false;
}
