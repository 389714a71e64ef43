#pragma once

#include "Classes.h"
#include "SysUtils.h"
#include "TForm.h"
#include "WindowHandle.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <new>
#include <type_traits>
#include <vector>

// The program's application object: registers the window classes and owns every form made through
// CreateForm. One per program, made in WinMain and used on the window's thread, except Dispatch, which any
// thread may call while the forms live; Application points to it.
class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    void Initialize();
    // Reference points to the form before the form's constructor runs; the first form is the main window.
    template <class TFormClass>
    void CreateForm(TFormClass*& Reference);
    // Shows the main window and returns when it closes; raises what a handler raised meanwhile.
    void Run();
    // An error box, owned by the main window where there is one.
    void ShowException(const Exception& E);
    TForm* MainForm() const;

    // Calls an event handler from the message loop, which must not be unwound by an exception: the first
    // error ends the loop and Run() raises it.
    static void Dispatch(const TNotifyEvent& Handler, TObject* Sender);
    // The same for a handler on a thread of its own: the error travels to the window's thread. Errors
    // after the first, from any thread, are dropped, so one error box reports them all.
    template <class THandler>
    static void Dispatch(const THandler& Handler) noexcept;

private:
    friend class TForm;

    struct TOwnedForm {
        TForm* Form;
        void* Storage;
    };

    void Adopt(TForm* Form, void* Storage) noexcept;
    std::exception_ptr HandlerError();
    void Fail(std::exception_ptr Error) noexcept;
    // The main window received the message Fail posted.
    void EndLoopForError();

    std::vector<TOwnedForm> FForms;
    // The main window, for threads that post to it.
    std::atomic<TWindowHandle> FMainWindow{nullptr};
    bool FLooping = false;
    std::mutex FErrorMutex;
    std::exception_ptr FHandlerError;
};

extern TApplication* Application;

template <class THandler>
void TApplication::Dispatch(const THandler& Handler) noexcept
{
    try {
        Handler();
    } catch (...) {
        Application->Fail(std::current_exception());
    }
}

template <class TFormClass>
void TApplication::CreateForm(TFormClass*& Reference)
{
    static_assert(std::is_base_of_v<TForm, TFormClass>);
    static_assert(alignof(TFormClass) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
    FForms.reserve(FForms.size() + 1);
    void* storage = ::operator new(sizeof(TFormClass));
    Reference = static_cast<TFormClass*>(storage);
    try {
        Adopt(::new (storage) TFormClass(nullptr), storage);
    } catch (...) {
        Reference = nullptr;
        ::operator delete(storage);
        throw;
    }
}
