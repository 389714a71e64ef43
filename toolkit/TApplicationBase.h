#pragma once

#include "Classes.h"

#include <exception>
#include <mutex>
#include <new>
#include <type_traits>
#include <vector>

class TForm;

// What every backend's application object does alike: it owns the forms made through CreateForm, the first
// being the main window, and keeps the first error a handler raised, which ends the message loop. The
// backend's TApplication derives from it and says how a form is taken in and how the loop is ended.
class TApplicationBase {
public:
    TApplicationBase(const TApplicationBase&) = delete;
    TApplicationBase& operator=(const TApplicationBase&) = delete;

    // Reference points to the form before the form's constructor runs; the first form is the main window.
    template <class TFormClass>
    void CreateForm(TFormClass*& Reference);

    // Calls an event handler from the message loop, which must not be unwound by an exception: the first
    // error ends the loop and Run() raises it.
    static void Dispatch(const TNotifyEvent& Handler, TObject* Sender);
    // The same for a handler on a thread of its own: the error travels to the window's thread. Errors
    // after the first, from any thread, are dropped, so one error box reports them all.
    template <class THandler>
    static void Dispatch(const THandler& Handler) noexcept;

    TForm* MainForm() const;

protected:
    TApplicationBase();
    ~TApplicationBase();

    // Newest first, while the backend is still there for them to stop their timers and threads.
    void DestroyForms() noexcept;
    std::exception_ptr HandlerError();

    // A form has just been made: the first is the main window.
    virtual void Adopted(TForm* Form, bool Main) noexcept = 0;
    // Asks the window's thread, from any thread, to end the message loop for the error kept.
    virtual void AskToEndLoop() noexcept = 0;

private:
    struct TOwnedForm {
        TForm* Form;
        void* Storage;
    };

    void Fail(std::exception_ptr Error) noexcept;

    static TApplicationBase* FCurrent;
    std::vector<TOwnedForm> FForms;
    std::mutex FErrorMutex;
    std::exception_ptr FHandlerError;
};

template <class THandler>
void TApplicationBase::Dispatch(const THandler& Handler) noexcept
{
    try {
        Handler();
    } catch (...) {
        FCurrent->Fail(std::current_exception());
    }
}

template <class TFormClass>
void TApplicationBase::CreateForm(TFormClass*& Reference)
{
    static_assert(std::is_base_of_v<TForm, TFormClass>);
    static_assert(alignof(TFormClass) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
    FForms.reserve(FForms.size() + 1);
    void* storage = ::operator new(sizeof(TFormClass));
    Reference = static_cast<TFormClass*>(storage);
    TFormClass* form;
    try {
        form = ::new (storage) TFormClass(nullptr);
    } catch (...) {
        Reference = nullptr;
        ::operator delete(storage);
        throw;
    }
    FForms.push_back({form, storage});
    Adopted(form, FForms.size() == 1);
}
