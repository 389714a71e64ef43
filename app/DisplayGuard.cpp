#include "DisplayGuard.h"

#include "LineKeeper.h"

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

// The standing guard's, for its handler, which Qt's threads may call too.
std::mutex HeldMutex;
std::vector<HeldMessage> Held;
QtMessageHandler Previous = nullptr;
bool Standing = false;
// The held lines as the user would see them, should the process end with no word of ours.
LineKeeper Keeper;

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

// As the user would have seen it on standard error, where Qt's own handler may send it elsewhere.
QByteArray Line(QtMsgType Type, const QMessageLogContext& Context, const QString& Text)
{
    return qFormatLogMessage(Type, Context, Text).toLocal8Bit() + '\n';
}

void Print(QtMsgType Type, const QMessageLogContext& Context, const QString& Text)
{
    std::fputs(Line(Type, Context, Text).constData(), stderr);
}

void Keep(QtMsgType Type, const QMessageLogContext& Context, const QString& Text)
{
    const QByteArray line = Line(Type, Context, Text);
    Keeper.Keep({line.constData(), static_cast<std::size_t>(line.size())});
}

void Hold(QtMsgType Type, const QMessageLogContext& Context, const QString& Text)
{
    std::lock_guard lock(HeldMutex);
    if (!Standing) {
        // Called as the guard ended: after the lines it passed on.
        Previous(Type, Context, Text);
        return;
    }
    if (Type != QtFatalMsg) {
        Held.push_back({Type, Context.category, Text});
        PassOn(Keep, Held.back());
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
    Keeper.LetGo();
    // Qt is half made: nothing may run that would tear it down.
    std::_Exit(1);
}

}  // namespace

DisplayGuard::DisplayGuard()
{
    std::lock_guard lock(HeldMutex);
    Standing = true;
    Previous = qInstallMessageHandler(Hold);
}

DisplayGuard::~DisplayGuard()
{
    {
        std::lock_guard lock(HeldMutex);
        Standing = false;
        for (const HeldMessage& message : Held)
            PassOn(Previous, message);
        Held.clear();
        Keeper.LetGo();
    }
    qInstallMessageHandler(Previous);
}
