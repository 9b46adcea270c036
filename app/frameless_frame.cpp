#include "app/frameless_frame.h"

#include "app/window_frame.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

namespace app {

namespace {
// One maximise state for the whole process, as the title bar has always behaved.
struct MaximiseState
{
    bool saved = false;
    bool maximised = false;
    QRect normalGeometry;
};
MaximiseState &maximiseState()
{
    static MaximiseState state;
    return state;
}

Qt::CursorShape cursorFor(frame::Region region)
{
    switch (region) {
    case frame::TopLeft:
    case frame::BottomRight:
        return Qt::SizeFDiagCursor;
    case frame::BottomLeft:
    case frame::TopRight:
        return Qt::SizeBDiagCursor;
    case frame::Left:
    case frame::Right:
        return Qt::SizeHorCursor;
    case frame::Top:
    case frame::Bottom:
        return Qt::SizeVerCursor;
    case frame::Interior:
        break;
    }
    return Qt::ArrowCursor;
}
} // namespace

FramelessFrame::FramelessFrame(QWidget *window, QWidget *titleBar)
    : QObject(window), m_window(window), m_titleBar(titleBar), m_region(frame::Interior)
{
    window->setMouseTracking(true);
    window->installEventFilter(this);
    titleBar->installEventFilter(this);
}

void FramelessFrame::toggleMaximised()
{
    MaximiseState &state = maximiseState();
    if (!state.saved) {
        state.normalGeometry = m_window->geometry();
        state.saved = true;
    }
    if (state.maximised) {
        m_window->setGeometry(state.normalGeometry);
    } else {
        state.normalGeometry = m_window->geometry();
        if (QScreen *screen = QGuiApplication::primaryScreen())
            m_window->setGeometry(screen->availableGeometry());
    }
    state.maximised = !state.maximised;
}

bool FramelessFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_titleBar) {
        if (event->type() != QEvent::MouseButtonDblClick)
            return false;
        toggleMaximised();
        qCDebug(lcApp) << "双击事件：+";
        return true;
    }
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton)
            pressed(mouse->globalPos());
        break;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        moved(mouse->globalPos(), mouse->buttons() & Qt::LeftButton);
        break;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            released();
        break;
    case QEvent::KeyPress:
        // Escape would reject the dialog and so end the program in the middle of a test run;
        // Return would click a default button (a bus rescan) when a field does not take it.
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            return true;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return false;
}

void FramelessFrame::pressed(const QPoint &globalPos)
{
    m_pressed = true;
    if (m_region == frame::Interior)
        m_dragOffset = globalPos - m_window->frameGeometry().topLeft();
}

void FramelessFrame::moved(const QPoint &pointer, bool leftHeld)
{
    const QPoint tl = m_window->mapToGlobal(QPoint(0, 0));
    const QPoint br = m_window->mapToGlobal(QPoint(m_window->width() - 1, m_window->height() - 1));
    if (!leftHeld || !m_pressed) {
        const frame::Region region = frame::hitRegion(tl, br, pointer);
        m_region = region;
        m_window->setCursor(cursorFor(region));
    } else if (m_region == frame::Interior) {
        m_window->move(pointer - m_dragOffset);
    } else {
        m_window->setGeometry(frame::resizedGeometry(frame::Region(m_region), tl, br, pointer,
                                                     m_window->minimumSize()));
    }
}

void FramelessFrame::released()
{
    m_pressed = false;
    if (m_region != frame::Interior)
        m_window->setCursor(Qt::ArrowCursor);
}

} // namespace app
