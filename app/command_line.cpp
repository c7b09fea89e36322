#include "command_line.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace
{
// Qt's own options, which QApplication takes out of the command line after this check;
// they stay accepted, as in every Qt program, and stay out of the help text.
const char *const QtValueOptions[] = {"platform",        "platformpluginpath",
                                      "platformtheme",   "plugin",
                                      "qwindowgeometry", "qwindowicon",
                                      "qwindowtitle",    "style",
                                      "stylesheet",      "display",
                                      "session",         "name"};
const char *const QtFlagOptions[] = {"reverse", "widgetcount", "sync", "nograb", "dograb"};

void Print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}
} // namespace

const char *DesktopFileName()
{
    return KELVANE_APP_ID;
}

int HandleCommandLine(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        "Kelvane: minesweeper with an exact mine-probability engine.\n"
        "Press the middle mouse button on a closed sector to see, on every closed sector,\n"
        "the probability that it holds a mine.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    for (const char *name : QtValueOptions) {
        QCommandLineOption option(name, QString(), "value");
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : QtFlagOptions) {
        QCommandLineOption option(name);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    // Without an application object the parser cannot name the program itself.
    const QString program = argc > 0 ? QFileInfo(arguments.first()).fileName() : "kelvane";
    auto usage = [&] { return parser.helpText().replace("<executable_name>", program); };

    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        const QString error =
            parser.errorText().isEmpty()
                ? QString("Unexpected argument '%1'.").arg(parser.positionalArguments().value(0))
                : parser.errorText();
        Print(stderr, program + ": " + error + "\n" + usage());
        return 2;
    }
    if (parser.isSet(help) || parser.isSet("help-all")) {
        Print(stdout, usage());
        return 0;
    }
    if (parser.isSet(version)) {
        Print(stdout, QString("kelvane %1\n").arg(KELVANE_VERSION));
        return 0;
    }
    return -1;
}
