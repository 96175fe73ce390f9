#include "app/command_line.h"

#include "app/project.h"
#include "settings/settings_record.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace zfm {

CommandLine parseCommandLine(const QStringList &arguments)
{
    const QString program
        = arguments.isEmpty() ? QStringLiteral("zephyrinefm") : QFileInfo(arguments.first()).fileName();
    QCommandLineParser parser;
    // "-port 3" as well as "--port 3", the way Qt's own options are written.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Controls an FM transmitter with built-in RDS encoder over a serial line."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this text."));
    const QCommandLineOption version(
        {QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the program's version."));
    const QCommandLineOption configHome(QStringLiteral("config-home"),
        QStringLiteral("Keep the settings store and the station log in <dir> instead of the per-user folders "
                       "(~/.config, ~/.local/share)."),
        QStringLiteral("dir"));
    const QCommandLineOption minimized(
        QStringLiteral("minimized"), QStringLiteral("Start in the tray, or minimised where the desktop has no tray."));
    const QCommandLineOption port(QStringLiteral("port"),
        QStringLiteral("Use COM <n> (1 to %1) for this run; the stored port stays as it is.").arg(kComPorts),
        QStringLiteral("n"));
    parser.addOptions({help, version, configHome, minimized, port});

    CommandLine command;
    const auto refuse = [&](const QString &what) {
        command.action = CommandLine::Action::Refuse;
        command.text = QStringLiteral("%1: %2\nTry '%1 --help' for the options.").arg(program, what);
        return command;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help)) {
        command.action = CommandLine::Action::ShowHelp;
        command.text = parser.helpText();
        // Qt names the program there only once the application object exists.
        command.text.replace(
            0, command.text.indexOf(QLatin1Char('\n')), QStringLiteral("Usage: %1 [options]").arg(program));
        return command;
    }
    if (parser.isSet(version)) {
        command.action = CommandLine::Action::ShowVersion;
        command.text = QStringLiteral("ZephyrineFM+ %1\n").arg(QLatin1String(kVersion));
        return command;
    }
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first()));
    if (parser.isSet(port)) {
        bool ok = false;
        const int n = parser.value(port).toInt(&ok);
        if (!ok || n < 1 || n > kComPorts)
            return refuse(QStringLiteral("--port takes a COM number from 1 to %1, not '%2'.")
                              .arg(kComPorts)
                              .arg(parser.value(port)));
        command.port = n;
    }
    if (parser.isSet(configHome)) {
        const QString folder = parser.value(configHome);
        if (folder.isEmpty())
            return refuse(QStringLiteral("--config-home needs a folder."));
        command.configHome = QDir(folder).absolutePath();
    }
    command.minimized = parser.isSet(minimized);
    return command;
}

bool mayHoldQtOptions(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a.size() > 1 && a.startsWith(QLatin1Char('-')) && !a.startsWith(QLatin1String("--")))
            return true;
    }
    return false;
}

} // namespace zfm
