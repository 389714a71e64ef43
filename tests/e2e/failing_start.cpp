// The program's start-up path with a window whose construction fails the way the real one does without
// BG.bmp: one error box, no window, exit code 0.

#include "RunGuarded.h"
#include "TApplication.h"
#include "TBitmap.h"

class TFailingForm : public TForm {
public:
    explicit TFailingForm(TComponent* Owner) : TForm(Owner) { FBackground.LoadFromFile("BG.bmp"); }

private:
    TBitmap FBackground;
};

static TFailingForm* FailingForm = nullptr;

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    return RunGuarded([] {
        Application->Initialize();
        Application->CreateForm(FailingForm);
        Application->Run();
    });
}
