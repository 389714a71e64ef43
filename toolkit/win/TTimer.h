#pragma once

#include "Classes.h"

class TForm;

// The window thread's periodic timer: calls OnTimer, with itself as Sender, every Interval ms while Enabled.
// Owned by its form, whose window receives the ticks; set up and ticking on the window's thread.
class TTimer : public TComponent {
public:
    explicit TTimer(TForm* Owner);
    ~TTimer() override;

    unsigned Interval() const;
    void SetInterval(unsigned Value);
    bool Enabled() const;
    void SetEnabled(bool Value);

    TNotifyEvent OnTimer;

private:
    friend class TForm;
    void Tick();
    void Restart();

    TForm* FForm;
    unsigned FInterval = 1000;
    bool FEnabled = true;
};
