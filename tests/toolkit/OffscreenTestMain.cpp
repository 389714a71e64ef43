// Runs a test binary's cases inside one application object, on Qt's offscreen platform unless the
// environment names another.

#include "TApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication application(argc, argv);
    application.Initialize();
    return RUN_ALL_TESTS();
}
