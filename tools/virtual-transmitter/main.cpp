// zfm-virtual-transmitter: a stand-in for the FM transmitter on a
// pseudo-terminal. Run with --help for the options.
#include "options.h"
#include "registration.h"
#include "settings/settings_store.h"
#include "virtual_transmitter.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

using namespace zfm::vt;

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int signal)
{
    const char c = signal == SIGUSR1 ? 'u' : 'q';
    const ssize_t n = ::write(signalPipe[1], &c, 1);
    (void)n;
}

void printLine(FILE *to, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const ParsedOptions parsed = parseOptions(arguments);
    if (!parsed.options) {
        const bool help = parsed.message == usageText();
        printLine(help ? stdout : stderr,
            help ? parsed.message : QStringLiteral("zfm-virtual-transmitter: ") + parsed.message);
        return help ? 0 : 2;
    }
    const Options options = *parsed.options;
    if (!options.configHome.isEmpty())
        zfm::PlatformStore::useFolder(options.configHome);

    QCoreApplication app(argc, argv);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        printLine(stderr, QStringLiteral("zfm-virtual-transmitter: cannot watch signals"));
        return 1;
    }
    for (const int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1})
        std::signal(s, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    VirtualTransmitter device(options);
    if (!device.isValid()) {
        printLine(stderr, QStringLiteral("zfm-virtual-transmitter: cannot open a pseudo-terminal"));
        return 1;
    }
    QSocketNotifier signalWatch(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalWatch, &QSocketNotifier::activated, &app, [&] {
        char c = 0;
        if (::read(signalPipe[0], &c, 1) != 1)
            return;
        if (c == 'q') {
            app.quit();
        } else if (!options.stateFile.isEmpty()) {
            device.writeStateFile();
        } else {
            printLine(stderr, QString::fromUtf8(QJsonDocument(device.stateJson()).toJson()));
        }
    });
    QObject::connect(&device, &VirtualTransmitter::lineCut, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    // The path is printed once the line is assigned, so whoever waits for it
    // finds the assignment in place.
    std::optional<Registration> registration;
    if (options.com > 0) {
        registration.emplace(options.com, device.path());
        if (!registration->isRegistered()) {
            printLine(
                stderr, QStringLiteral("zfm-virtual-transmitter: cannot write %1").arg(registration->storeFile()));
            return 1;
        }
    }
    printLine(stdout, device.path());
    if (registration) {
        printLine(stdout,
            QStringLiteral("Assigned to COM %1 (%2 in %3)")
                .arg(options.com)
                .arg(registration->key(), registration->storeFile()));
    }
    printLine(stdout,
        QStringLiteral("%1 family, answering at %2 bit/s%3")
            .arg(familyName(options.family))
            .arg(options.lineBaud())
            .arg(options.stateFile.isEmpty() ? QString() : QStringLiteral("; state in ") + options.stateFile));
    device.writeStateFile();

    const int rc = app.exec();
    device.writeStateFile();
    registration.reset();
    return rc;
}
