#include "DisplayGuard.h"

#include <QString>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines PassedOn;

void Record(QtMsgType, const QMessageLogContext&, const QString& Text)
{
    PassedOn.push_back(Text.toStdString());
}

// What reaches the handler the guard replaced, while it stands and once it has ended. Each row ends with a
// call through the guard's handler, taken while it stood, once it has ended: a thread of Qt's that was already
// inside that handler as the guard ended.
TEST(DisplayGuard, PassesOnQtsLinesInTheirOrder)
{
    struct Row {
        std::string name;
        Lines logged;
        Lines whileStanding;
    };
    const Row rows[] = {
        {"a line of Qt's own passes on at once", {"QStandardPaths: XDG_RUNTIME_DIR not set"},
         {"QStandardPaths: XDG_RUNTIME_DIR not set"}},
        {"from a plugin's failure on, lines wait for the guard's end",
         {"before", "could not connect to display :9", "after"}, {"before"}},
    };
    for (const Row& row : rows) {
        PassedOn.clear();
        qInstallMessageHandler(Record);
        QtMessageHandler guards = nullptr;
        {
            const DisplayGuard guard;
            for (const std::string& line : row.logged)
                qWarning("%s", line.c_str());
            guards = qInstallMessageHandler(nullptr);
            qInstallMessageHandler(guards);
            EXPECT_EQ(row.whileStanding, PassedOn) << row.name;
        }
        // Regression: the guard put the previous handler back before it took the lines it held, so this line
        // was held after that and never passed on.
        guards(QtWarningMsg, QMessageLogContext(), "late");
        qInstallMessageHandler(nullptr);
        Lines all = row.logged;
        all.push_back("late");
        EXPECT_EQ(all, PassedOn) << row.name;
    }
}

}  // namespace
