// The program's start-up and message loop with a window, titled Form1 as the program's is so that the probe
// finds it, whose every tick throws, as the window's own tick reaches it: under the standard timer, or with
// "multimedia" the precision timer on the service's thread.
// The first error ends the loop and shows one error box; the program then exits 0.
// Usage: throwing_tick [multimedia]

#include "RunGuarded.h"
#include "SysUtils.h"
#include "TApplication.h"
#include "TMMTimer.h"
#include "TTimer.h"

#include <string>

namespace {

bool Multimedia = false;

class TThrowingForm : public TForm {
public:
    explicit TThrowingForm(TComponent* Owner) : TForm(Owner)
    {
        SetCaption("Form1");
        SetClientSize(200, 100);
        if (Multimedia) {
            FMMTimer.SetOnTimer([] { TApplication::Dispatch([] { throw Exception("The tick failed."); }); });
            FMMTimer.SetInterval(10);
            FMMTimer.SetEnabled(true);
        } else {
            auto* timer = new TTimer(this);
            timer->SetInterval(10);
            timer->OnTimer = [](TObject*) { throw Exception("The tick failed."); };
        }
    }

private:
    TMMTimer FMMTimer;
};

TThrowingForm* ThrowingForm = nullptr;

}  // namespace

int main(int argc, char** argv)
{
    Multimedia = argc > 1 && std::string(argv[1]) == "multimedia";
    TApplication application;
    return RunGuarded([] {
        Application->Initialize();
        Application->CreateForm(ThrowingForm);
        Application->Run();
    });
}
