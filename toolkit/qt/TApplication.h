#pragma once

#include "Classes.h"
#include "SysUtils.h"
#include "TApplicationBase.h"
#include "TForm.h"

#include <memory>

class QApplication;

// The program's application object: owns Qt's application and every form made through CreateForm.
// One per program, made in main() and used on the window's thread, except Dispatch, which any thread may
// call while the forms live; Application points to it.
class TApplication : public TApplicationBase {
public:
    TApplication(int& argc, char** argv);
    ~TApplication();

    void Initialize();
    // Shows the main window and returns when it closes; raises what a handler raised meanwhile.
    void Run();
    void ShowException(const Exception& E);

private:
    void Adopted(TForm* Form, bool Main) noexcept override;
    void AskToEndLoop() noexcept override;

    int& FArgc;
    char** FArgv;
    std::unique_ptr<QApplication> FQt;
    static QApplication* FKeptToExit;
    bool FLooping = false;
};

extern TApplication* Application;
