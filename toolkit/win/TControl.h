#pragma once

#include "Classes.h"
#include "TRect.h"
#include "WindowHandle.h"

#include <string>

class TForm;

// A child window of a form: a system control, or one of ours. Owned by its form, made and used on the
// window's thread. Id is the control's place among the form's controls, counted from 1; its window's id
// counts on from the ids the system reserves.
class TControl : public TComponent {
public:
    TWindowHandle Handle() const;
    virtual void SetBounds(const TRect& Bounds);
    bool Enabled() const;
    void SetEnabled(bool Value);

protected:
    TControl(TForm* Owner, int Id, const wchar_t* ClassName, unsigned long Style, unsigned long ExStyle = 0);
    ~TControl() override;

    TForm* Form() const;
    void SetText(const std::wstring& Text);
    std::wstring Text() const;

private:
    friend class TForm;
    // The form passes on what the system tells it of the control.
    virtual void Command(int /*Code*/) {}
    virtual void DrawItem(const void* /*Item*/) {}
    // The form's frame: the control shows its latest state.
    virtual void Frame() {}

    TForm* FForm;
    TWindowHandle FHandle;
};
