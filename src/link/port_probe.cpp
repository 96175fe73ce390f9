#include "link/port_probe.h"

#include "link/status_request.h"
#include "settings/line_speed.h"

namespace zfm {

PortProbe::PortProbe(const SettingsRecord &record, const Clock &clock, QObject *parent)
    : QObject(parent), port_(record), runner_(port_, clock)
{
    connect(&port_, &SerialLink::received, this, [this](char c) {
        if (c != '$')
            answer_.append(c);
    });
    connect(&runner_, &LinkRunner::statusChanged, this, [this](const QString &text) { emit statusChanged(text); });
    connect(&runner_, &LinkRunner::failed, this, [this](const LinkFailure &failure) { failure_ = failure; });
}

void PortProbe::run(const WireScript &script, Next next)
{
    failure_.reset();
    runner_.start(script, [this, next = std::move(next)](LinkRunner::Outcome outcome) {
        if (stopAsked_) {
            port_.close();
            finish({});
            return;
        }
        next(outcome);
    });
}

void PortProbe::stop()
{
    if (!running_)
        return;
    stopAsked_ = true;
    runner_.stop();
}

void PortProbe::finish(Result result)
{
    running_ = false;
    stopAsked_ = false;
    answer_.clear();
    emit finished(result);
}

void PortProbe::testPort(int comNumber, const QString &speedText)
{
    if (running_)
        return;
    running_ = true;
    const LineSpeed *speed = lineSpeedOfText(speedText);
    step::Open open;
    open.comNumber = comNumber;
    open.line = speed ? lineSettingsForSpeed(speed->comSpeed) : QString();
    open.evenIfOpen = true;
    answer_.clear();
    WireScript s;
    s.status(QStringLiteral("Scanning port COM %1").arg(comNumber), 0).close().open(open);
    statusRequestFrame(s, RequestPacing::Paced);
    s.pause(kPauseShortMs).close().status(QString(), 0);
    run(s, [this](LinkRunner::Outcome outcome) {
        port_.close();
        Result r;
        if (outcome == LinkRunner::Outcome::Failed && failure_) {
            r.kind = Result::Kind::Unusable;
            r.caption = QStringLiteral("notOK");
            // A port that is there but cannot be used says why.
            r.text = failure_->kind == LinkFailure::Kind::PortMissing
                ? QStringLiteral("Selected COM port does not exist.")
                : failure_->message();
            emit statusChanged(QString());
        } else if (!answer_.isEmpty()) {
            r.kind = Result::Kind::Answered;
            r.caption = QStringLiteral("OK");
            r.text = QStringLiteral("Correct settings!");
        } else {
            r.kind = Result::Kind::Silent;
            r.caption = QStringLiteral("notOK");
            r.text = QStringLiteral("Wrong COM port or wrong baud rate.");
        }
        finish(r);
    });
}

void PortProbe::search(int16_t mode)
{
    if (running_)
        return;
    running_ = true;
    const LineSpeed &speed = searchLineSpeed(mode);
    speedLine_ = lineSettingsForSpeed(speed.comSpeed);
    speedText_ = QLatin1String(speed.text);
    speedCode_ = speed.comSpeed;
    searchPort(1);
}

void PortProbe::searchPort(int n)
{
    if (n > kLastSearchedPort) {
        Result r;
        r.kind = Result::Kind::NotFound;
        r.text = QStringLiteral("Sorry, can't find FM transmitter on any of the ports.");
        emit statusChanged(QStringLiteral(" "));
        finish(r);
        return;
    }
    port_.close();
    const QString scanning = QStringLiteral("Scanning port %1").arg(n);
    if (!port_.exists(n)) {
        // Nothing to settle or wait for on a port that is not there.
        emit statusChanged(scanning);
        QMetaObject::invokeMethod(
            this,
            [this, n] {
                if (stopAsked_)
                    finish({});
                else
                    searchPort(n + 1);
            },
            Qt::QueuedConnection);
        return;
    }
    WireScript s;
    s.pause(kPauseShortMs).status(scanning, 0).pause(kPauseShortMs);
    s.open(step::Open{speedLine_, true, n});
    run(s, [this, n](LinkRunner::Outcome outcome) {
        if (outcome != LinkRunner::Outcome::Completed) {
            // Busy, forbidden or not a serial port: no transmitter answers there.
            run(WireScript().pause(kPauseShortMs), [this, n](LinkRunner::Outcome) { searchPort(n + 1); });
            return;
        }
        askPort(n);
    });
}

void PortProbe::askPort(int n)
{
    answer_.clear();
    WireScript s;
    s.status(QStringLiteral("Scanning port %1 at %2 bps").arg(n).arg(speedText_), 0);
    statusRequestFrame(s, RequestPacing::Whole).pause(kAnswerWaitMs);
    run(s, [this, n](LinkRunner::Outcome) {
        const bool found = answer_.startsWith("Alarm");
        port_.close();
        if (!found) {
            searchPort(n + 1);
            return;
        }
        Result r;
        r.kind = Result::Kind::Found;
        r.comNumber = n;
        r.comSpeed = speedCode_;
        r.text = QStringLiteral("FM transmitter found on port %1 at Baudrate %2").arg(n).arg(speedText_);
        finish(r);
    });
}

} // namespace zfm
