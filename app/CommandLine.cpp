#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

std::optional<int> AnswerCommandLine(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("scrolltest"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SCROLLTEST_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Scrolls an 800 x 356 view over the picture BG.bmp in the current folder, one pixel per tick of a\n"
        "standard or a precision timer."));
    // Qt's single-dash options would otherwise read as bundles of letters: -stylesheet as -h among others.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Not addHelpOption(): its --help-all would need the display's application object to list Qt's options.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on commandline options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Unknown arguments are no error: they are Qt's, or ignored.
    parser.parse(arguments);
    if (!parser.isSet(help) && !parser.isSet(version))
        return std::nullopt;

    // The help text names the program as it was started, which only an application object knows.
    QCoreApplication textOnly(argc, argv);
    const QString text = parser.isSet(help)
        ? parser.helpText()
        : QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n';
    std::fputs(qPrintable(text), stdout);
    return 0;
}
