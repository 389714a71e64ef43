#pragma once

#include "Classes.h"

#include <QPushButton>

#include <string>

// A push button that calls OnClick, with itself as Sender, when clicked.
// A widget of the window's thread, owned by its form.
class TButton : public QPushButton {
    Q_OBJECT

public:
    explicit TButton(QWidget* parent = nullptr);

    // The facade's name for what Qt calls setEnabled, so that the window's code is the same on every backend.
    void SetEnabled(bool Value);

    std::string Caption() const;
    void SetCaption(const std::string& Value);

    TNotifyEvent OnClick;
};
