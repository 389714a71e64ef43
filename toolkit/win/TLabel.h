#pragma once

#include "TControl.h"

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

struct HBITMAP__;
struct HDC__;

// A text control whose caption any thread may set; the form's next frame shows the latest one, drawn off
// screen in one piece. A window of the window's thread, owned by its form.
class TLabel : public TControl {
public:
    TLabel(TForm* Owner, int Id);
    ~TLabel() override;

    std::string Caption() const;
    // Allocates nothing once the caption has been as long before, so a real-time tick may call it.
    void SetCaption(std::string_view Value);
    // The control this label names, as a dialog's label names the field after it: placed just before it
    // among the form's windows, where screen readers look for a field's name.
    void SetBuddy(const TControl* Control);

private:
    void Frame() override;
    void DrawItem(const void* Item) override;
    void FreeBuffer();

    mutable std::mutex FLock;
    std::string FCaption;
    std::atomic<bool> FChanged{false};
    // The caption being shown, copied out of the lock into room kept from one frame to the next.
    std::string FShown;
    // Where the caption is drawn before it is shown, kept from one frame to the next: the window's thread's.
    HDC__* FBufferDC = nullptr;
    HBITMAP__* FBuffer = nullptr;
    int FBufferWidth = 0;
    int FBufferHeight = 0;
};
