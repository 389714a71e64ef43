#pragma once

#include "TControl.h"

#include <string>

// A radio button that checks itself when clicked. Each starts a group and is its tab stop; JoinGroup makes
// it one of the group before it, as in a dialog: one tab stop, the arrow keys move between them, and
// checking one unchecks the others. Window's thread; owned by its form.
class TRadioButton : public TControl {
public:
    TRadioButton(TForm* Owner, int Id);

    bool Checked() const;
    void SetChecked(bool Value);
    std::string Caption() const;
    void SetCaption(const std::string& Value);
    void JoinGroup();
};
