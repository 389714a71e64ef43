#pragma once

#include <QRadioButton>

#include <string>

// A radio button; those with the same parent exclude one another.
// A widget of the window's thread, owned by its form.
class TRadioButton : public QRadioButton {
    Q_OBJECT

public:
    explicit TRadioButton(QWidget* parent = nullptr);

    bool Checked() const;
    std::string Caption() const;
    void SetCaption(const std::string& Value);
};
