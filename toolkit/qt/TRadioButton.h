#pragma once

#include <QRadioButton>

#include <string>

// A radio button; those with the same parent exclude one another.
// A widget of the window's thread, owned by its form.
class TRadioButton : public QRadioButton {
    Q_OBJECT

public:
    explicit TRadioButton(QWidget* parent = nullptr);

    // The facade's name for what Qt calls setEnabled, so that the window's code is the same on every backend.
    void SetEnabled(bool Value);

    bool Checked() const;
    std::string Caption() const;
    void SetCaption(const std::string& Value);
};
