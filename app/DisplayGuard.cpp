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

// What Qt 6 logs of each platform plugin it tries and cannot start: the plugin's own complaint about its
// connection, then that the plugin could not load; or that it is not installed at all.
enum class PluginLine { None, ConnectionFailed, LoadFailed, NotFound };

PluginLine Classified(const QString& Text)
{
    if (Text.startsWith("could not connect to display") || Text.startsWith("Failed to create wl_display"))
        return PluginLine::ConnectionFailed;
    if (Text.startsWith("Could not load the Qt platform plugin"))
        return PluginLine::LoadFailed;
    if (Text.startsWith("Could not find the Qt platform plugin"))
        return PluginLine::NotFound;
    return PluginLine::None;
}

// Whether every platform Qt tried was there but found no display to connect to. A plugin that is not
// installed, or that failed for another reason, is a cause of its own.
bool NoDisplayReached(const std::vector<HeldMessage>& Messages)
{
    bool connectionFailed = false;
    bool anyTried = false;
    for (const HeldMessage& message : Messages) {
        switch (Classified(message.Text)) {
        case PluginLine::ConnectionFailed:
            connectionFailed = true;
            break;
        case PluginLine::LoadFailed:
            if (!connectionFailed)
                return false;
            connectionFailed = false;
            anyTried = true;
            break;
        case PluginLine::NotFound:
            return false;
        case PluginLine::None:
            break;
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

// Qt's lines pass on as they come until one tells of a platform plugin that could not start: from there on
// they wait for the verdict, which may be the one line where no display was reached. One that comes as the
// guard ends follows those it passed on.
void Hold(QtMsgType Type, const QMessageLogContext& Context, const QString& Text)
{
    std::lock_guard lock(HeldMutex);
    if (!Standing || (Type != QtFatalMsg && Held.empty() && Classified(Text) == PluginLine::None)) {
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
