// Start-up benchmark: how long the program takes from being started to its
// main window on screen (without the splash), and its resident memory then.
// Runs the real program several times against an empty settings store.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString program = QStringLiteral(ZFM_PROGRAM);
    constexpr int kRuns = 7;
    std::vector<double> millis;
    long rss = -1;
    for (int i = 0; i < kRuns; ++i) {
        QTemporaryDir config;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZFM_STARTUP_PROBE"), QStringLiteral("1"));
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        p.start(program, {QStringLiteral("--config-home"), config.path()});
        QByteArray out;
        while (!out.contains("shown") && p.waitForReadyRead(10000))
            out += p.readAllStandardOutput();
        const double ms = t.nsecsElapsed() / 1e6;
        p.waitForFinished(10000);
        const int at = out.indexOf("rss_kib=");
        if (at < 0) {
            std::printf("startup: the program did not report its window (output: %s)\n", out.constData());
            return 1;
        }
        rss = out.mid(at + 8).trimmed().toLong();
        millis.push_back(ms);
    }
    std::sort(millis.begin(), millis.end());
    std::printf("startup: window shown after %.0f ms (median of %d, fastest %.0f ms), resident memory %.1f MiB\n",
        millis[kRuns / 2], kRuns, millis.front(), rss / 1024.0);
    return 0;
}
