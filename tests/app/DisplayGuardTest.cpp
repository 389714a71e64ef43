#include "DisplayGuard.h"

#include <QString>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> PassedOn;

void Record(QtMsgType, const QMessageLogContext&, const QString& Text)
{
    PassedOn.push_back(Text.toStdString());
}

// Regression: the guard put the previous handler back before it took the lines it held, so a line from a
// thread already inside the guard's handler was held after that and never passed on. Such a thread is
// stood for by a call through the guard's handler, taken while the guard stood, once the guard has ended.
TEST(DisplayGuard, ALineReachingItsHandlerAsItEndsFollowsTheHeldOnes)
{
    qInstallMessageHandler(Record);
    QtMessageHandler guards = nullptr;
    {
        const DisplayGuard guard;
        qWarning("held");
        guards = qInstallMessageHandler(nullptr);
        qInstallMessageHandler(guards);
        EXPECT_EQ(std::vector<std::string>{}, PassedOn);
    }
    guards(QtWarningMsg, QMessageLogContext(), "late");
    qInstallMessageHandler(nullptr);
    EXPECT_EQ((std::vector<std::string>{"held", "late"}), PassedOn);
}

}  // namespace
