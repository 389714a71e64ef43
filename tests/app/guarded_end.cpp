// Makes nothing, but ends as a making of Qt's application object may while the display guard stands: after
// logging its cause, in the way the argument names (_exit, exit, abort, fatal, or none: the guard ends).

#include "DisplayGuard.h"

#include <QtGlobal>

#include <unistd.h>

#include <cstdlib>
#include <string_view>

int main(int argc, char** argv)
{
    const std::string_view way = argc > 1 ? argv[1] : "";
    const DisplayGuard guard;
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
