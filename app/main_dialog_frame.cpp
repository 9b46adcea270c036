// The frameless window's own frame: dragging, edge resizing, maximise toggle, title bar buttons.

#include "main_dialog.h"

#include "ui_MainDialog.h"
#include "window_frame.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QScreen>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

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

void MainDialog::toggleMaximised()
{
    MaximiseState &state = maximiseState();
    if (!state.saved) {
        state.normalGeometry = geometry();
        state.saved = true;
    }
    if (state.maximised) {
        setGeometry(state.normalGeometry);
    } else {
        state.normalGeometry = geometry();
        if (QScreen *screen = QGuiApplication::primaryScreen())
            setGeometry(screen->availableGeometry());
    }
    state.maximised = !state.maximised;
}

bool MainDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->widgetTitle && event->type() == QEvent::MouseButtonDblClick) {
        toggleMaximised();
        qCDebug(lcApp) << "双击事件：+";
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void MainDialog::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_mousePressed = true;
        if (m_resizeRegion == frame::Interior)
            m_dragOffset = event->globalPos() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(event);
}

void MainDialog::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint tl = mapToGlobal(QPoint(0, 0));
    const QPoint br = mapToGlobal(QPoint(width() - 1, height() - 1));
    const QPoint pointer = event->globalPos();

    if (!(event->buttons() & Qt::LeftButton) || !m_mousePressed) {
        const frame::Region region = frame::hitRegion(tl, br, pointer);
        m_resizeRegion = region;
        setCursor(cursorFor(region));
    } else if (m_resizeRegion == frame::Interior) {
        move(pointer - m_dragOffset);
    } else {
        setGeometry(frame::resizedGeometry(static_cast<frame::Region>(m_resizeRegion), tl, br,
                                           pointer, minimumSize()));
    }
    QDialog::mouseMoveEvent(event);
}

void MainDialog::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_mousePressed = false;
        if (m_resizeRegion != frame::Interior)
            setCursor(Qt::ArrowCursor);
    }
    QDialog::mouseReleaseEvent(event);
}

void MainDialog::keyPressEvent(QKeyEvent *event)
{
    // Escape would reject the dialog and so end the program in the middle of a test run; Return
    // would click a default button (a bus rescan) when a field does not take it.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}
