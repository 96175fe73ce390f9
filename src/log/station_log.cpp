#include "log/station_log.h"

#include "link/clock.h"
#include "log/telemetry_sample.h"
#include "station/station.h"
#include "transmitter/frequency.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace zfm {

namespace {

// What the log calls the operations that write to the transmitter.
QString uploadName(JobKind kind)
{
    switch (kind) {
    case JobKind::SendSettings: return QStringLiteral("Send settings");
    case JobKind::SendRtAndPs: return QStringLiteral("Send RT and PS");
    case JobKind::TestFrequency: return QStringLiteral("Frequency test");
    case JobKind::TestPower: return QStringLiteral("Power test");
    case JobKind::ShutDown: return QStringLiteral("Power 0 at exit");
    case JobKind::AutoPs: return QStringLiteral("Automatic PS update");
    case JobKind::AutoRt: return QStringLiteral("Automatic RadioText update");
    case JobKind::ClockSync: return QStringLiteral("Clock synchronisation");
    case JobKind::ReadBack: return QStringLiteral("RDS read-back");
    case JobKind::StatusRequest: return QStringLiteral("Status request");
    case JobKind::PortOpen: return QStringLiteral("Opening the port");
    case JobKind::Reconnect: return QStringLiteral("Reconnecting");
    case JobKind::LineSpeed:
    case JobKind::Setup:
    case JobKind::PortClose: break;
    }
    return {};
}

// Jobs that only set up or give back the line say nothing about the link.
bool usesLine(JobKind kind)
{
    return kind != JobKind::LineSpeed && kind != JobKind::Setup && kind != JobKind::PortClose;
}

QString frames(int n) { return n == 1 ? QStringLiteral("1 frame") : QStringLiteral("%1 frames").arg(n); }

QString watts(const std::optional<double> &w)
{
    return w ? QString::number(*w) + QStringLiteral(" W") : QStringLiteral("?");
}

QString familyName(int16_t mode)
{
    return mode == kModeSmall ? QStringLiteral("LumidraxVesk") : QStringLiteral("LumidraxFM V5");
}

} // namespace

StationLog::StationLog(Station &station, const QString &path, Options options, QObject *parent)
    : QObject(parent),
      station_(station),
      writer_(path, station.clock().now(), options.writer),
      command_(station.clock())
{
    command_.setTimeLimitMs(options.alarmCommandTimeLimitMs);
    connect(&writer_, &LogWriter::written, this, [this](qint64 lastEventId, int events, int samples) {
        if (events > 0)
            emit written(lastEventId);
        if (samples > 0)
            emit samplesWritten();
    });
    connect(&writer_, &LogWriter::failed, this, [this](const QString &error) {
        emit storeFailed(QStringLiteral("The station log cannot be written, so this session's events and "
                                        "transmitter history are not kept. The program goes on without it.\n\n%1")
                             .arg(error));
    });
    connect(&command_, &AlarmCommand::problem, this, [this](const QString &text) { record(EventKind::Message, text); });

    connect(&station_, &Station::statusReplyReceived, this, &StationLog::onStatusReply);
    connect(&station_, &Station::message, this, &StationLog::onMessage);
    connect(&station_, &Station::exited, this, [this] {
        record(EventKind::Exit,
            station_.record().ShutDown ? QStringLiteral("ZephyrineFM+ exited (power 0 sent)")
                                       : QStringLiteral("ZephyrineFM+ exited"));
        writer_.flush();
    });
    const LineOwner &line = station_.line();
    connect(&line, &LineOwner::jobStarted, this, &StationLog::onJobStarted);
    connect(&line, &LineOwner::jobEnded, this, &StationLog::onJobEnded);
    connect(&line, &LineOwner::failed, this, &StationLog::onLineFailed);
    connect(&station_.scheduler(), &ScheduleDriver::schemeApplied, this, [this] {
        const SettingsRecord &r = station_.record();
        record(EventKind::Scheme,
            QStringLiteral("Scheme applied: %1, power %2 %").arg(frequencyText(r.TXFrequency)).arg(r.TXPower));
    });

    messageTimer_.setSingleShot(true);
    messageTimer_.setInterval(0);
    connect(&messageTimer_, &QTimer::timeout, this, &StationLog::recordMessages);

    const SettingsRecord &r = station_.record();
    const QString version = QCoreApplication::applicationVersion();
    record(EventKind::Start,
        QStringLiteral("ZephyrineFM+%1 started: %2 on COM %3")
            .arg(version.isEmpty() ? QString() : QLatin1Char(' ') + version, familyName(r.MODE))
            .arg(r.COMSelected));
}

StationLog::~StationLog()
{
    recordMessages();
    disconnect(&station_, nullptr, this, nullptr);
}

namespace {
const QString kFileName = QStringLiteral("station-log.sqlite");
}

QString StationLog::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QLatin1Char('/') + kFileName;
}

QString StationLog::pathIn(const QString &folder)
{
    // The same folders below it as the data location has below its root.
    return QStringLiteral("%1/%2/%3/%4")
        .arg(folder, QCoreApplication::organizationName(), QCoreApplication::applicationName(), kFileName);
}

void StationLog::record(EventKind kind, const QString &text)
{
    writer_.add(LogEvent{station_.clock().now(), kind, text});
}

QString StationLog::com() const
{
    return QStringLiteral("COM %1").arg(comAtStart_ ? comAtStart_ : station_.record().COMSelected);
}

void StationLog::onStatusReply(const StatusReply &reply)
{
    const QDateTime now = station_.clock().now();
    const TelemetrySample sample = telemetryFromReply(reply, now);
    writer_.add(sample);
    for (const AlarmChange &change : alarms_.update(reply.alarmLamps)) {
        const QString lamp = alarmLampCaption(change.lamp);
        const QString values
            = QStringLiteral("forward %1, reflected %2").arg(watts(sample.forwardW), watts(sample.reflectedW));
        const QString state = change.raised ? QStringLiteral("raised") : QStringLiteral("cleared");
        record(change.raised ? EventKind::AlarmRaised : EventKind::AlarmCleared,
            QStringLiteral("%1 %2: %3").arg(lamp, state, values));
        emit alarmNotice(QStringLiteral("ZephyrineFM+: %1 %2").arg(lamp, state),
            QStringLiteral("%1 at %2: %3").arg(lamp, now.time().toString(QStringLiteral("HH:mm:ss")), values));
        command_.notify(
            station_.record().AlarmCommand, AlarmNotice{lamp, change.raised, sample.forwardW, sample.reflectedW, now});
    }
    command_.tick();
}

void StationLog::onJobStarted(JobKind)
{
    comAtStart_ = station_.record().COMSelected;
    failure_.reset();
}

void StationLog::onLineFailed(const LinkFailure &failure, JobKind)
{
    failure_ = failure;
    const QString text = failure.message();
    heldMessages_.removeAll(text);
    linkDown(Link::PortFailed, text);
}

void StationLog::linkDown(Link why, const QString &text)
{
    if (link_ != Link::Up)
        return;
    link_ = why;
    record(EventKind::LinkLost, text);
}

void StationLog::linkUp(const QString &text)
{
    if (link_ == Link::Up)
        return;
    link_ = Link::Up;
    record(EventKind::LinkBack, text);
}

void StationLog::onJobEnded(JobKind kind, JobEnd::Outcome outcome)
{
    using Outcome = JobEnd::Outcome;
    const int n = station_.line().framesWritten();
    const QString name = uploadName(kind);
    const QString port = com();
    const bool request = kind == JobKind::StatusRequest || kind == JobKind::ReadBack;
    if (outcome == Outcome::Completed && request)
        linkUp(QStringLiteral("The transmitter on %1 answers again").arg(port));
    // Frames written show the port works; only a reply shows the transmitter does.
    const bool opens = kind == JobKind::PortOpen || kind == JobKind::Reconnect;
    if (outcome == Outcome::Completed && link_ == Link::PortFailed && usesLine(kind) && (n > 0 || opens))
        linkUp(QStringLiteral("%1 can be used again").arg(port));
    if (outcome == Outcome::NoReply)
        linkDown(Link::Silent, QStringLiteral("The transmitter on %1 does not answer").arg(port));

    switch (kind) {
    case JobKind::StatusRequest:
    case JobKind::PortOpen:
    case JobKind::Reconnect:
    case JobKind::LineSpeed:
    case JobKind::Setup:
    case JobKind::PortClose: return;
    case JobKind::ReadBack:
        if (outcome == Outcome::Completed)
            record(EventKind::ReadBack, QStringLiteral("RDS settings read back from %1").arg(port));
        else if (outcome == Outcome::NoReply)
            record(EventKind::ReadBack, QStringLiteral("RDS read-back on %1 got no reply").arg(port));
        else if (outcome == Outcome::Failed && failure_)
            record(
                EventKind::ReadBack, QStringLiteral("RDS read-back failed on %1: %2").arg(port, failure_->message()));
        return;
    default: break;
    }

    switch (outcome) {
    case Outcome::Completed:
        if (kind == JobKind::AutoPs) {
            record(EventKind::Title,
                QStringLiteral("Title on air: %1 (PS, %2 on %3)")
                    .arg(station_.autoUpdate().titleDisplay(), frames(n), port));
        } else if (kind == JobKind::AutoRt) {
            // The look at the RadioText file sends nothing when the line is unchanged.
            if (n > 0)
                record(EventKind::Title, QStringLiteral("RadioText on air: %1 (%2)").arg(station_.record().RT, port));
        } else if (kind == JobKind::ClockSync) {
            record(EventKind::ClockSync,
                QStringLiteral("Encoder clock set to %1 on %2")
                    .arg(station_.clock().now().toString(QStringLiteral("HH:mm:ss, yyyy-MM-dd")), port));
        } else {
            record(EventKind::Upload, QStringLiteral("%1 completed on %2 (%3)").arg(name, port, frames(n)));
        }
        return;
    case Outcome::Failed:
        record(EventKind::UploadFailed,
            QStringLiteral("%1 failed on %2: %3")
                .arg(name, port, failure_ ? failure_->message() : QStringLiteral("the port could not be used")));
        return;
    case Outcome::Stopped:
        record(EventKind::UploadFailed, QStringLiteral("%1 on %2 stopped by exit after %3").arg(name, port, frames(n)));
        return;
    case Outcome::Dropped:
        record(EventKind::UploadFailed, QStringLiteral("%1 was not sent: the program exited first").arg(name));
        return;
    case Outcome::NoReply: return;
    }
}

void StationLog::onMessage(const QString &text)
{
    heldMessages_ << text;
    messageTimer_.start();
}

void StationLog::recordMessages()
{
    const QStringList held = std::exchange(heldMessages_, {});
    for (const QString &text : held)
        record(EventKind::Message, text);
}

} // namespace zfm
