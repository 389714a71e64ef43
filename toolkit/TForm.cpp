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

void TForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (FClientSize.isValid())
        return;
    FClientSize = size();
    Place();
    // A window manager's frame is known only once it has framed the window, just before the first exposure.
    windowHandle()->installEventFilter(this);
}

bool TForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        if (frameGeometry().size() != size())
            Place();
    }
    return QWidget::eventFilter(watched, event);
}

void TForm::Place()
{
    const QSize frame = frameGeometry().size() - size();
    // Without a frame (no window manager) the description's client size stands; with one, the outer size.
    const QSize client = frame.isNull() || !FOuterSize.isValid() ? FClientSize : FOuterSize - frame;
    setFixedSize(client);
    move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, client + frame, screen()->geometry()).topLeft());
}
