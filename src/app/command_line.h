#pragma once

#include <QString>
#include <QStringList>

namespace zfm {

// What the command line asks of the program.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Run;
    // The help or version text, or what is wrong with the command line.
    QString text;
    // The settings store's folder instead of the per-user one (empty: that one).
    QString configHome;
    // The COM number for this run only, never stored (0: "COMSelected").
    int port = 0;
    // Start in the tray, or minimised where the desktop has none.
    bool minimized = false;
};

// The exit code for a command line the program cannot follow.
inline constexpr int kUsageExitCode = 2;

// `arguments` as the process received them, the program's path first.
CommandLine parseCommandLine(const QStringList &arguments);

// Whether the arguments may hold Qt's own options ("-style fusion"), which only
// the application object knows and takes out of the list.
bool mayHoldQtOptions(const QStringList &arguments);

} // namespace zfm
