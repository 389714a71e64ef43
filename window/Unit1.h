#pragma once

#include "Classes.h"
#include "TBitmap.h"
#include "TButton.h"
#include "TEdit.h"
#include "TForm.h"
#include "TImage.h"
#include "TLabel.h"
#include "TMMTimer.h"
#include "TRadioButton.h"
#include "TRect.h"
#include "TTimer.h"

#include <memory>

// The scroll test window: its controls come from resources/Unit1.ui and belong to it; it owns
// Background and MMTimer. Made by the application on the window's thread. ScrollStep runs on the window's
// thread under Timer1 and on the timer service's thread under MMTimer, never both at once.
class TForm1 : public TForm {
public:
    // The layout's controls and handlers, under the names the form description binds.
    TImage* Image1;
    TTimer* Timer1;
    TButton* Button1;
    TLabel* Label1;
    TRadioButton* RadioButton1;
    TRadioButton* RadioButton2;
    TLabel* Label2;
    TEdit* Edit1;
    void Timer1Timer(TObject* Sender);
    void Button1Click(TObject* Sender);

    explicit TForm1(TComponent* Owner);

    std::unique_ptr<TBitmap> Background;
    TRect SourceRect{};
    TRect DestRect{};
    // Declared last so it goes first: its event is stopped, and a tick in flight finished, before
    // Background and the controls go away.
    std::unique_ptr<TMMTimer> MMTimer;
    void ScrollStep();

private:
    void Redraw();
    void ShowRunning();
    void ShowStopped();
};

extern TForm1* Form1;
