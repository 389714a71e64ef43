#pragma once

#include "Classes.h"
#include "SysUtils.h"
#include "TForm.h"

#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <type_traits>
#include <vector>

class QApplication;

// The program's application object: owns Qt's application and every form made through CreateForm.
// One per program, made in main() and used on the window's thread, except Dispatch, which any thread may
// call while the forms live; Application points to it.
class TApplication {
public:
    TApplication(int& argc, char** argv);
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    void Initialize();
    // Reference points to the form before the form's constructor runs; the first form is the main window.
    template <class TFormClass>
    void CreateForm(TFormClass*& Reference);
    // Shows the main window and returns when it closes; raises what a handler raised meanwhile.
    void Run();
    void ShowException(const Exception& E);

    // Calls an event handler from Qt's event loop, which must not be unwound by an exception: the
    // first error ends the loop and Run() raises it.
    static void Dispatch(const TNotifyEvent& Handler, TObject* Sender);
    // The same for a handler on a thread of its own: the error travels to the window's thread. Errors
    // after the first, from any thread, are dropped, so one error box reports them all.
    template <class THandler>
    static void Dispatch(const THandler& Handler) noexcept;

private:
    struct TOwnedForm {
        TForm* Form;
        void* Storage;
    };

    void Adopt(TForm* Form, void* Storage) noexcept;
    std::exception_ptr HandlerError();
    void Fail(std::exception_ptr Error) noexcept;

    int& FArgc;
    char** FArgv;
    std::unique_ptr<QApplication> FQt;
    static QApplication* FKeptToExit;
    std::vector<TOwnedForm> FForms;
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
