#include "Accessible.h"

#include <QAccessibleWidget>

namespace {

QAccessibleInterface* ToolkitAccessible(const QString& ClassName, QObject* Object)
{
    // Qt asks for each class from the object's own up to QObject; the toolkit's bases answer for the forms
    // and images derived from them.
    if (ClassName == QLatin1String("TForm"))
        return new QAccessibleWidget(static_cast<QWidget*>(Object), QAccessible::Window);
    if (ClassName == QLatin1String("TImage"))
        return new QAccessibleWidget(static_cast<QWidget*>(Object), QAccessible::Graphic);
    return nullptr;
}

}  // namespace

void InstallAccessibleFactory()
{
    QAccessible::installFactory(ToolkitAccessible);
}
