#pragma once

#include "Classes.h"
#include "SysUtils.h"
#include "TApplicationBase.h"
#include "TForm.h"
#include "WindowHandle.h"

#include <atomic>

// The program's application object: registers the window classes and owns every form made through
// CreateForm. One per program, made in WinMain and used on the window's thread, except Dispatch, which any
// thread may call while the forms live; Application points to it.
class TApplication : public TApplicationBase {
public:
    TApplication();
    ~TApplication();

    void Initialize();
    // Shows the main window and returns when it closes; raises what a handler raised meanwhile.
    void Run();
    // An error box, owned by the main window where there is one.
    void ShowException(const Exception& E);

private:
    friend class TForm;

    void Adopted(TForm* Form, bool Main) noexcept override;
    void AskToEndLoop() noexcept override;
    // The main window received the message AskToEndLoop posted.
    void EndLoopForError();

    // The main window, for threads that post to it.
    std::atomic<TWindowHandle> FMainWindow{nullptr};
    bool FLooping = false;
};

extern TApplication* Application;
