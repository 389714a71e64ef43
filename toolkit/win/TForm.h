#pragma once

#include "Classes.h"
#include "TFrameRequest.h"
#include "WindowHandle.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class TControl;
class TTimer;

// Base of the program's windows: a top-level window of a fixed client size in the button-face colour,
// centred on the screen when shown, with neither maximise box nor sizing frame. It shows its controls'
// changes at most once per screen refresh, on the compositor's rhythm: RequestFrame, from any thread, asks
// for a frame, in which every changed control draws its latest state. Lives on the window's thread; deleted
// by the application that created it, or by its Owner.
class TForm : public TComponent {
public:
    explicit TForm(TComponent* Owner);
    ~TForm() override;

    TWindowHandle Handle() const;
    void SetCaption(const std::string& Value);
    void SetClientSize(int Width, int Height);
    // The icon of resource Id at the sizes the system shows; none when the program carries no such icon.
    void SetIcon(int Id);
    // The controls that change with every tick (the image, the labels) always paint off screen and show
    // in one piece, so there is nothing to switch: the value changes nothing.
    void SetDoubleBuffered(bool Value);
    // The order in which Tab visits the controls, as a dialog's: the order of the child windows.
    void SetTabOrder(std::initializer_list<TControl*> Controls);
    void Show();

    // Any thread; never waits for the window's thread.
    void RequestFrame();

private:
    friend class TApplication;
    friend class TControl;
    friend class TTimer;
    friend struct TFormClass;

    std::intptr_t Receive(unsigned Message, std::uintptr_t WParam, std::intptr_t LParam);
    void Place();
    void HoldFrame(std::int64_t AtNs);
    void Close();
    TWindowHandle FirstTabStop() const;

    TWindowHandle FHandle;
    int FClientWidth = 0;
    int FClientHeight = 0;
    std::vector<TControl*> FControls;
    std::vector<TTimer*> FTimers;
    TWindowHandle FFocus = nullptr;
    TFrameRequest FFrames;
};
