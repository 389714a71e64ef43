#pragma once

#include "TControl.h"

#include <string>

// A one-line text field. Window's thread; owned by its form.
class TEdit : public TControl {
public:
    TEdit(TForm* Owner, int Id);

    std::string Text() const;
    void SetText(const std::string& Value);
};
