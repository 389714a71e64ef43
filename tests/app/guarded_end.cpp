// Makes nothing, but ends as a making of Qt's application object may while the display guard stands: after
// Qt's lines for a Wayland compositor it could not reach and a cause of another platform's, in the way the
// argument names (_exit, exit, abort, fatal, or none: the guard ends).

#include "DisplayGuard.h"

#include <QLoggingCategory>
#include <QtGlobal>

#include <unistd.h>

#include <cstdlib>
#include <string_view>

Q_LOGGING_CATEGORY(Plugins, "qt.qpa.plugin")

int main(int argc, char** argv)
{
    const std::string_view way = argc > 1 ? argv[1] : "";
    const DisplayGuard guard;
    qWarning("Failed to create wl_display (No such file or directory)");
    qCWarning(Plugins, "Could not load the Qt platform plugin \"wayland\" in \"\" even though it was found.");
    qWarning("cause");
    if (way == "_exit")
        _exit(1);
    if (way == "exit")
        std::exit(1);
    if (way == "abort")
        std::abort();
    if (way == "fatal")
        qFatal("fatal");
    return 0;
}
