#pragma once

#include "TFrameRequest.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;
class QWindow;

// A window's frame request over Qt: a control asks for a frame, and Frame() tells every control to show what
// it has, just before the window paints them all at once. The request is posted as Qt's update request, which
// follows the compositor's frames where it has them; a window out of sight makes no frames, and shows the
// latest as soon as it is back; a request follows the window to a native window made anew.
// A child of the top-level widget it serves, made on first use; lives and is called on the window's thread.
class TFramePacer : public QObject {
    Q_OBJECT

public:
    // The pacer of Control's window.
    static TFramePacer* Of(QWidget* Control);

    void Request();

signals:
    void Frame();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TFramePacer(QWidget* Window);

    // Watches Window, the top-level widget's native window, and sends it a request still waiting.
    void AskOf(QWindow* Window);
    bool Ask();
    void Hold(std::int64_t AtNs);
    void Due();
    void Show();
    TScreenRefresh Screen() const;
    bool InSight() const;

    QWidget* FWindow;
    QPointer<QWindow> FWatched;
    QTimer FHold;
    // The hold's time came while the window was out of sight: the frame waits for it to come back.
    bool FHoldMissed = false;
    TFrameRequest FFrames;
};
