#include "options.h"

namespace zfm::vt {

QString usageText()
{
    return QStringLiteral("Usage: zfm-virtual-transmitter [options]\n"
                          "Stands in for the FM transmitter on a pseudo-terminal and prints its path.\n"
                          "\n"
                          "  --family classic|small   device family (default classic)\n"
                          "  --baud N                 line speed it answers at (default 9600 classic, 38400 small)\n"
                          "  --com N                  assign the line to COM N (key COMDevice<N>) while running\n"
                          "  --config-home DIR        the program's settings folder for --com (its --config-home)\n"
                          "  --state-file PATH        JSON state, rewritten after every frame and at exit\n"
                          "  --alarm N                alarm mask 0..63 in the status reply (default 5)\n"
                          "  --audio N                audio level 0..207 in the status reply (default 22)\n"
                          "  --power-limit W          rated power in watts (default 50)\n"
                          "  --firmware TEXT          firmware version (default 2.1)\n"
                          "  --fault NAME             silent, no-dollar, stall, garbage, bad-pd, slow,\n"
                          "                           hangup-after=N (may be given more than once)\n"
                          "  --gap-ms N               slow: pause length, under 1000 (default 700)\n"
                          "  --gap-every N            slow: characters between pauses (default 32)\n"
                          "  --quiet                  do not print the frames\n"
                          "  --help                   this text\n"
                          "\n"
                          "SIGUSR1 rewrites the state file (or prints the JSON state on stderr without one).\n");
}

namespace {

std::optional<int> number(const QString &text, int lo, int hi)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < lo || v > hi)
        return std::nullopt;
    return v;
}

QString applyFault(Faults &f, const QString &name)
{
    if (name == QLatin1String("silent"))
        f.silent = true;
    else if (name == QLatin1String("no-dollar"))
        f.noDollar = true;
    else if (name == QLatin1String("stall"))
        f.stall = true;
    else if (name == QLatin1String("garbage"))
        f.garbage = true;
    else if (name == QLatin1String("bad-pd"))
        f.badDelay = true;
    else if (name == QLatin1String("slow"))
        f.slow = true;
    else if (name.startsWith(QLatin1String("hangup-after="))) {
        const auto n = number(name.mid(13), 1, 1'000'000);
        if (!n)
            return QStringLiteral("hangup-after needs a number of frames, for example hangup-after=5");
        f.hangupAfter = *n;
    } else {
        return QStringLiteral("unknown fault \"%1\"").arg(name);
    }
    return {};
}

} // namespace

ParsedOptions parseOptions(const QStringList &args)
{
    Options o;
    o.echo = true;
    auto fail = [](const QString &message) { return ParsedOptions{std::nullopt, message}; };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            return ParsedOptions{std::nullopt, usageText()};
        if (a == QLatin1String("--quiet")) {
            o.echo = false;
            continue;
        }
        if (!a.startsWith(QLatin1String("--")))
            return fail(QStringLiteral("unexpected argument \"%1\"").arg(a));
        // Every other option takes a value, as "--name value" or "--name=value".
        QString name = a;
        QString value;
        if (const qsizetype eq = a.indexOf(QLatin1Char('=')); eq > 0) {
            name = a.left(eq);
            value = a.mid(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return fail(QStringLiteral("%1 needs a value").arg(a));
        }
        auto numeric = [&](int lo, int hi, int &target) -> QString {
            const auto n = number(value, lo, hi);
            if (!n)
                return QStringLiteral("%1 takes a number from %2 to %3").arg(name).arg(lo).arg(hi);
            target = *n;
            return {};
        };
        QString error;
        if (name == QLatin1String("--family")) {
            if (value == QLatin1String("classic"))
                o.family = Family::Classic;
            else if (value == QLatin1String("small"))
                o.family = Family::Small;
            else
                error = QStringLiteral("--family is classic or small");
        } else if (name == QLatin1String("--baud")) {
            error = numeric(300, 4'000'000, o.baud);
        } else if (name == QLatin1String("--config-home")) {
            o.configHome = value;
        } else if (name == QLatin1String("--com")) {
            error = numeric(1, 16, o.com);
        } else if (name == QLatin1String("--state-file")) {
            o.stateFile = value;
        } else if (name == QLatin1String("--alarm")) {
            error = numeric(0, 63, o.status.alarmMask);
        } else if (name == QLatin1String("--audio")) {
            error = numeric(0, 207, o.status.audioLevel);
        } else if (name == QLatin1String("--power-limit")) {
            error = numeric(1, 10000, o.status.powerLimitW);
        } else if (name == QLatin1String("--firmware")) {
            if (value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('$')))
                error = QStringLiteral("--firmware cannot hold \",\" or \"$\"");
            o.status.firmware = value;
        } else if (name == QLatin1String("--fault")) {
            error = applyFault(o.faults, value);
        } else if (name == QLatin1String("--gap-ms")) {
            error = numeric(1, 999, o.faults.gapMs);
        } else if (name == QLatin1String("--gap-every")) {
            error = numeric(1, 100000, o.faults.gapEvery);
        } else {
            error = QStringLiteral("unknown option %1").arg(name);
        }
        if (!error.isEmpty())
            return fail(error);
    }
    return ParsedOptions{o, {}};
}

} // namespace zfm::vt
