#pragma once

#include "Classes.h"
#include "TTimerBase.h"

#include <QTimer>

// The window thread's periodic timer over QTimer. Owned by its form; set up and ticking on the window's thread.
class TTimer : public QObject, public TTimerBase {
    Q_OBJECT
    // For the form description.
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(unsigned Interval READ Interval WRITE SetInterval)

public:
    explicit TTimer(QObject* parent = nullptr);

private:
    void Restart() override;

    QTimer FTimer;
};
