#include "DisplayGuard.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct HeldMessage {
    QtMsgType Type;
    QByteArray Category;
    QString Text;
};

std::vector<HeldMessage> Held;

QByteArray Described(const char* Variable)
{
    const QByteArray value = qgetenv(Variable);
    return value.isEmpty() ? Variable + QByteArray(" not set") : Variable + QByteArray("=\"") + value + '"';
}

void Hold(QtMsgType Type, const QMessageLogContext& Context, const QString& Text)
{
    if (Type != QtFatalMsg) {
        Held.push_back({Type, Context.category, Text});
        return;
    }
    // Qt's own lines (the plugin's complaint, the list of plugins) speak of reinstalling, which would not help.
    std::fprintf(stderr, "scrolltest: cannot connect to a display (%s, %s)\n", Described("DISPLAY").constData(),
                 Described("WAYLAND_DISPLAY").constData());
    std::fflush(stderr);
    // Qt is half made: nothing may run that would tear it down.
    std::_Exit(1);
}

}  // namespace

DisplayGuard::DisplayGuard() : FPrevious(qInstallMessageHandler(Hold)) {}

DisplayGuard::~DisplayGuard()
{
    qInstallMessageHandler(FPrevious);
    for (const HeldMessage& message : Held) {
        const QMessageLogContext context(nullptr, 0, nullptr,
                                         message.Category.isNull() ? nullptr : message.Category.constData());
        FPrevious(message.Type, context, message.Text);
    }
    Held.clear();
}
