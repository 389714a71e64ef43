#include "CommandLine.h"
#include "DisplayGuard.h"
#include "RunGuarded.h"
#include "TApplication.h"
#include "TBitmap.h"
#include "Unit1.h"

int main(int argc, char** argv)
{
    if (const std::optional<int> exitCode = AnswerCommandLine(argc, argv))
        return *exitCode;
    TApplication application(argc, argv);
    return RunGuarded([] {
        {
            const DisplayGuard guard;
            Application->Initialize();
        }
        // The window loads this picture once its controls are made: reading it meanwhile hides the time
        // that takes.
        TBitmap::Preload("BG.bmp");
        Application->CreateForm(Form1);
        Application->Run();
    });
}
