#pragma once

#include "TControl.h"

#include <string>

// A push button that calls OnClick, with itself as Sender, when clicked. Window's thread; owned by its form.
class TButton : public TControl {
public:
    TButton(TForm* Owner, int Id);

    std::string Caption() const;
    void SetCaption(const std::string& Value);

    TNotifyEvent OnClick;

private:
    void Command(int Code) override;
};
