#pragma once
// The window's layout as resources/Unit1.ui describes it, read from the copy built into the yardsticks, so
// that they stand for the window the program builds from the same file. Pure data; any thread.

#include <QString>
#include <QVariantHash>

#include <vector>

namespace bench {

struct FormControl {
    QString className; // our toolkit's: TForm, TImage, TLabel, ...
    QString name;
    QVariantHash properties; // rect → QRect, size → QSize, bool → bool, anything else as its text
};

// The form first, then its controls in the description's order; empty if the description is unreadable.
std::vector<FormControl> readFormDescription();

// The control called `name`, or the form's own entry if there is none.
const FormControl& control(const std::vector<FormControl>& form, const QString& name);

// The font our toolkit gives every window, which the description leaves to it.
void useTheProgramsFont();

} // namespace bench
