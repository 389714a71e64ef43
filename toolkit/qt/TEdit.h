#pragma once

#include <QLineEdit>

#include <string>

// A one-line text field. A widget of the window's thread, owned by its form.
class TEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TEdit(QWidget* parent = nullptr);

    // The facade's name for what Qt calls setEnabled, so that the window's code is the same on every backend.
    void SetEnabled(bool Value);

    std::string Text() const;
    void SetText(const std::string& Value);
};
