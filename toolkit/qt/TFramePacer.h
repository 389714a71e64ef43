#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>

class QWidget;
class QWindow;

// Shows the changes of a window's controls at most once per screen refresh: a control asks for a frame,
// and Frame() tells every control to show what it has, just before the window paints them all at once.
// A window that is not exposed makes no frames, and shows the latest as soon as it is exposed again; a
// request follows the window to a native window made anew.
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

    // Sends the standing request to Window, the top-level widget's native window.
    void AskOf(QWindow* Window);
    // Asks the platform for the window's next frame.
    void Ask();
    void Show();
    std::int64_t PeriodNs() const;
    static bool Exposed(const QWindow* Window);

    QWidget* FWindow;
    // The screen's own pacing: Qt's update request, which follows the compositor's frames where it has them.
    QPointer<QWindow> FWatched;
    bool FRequested = false;
    // Elsewhere Qt's update request comes a few milliseconds after it is made, sooner than the screen
    // refreshes: this holds the frame back until it is due.
    QTimer FHold;
    std::int64_t FDueNs = 0;
    // A platform may drop an update request: the frame then comes without it, rather than never.
    QTimer FLost;
};
