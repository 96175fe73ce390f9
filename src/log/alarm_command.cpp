#include "log/alarm_command.h"

#include "link/clock.h"
#include "log/log_event.h"

#include <QProcess>

#include <memory>

namespace zfm {

namespace {

constexpr int kTickMs = 5000;
// The end of what the command wrote on its error output, for the log.
constexpr qsizetype kErrorTailChars = 200;

QString number(const std::optional<double> &v) { return v ? QString::number(*v) : QString(); }

} // namespace

AlarmCommand::AlarmCommand(const Clock &clock, QObject *parent) : QObject(parent), clock_(clock)
{
    tickTimer_.setInterval(kTickMs);
    connect(&tickTimer_, &QTimer::timeout, this, &AlarmCommand::tick);
}

AlarmCommand::~AlarmCommand()
{
    // A command still running when the program ends is stopped with it.
    for (QProcess *p : findChildren<QProcess *>()) {
        p->disconnect(this);
        p->kill();
        p->waitForFinished(1000);
    }
}

QHash<QString, QString> AlarmCommand::environmentFor(const AlarmNotice &notice)
{
    return {
        {QStringLiteral("ZFM_ALARM"), notice.alarm},
        {QStringLiteral("ZFM_STATE"), notice.raised ? QStringLiteral("raised") : QStringLiteral("cleared")},
        {QStringLiteral("ZFM_FORWARD_W"), number(notice.forwardW)},
        {QStringLiteral("ZFM_REFLECTED_W"), number(notice.reflectedW)},
        {QStringLiteral("ZFM_TIME"), storedTime(notice.time)},
    };
}

int AlarmCommand::runningCount() const
{
    int n = 0;
    for (const QProcess *p : findChildren<QProcess *>()) {
        if (p->state() != QProcess::NotRunning)
            ++n;
    }
    return n;
}

void AlarmCommand::notify(const QString &commandLine, const AlarmNotice &notice)
{
    if (commandLine.trimmed().isEmpty())
        return;
    PerAlarm &a = alarms_[notice.alarm];
    const QDateTime now = clock_.now();
    if (a.lastStart && a.lastStart->msecsTo(now) < kMinimumGapMs && a.lastStart->msecsTo(now) >= 0) {
        a.held = notice;
        a.commandLine = commandLine;
        if (!tickTimer_.isActive())
            tickTimer_.start();
        return;
    }
    a.held.reset();
    a.lastStart = now;
    a.toldRaised = notice.raised;
    start(commandLine, notice);
}

void AlarmCommand::tick()
{
    const QDateTime now = clock_.now();
    bool waiting = false;
    for (auto it = alarms_.begin(); it != alarms_.end(); ++it) {
        PerAlarm &a = it.value();
        if (!a.held)
            continue;
        const qint64 since = a.lastStart->msecsTo(now);
        if (since >= 0 && since < kMinimumGapMs) {
            waiting = true;
            continue;
        }
        const AlarmNotice notice = *a.held;
        a.held.reset();
        // Raised and cleared again within the minute: the command already knows.
        if (notice.raised == a.toldRaised)
            continue;
        a.lastStart = now;
        a.toldRaised = notice.raised;
        start(a.commandLine, notice);
    }
    if (!waiting)
        tickTimer_.stop();
}

void AlarmCommand::start(const QString &commandLine, const AlarmNotice &notice)
{
    QStringList arguments = QProcess::splitCommand(commandLine);
    if (arguments.isEmpty())
        return;
    const QString program = arguments.takeFirst();
    auto *process = new QProcess(this);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QHash<QString, QString> told = environmentFor(notice);
    for (auto it = told.begin(); it != told.end(); ++it)
        environment.insert(it.key(), it.value());
    process->setProcessEnvironment(environment);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProgram(program);
    process->setArguments(arguments);

    const QString what
        = QStringLiteral("The alarm command \"%1\" (%2 %3)")
              .arg(commandLine, notice.alarm, notice.raised ? QStringLiteral("raised") : QStringLiteral("cleared"));
    auto *limit = new QTimer(process);
    limit->setSingleShot(true);
    auto errorTail = std::make_shared<QString>();
    connect(limit, &QTimer::timeout, process, [this, process, what] {
        emit problem(QStringLiteral("%1 ran for more than %2 s and was stopped.").arg(what).arg(timeLimitMs_ / 1000.0));
        process->kill();
    });
    connect(process, &QProcess::readyReadStandardError, process, [process, errorTail] {
        *errorTail += QString::fromLocal8Bit(process->readAllStandardError());
        if (errorTail->size() > kErrorTailChars)
            *errorTail = errorTail->right(kErrorTailChars);
    });
    connect(process, &QProcess::errorOccurred, this, [this, process, what](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        emit problem(QStringLiteral("%1 could not be started: %2.").arg(what, process->errorString()));
        process->deleteLater();
    });
    connect(process, &QProcess::finished, this,
        [this, process, limit, what, errorTail](int exitCode, QProcess::ExitStatus status) {
            const bool stopped = !limit->isActive();
            limit->stop();
            if (!stopped && (status != QProcess::NormalExit || exitCode != 0)) {
                QString text = status == QProcess::NormalExit
                    ? QStringLiteral("%1 ended with exit code %2").arg(what).arg(exitCode)
                    : QStringLiteral("%1 crashed").arg(what);
                const QString tail = errorTail->trimmed();
                emit problem(tail.isEmpty() ? text + QLatin1Char('.') : text + QStringLiteral(": ") + tail);
            }
            process->deleteLater();
        });
    limit->start(timeLimitMs_);
    process->start();
}

} // namespace zfm
