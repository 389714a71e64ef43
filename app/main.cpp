#include "CommandLine.h"
#include "DisplayGuard.h"
#include "StartUp.h"
#include "TApplication.h"

int main(int argc, char** argv)
{
    if (const std::optional<int> exitCode = AnswerCommandLine(argc, argv))
        return *exitCode;
    TApplication application(argc, argv);
    return StartUp([] {
        const DisplayGuard guard;
        Application->Initialize();
    });
}
