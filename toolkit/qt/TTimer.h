#pragma once

#include "Classes.h"

#include <QTimer>

// The window thread's periodic timer: calls OnTimer, with itself as Sender, every Interval ms while Enabled.
// Owned by its form; set up and ticking on the window's thread.
class TTimer : public QObject {
    Q_OBJECT
    // For the form description.
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(unsigned Interval READ Interval WRITE SetInterval)

public:
    explicit TTimer(QObject* parent = nullptr);

    unsigned Interval() const;
    void SetInterval(unsigned Value);
    bool Enabled() const;
    void SetEnabled(bool Value);

    TNotifyEvent OnTimer;

private:
    void Restart();

    QTimer FTimer;
    unsigned FInterval = 1000;
    bool FEnabled = true;
};
