#include "DisplayGuard.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

struct HeldMessage {
    QtMsgType Type;
    QByteArray Category;
    QString Text;
};

std::mutex HeldMutex;
std::vector<HeldMessage> Held;

QByteArray Described(const char* Variable)
{
    const QByteArray value = qgetenv(Variable);
    return value.isEmpty() ? Variable + QByteArray(" not set") : Variable + QByteArray("=\"") + value + '"';
}

// Whether every platform Qt tried was there but found no display to connect to, going by the lines Qt 6
// logs on the way: each plugin's own complaint about its connection, then that the plugin could not load.
// A plugin that is not installed, or that failed for another reason, is a cause of its own.
bool NoDisplayReached(const std::vector<HeldMessage>& Messages)
{
    bool connectionFailed = false;
    bool anyTried = false;
    for (const HeldMessage& message : Messages) {
        if (message.Text.startsWith("could not connect to display") ||
            message.Text.startsWith("Failed to create wl_display")) {
            connectionFailed = true;
        } else if (message.Text.startsWith("Could not load the Qt platform plugin")) {
            if (!connectionFailed)
                return false;
            connectionFailed = false;
            anyTried = true;
        } else if (message.Text.startsWith("Could not find the Qt platform plugin")) {
            return false;
        }
    }
    return anyTried;
}

void PassOn(QtMessageHandler Handler, const HeldMessage& Message)
{
    const QMessageLogContext context(nullptr, 0, nullptr,
                                     Message.Category.isNull() ? nullptr : Message.Category.constData());
    Handler(Message.Type, context, Message.Text);
}

// Straight to standard error, as the user would have seen it: Qt's own handler may send it elsewhere.
void Print(QtMsgType Type, const QMessageLogContext& Context, const QString& Text)
{
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(Type, Context, Text)));
}

void Hold(QtMsgType Type, const QMessageLogContext& Context, const QString& Text)
{
    std::lock_guard lock(HeldMutex);
    if (Type != QtFatalMsg) {
        Held.push_back({Type, Context.category, Text});
        return;
    }
    if (NoDisplayReached(Held)) {
        // Qt's own lines speak of reinstalling, which would not help.
        std::fprintf(stderr, "scrolltest: cannot connect to a display (%s, %s)\n", Described("DISPLAY").constData(),
                     Described("WAYLAND_DISPLAY").constData());
    } else {
        for (const HeldMessage& message : Held)
            PassOn(Print, message);
        Print(Type, Context, Text);
    }
    std::fflush(stderr);
    // Qt is half made: nothing may run that would tear it down.
    std::_Exit(1);
}

}  // namespace

DisplayGuard::DisplayGuard() : FPrevious(qInstallMessageHandler(Hold)) {}

DisplayGuard::~DisplayGuard()
{
    qInstallMessageHandler(FPrevious);
    std::vector<HeldMessage> held;
    {
        std::lock_guard lock(HeldMutex);
        held.swap(Held);
    }
    for (const HeldMessage& message : held)
        PassOn(FPrevious, message);
}
