#include "RunGuarded.h"
#include "TApplication.h"
#include "TBitmap.h"
#include "Unit1.h"

int main(int argc, char** argv)
{
    // The window's first act is to load this picture: reading it meanwhile hides the time it takes
    // behind Qt's own start-up.
    TBitmap::Preload("BG.bmp");
    TApplication application(argc, argv);
    return RunGuarded([] {
        Application->Initialize();
        Application->CreateForm(Form1);
        Application->Run();
    });
}
