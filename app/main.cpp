#include "RunGuarded.h"
#include "TApplication.h"
#include "Unit1.h"

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    return RunGuarded([] {
        Application->Initialize();
        Application->CreateForm(Form1);
        Application->Run();
    });
}
