#include "TApplicationBase.h"

#include "TForm.h"

#include <utility>

TApplicationBase* TApplicationBase::FCurrent = nullptr;

TApplicationBase::TApplicationBase()
{
    FCurrent = this;
}

// The backend has destroyed the forms by now, while it was still there for them.
TApplicationBase::~TApplicationBase()
{
    FCurrent = nullptr;
}

void TApplicationBase::DestroyForms() noexcept
{
    for (auto form = FForms.rbegin(); form != FForms.rend(); ++form) {
        form->Form->~TForm();
        ::operator delete(form->Storage);
    }
    FForms.clear();
}

TForm* TApplicationBase::MainForm() const
{
    return FForms.empty() ? nullptr : FForms.front().Form;
}

void TApplicationBase::Dispatch(const TNotifyEvent& Handler, TObject* Sender)
{
    if (Handler)
        Dispatch([&] { Handler(Sender); });
}

std::exception_ptr TApplicationBase::HandlerError()
{
    std::lock_guard lock(FErrorMutex);
    return FHandlerError;
}

// Only the first error is kept, for good: a later one must neither count as the first nor end the loop
// of the error box that reports the first.
void TApplicationBase::Fail(std::exception_ptr Error) noexcept
{
    {
        std::lock_guard lock(FErrorMutex);
        if (FHandlerError)
            return;
        FHandlerError = std::move(Error);
    }
    AskToEndLoop();
}
