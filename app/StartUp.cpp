#include "StartUp.h"

#include "RunGuarded.h"
#include "TApplication.h"
#include "TBitmap.h"
#include "Unit1.h"

int StartUp(const std::function<void()>& Initialize)
{
    return RunGuarded([&] {
        Initialize();
        // The window loads this picture once its controls are made: reading it meanwhile hides the time
        // that takes.
        TBitmap::Preload("BG.bmp");
        Application->CreateForm(Form1);
        Application->Run();
    });
}
