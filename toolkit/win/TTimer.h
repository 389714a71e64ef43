#pragma once

#include "Classes.h"
#include "TTimerBase.h"

class TForm;

// The window thread's periodic timer over the system's (SetTimer). Owned by its form, whose window receives
// the ticks; set up and ticking on the window's thread.
class TTimer : public TComponent, public TTimerBase {
public:
    explicit TTimer(TForm* Owner);
    ~TTimer() override;

private:
    friend class TForm;
    void Tick();
    void Restart() override;

    TForm* FForm;
};
