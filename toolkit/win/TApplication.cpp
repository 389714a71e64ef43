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
    // Newest first, as on every backend.
    for (auto form = FForms.rbegin(); form != FForms.rend(); ++form) {
        form->Form->~TForm();
        ::operator delete(form->Storage);
    }
    Application = nullptr;
}

void TApplication::Initialize()
{
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterFormClass();
    RegisterImageClass();
}

void TApplication::Adopt(TForm* Form, void* Storage) noexcept
{
    if (FForms.empty())
        FMainWindow = Form->Handle();
    FForms.push_back({Form, Storage});
}

TForm* TApplication::MainForm() const
{
    return FForms.empty() ? nullptr : FForms.front().Form;
}

void TApplication::Run()
{
    if (!FForms.empty() && !HandlerError()) {
        FForms.front().Form->Show();
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

void TApplication::Dispatch(const TNotifyEvent& Handler, TObject* Sender)
{
    if (Handler)
        Dispatch([&] { Handler(Sender); });
}

std::exception_ptr TApplication::HandlerError()
{
    std::lock_guard lock(FErrorMutex);
    return FHandlerError;
}

// Only the first error is kept, for good: a later one must neither count as the first nor end the loop
// of the error box that reports the first.
void TApplication::Fail(std::exception_ptr Error) noexcept
{
    {
        std::lock_guard lock(FErrorMutex);
        if (FHandlerError)
            return;
        FHandlerError = std::move(Error);
    }
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
