#include "TForm.h"

#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QWindow>

TForm::TForm(TComponent* Owner) : QWidget(qobject_cast<QWidget*>(Owner), Qt::Window)
{
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
}

QSize TForm::OuterSize() const
{
    return FOuterSize;
}

void TForm::SetOuterSize(QSize Value)
{
    FOuterSize = Value;
}

void TForm::SetDoubleBuffered(bool /*Value*/) {}

void TForm::setVisible(bool Visible)
{
    const bool first = Visible && !FClientSize.isValid();
    if (first) {
        FClientSize = size();
        // No frame is known before the window is on screen, and asking Qt now would fix its answer at none.
        Place(QMargins());
        // A window manager's frame is known once it has framed the window, before the first exposure.
        create();
        windowHandle()->installEventFilter(this);
    }
    QWidget::setVisible(Visible);
}

bool TForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        const QMargins frame = windowHandle()->frameMargins();
        if (!frame.isNull())
            Place(frame);
    }
    return QWidget::eventFilter(watched, event);
}

void TForm::Place(QMargins Frame)
{
    const QSize frame(Frame.left() + Frame.right(), Frame.top() + Frame.bottom());
    // Without a frame (no window manager) the description's client size stands; with one, the outer size,
    // unless the frame is so thick that the controls would no longer fit: then the window grows instead.
    const QSize client =
        frame.isNull() || !FOuterSize.isValid() ? FClientSize : (FOuterSize - frame).expandedTo(FClientSize);
    setFixedSize(client);
    const QRect outer = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, client + frame, screen()->geometry());
    // The client's own geometry: moving by the frame's corner would make Qt ask for the frame too early.
    setGeometry(QRect(outer.topLeft() + QPoint(Frame.left(), Frame.top()), client));
}
