#pragma once

#include "Classes.h"

#include <QWidget>

// Base of the program's windows: button-face background, a fixed size, centred on the screen when shown.
// Lives on the window's thread; deleted by the application that created it, or by a widget Owner.
class TForm : public QWidget {
    Q_OBJECT
    // Size with the window manager's frame, as the form description gives it. A frame too thick for the
    // client area the controls were laid out in makes the window larger instead of cutting them off.
    Q_PROPERTY(QSize OuterSize READ OuterSize WRITE SetOuterSize)

public:
    explicit TForm(TComponent* Owner);

    QSize OuterSize() const;
    void SetOuterSize(QSize Value);
    // Qt paints every window off-screen into its backing store and shows it in one piece, so painting
    // is always double-buffered: there is no other mode to switch to, and the value changes nothing.
    void SetDoubleBuffered(bool Value);

    void setVisible(bool Visible) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place(QMargins Frame);

    QSize FOuterSize;
    QSize FClientSize;
};
