#include "TApplication.h"

#include "SystemUi.h"

#include <utility>

TApplication* Application = nullptr;

TApplication::TApplication()
{
    Application = this;
}

TApplication::~TApplication()
{
    FMainWindow = nullptr;
    DestroyForms();
    Application = nullptr;
}

void TApplication::Initialize()
{
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterFormClass();
    RegisterImageClass();
}

void TApplication::Adopted(TForm* Form, bool Main) noexcept
{
    if (Main)
        FMainWindow = Form->Handle();
}

void TApplication::Run()
{
    if (MainForm() && !HandlerError()) {
        MainForm()->Show();
        FLooping = true;
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            // Tab, the arrow keys in a radio group, and the other keys of a dialog, in every form.
            const HWND form = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
            if (form && IsDialogMessageW(form, &message))
                continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        FLooping = false;
    }
    if (const std::exception_ptr error = HandlerError())
        std::rethrow_exception(error);
}

void TApplication::ShowException(const Exception& E)
{
    const TForm* main = MainForm();
    MessageBoxW(main ? main->Handle() : nullptr, Widen(E.Message()).c_str(), L"scrolltest", MB_OK | MB_ICONERROR);
}

void TApplication::AskToEndLoop() noexcept
{
    // Posted, so that any thread may end the loop without waiting for the window's thread.
    if (const TWindowHandle main = FMainWindow)
        PostMessageW(main, WM_HANDLER_FAILED, 0, 0);
}

void TApplication::EndLoopForError()
{
    // Should the loop have ended otherwise by then, a later one, such as the error box's, goes on.
    if (FLooping)
        PostQuitMessage(0);
}
