#include "soak_watch.h"

#include "playout.h"

#include "link/status_reply.h"
#include "station/station.h"
#include "virtual_transmitter.h"

#include <QDateTime>

#include <cstdio>
#include <utility>

namespace {

// The automatic RadioText upload's step; "Send RT and PS" and "Send settings"
// show other percentages for their RT frame.
const QString kAutoRtStatus = QStringLiteral("Sending RT to RDS encoder... 50%");
constexpr int kFindingsPrinted = 20;

QString quoted(const QString &s) { return QLatin1Char('"') + s + QLatin1Char('"'); }

} // namespace

SoakWatch::SoakWatch(
    zfm::Station &station, zfm::vt::VirtualTransmitter &device, const zfm::drill::Playout &playout, QObject *parent)
    : QObject(parent), station_(station), device_(device), playout_(playout)
{
    clock_.start();
    connect(&station_.line(), &zfm::LineOwner::jobStarted, this, [this](zfm::JobKind kind) {
        beforeStart_ = atStart_;
        atStart_ = Snapshot{!playout_.rewriting(), playout_.titleOnFile(), playout_.lineOnFile(),
            station_.autoUpdate().titleDisplay(), station_.autoUpdate().rtBoxText(), kind};
        // The lists go by their jobs: an automatic one may send any entries, or none.
        if (kind == zfm::JobKind::AutoPs || kind == zfm::JobKind::SendRtAndPs)
            psBegins(kind == zfm::JobKind::AutoPs ? PsKind::Automatic : PsKind::SendRtAndPs);
    });
    connect(&station_.line(), &zfm::LineOwner::jobEnded, this, [this](zfm::JobKind kind, zfm::JobEnd::Outcome outcome) {
        if (kind != zfm::JobKind::AutoPs && kind != zfm::JobKind::SendRtAndPs)
            return;
        if (outcome == zfm::JobEnd::Outcome::Completed)
            psEnds();
        else
            psOpen_ = false; // cut short: the line's, not a finding
    });
    // The step shows before the frame's value goes out, so the next "RT" the
    // transmitter decodes is the automatic update's, whenever it gets to it.
    connect(&station_, &zfm::Station::statusChanged, this, [this](const QString &text) {
        if (text == kAutoRtStatus) {
            autoRtComing_ = true;
            autoRtExpected_ = atStart_;
        }
    });
    connect(&station_, &zfm::Station::statusReplyReceived, this, [this](const zfm::StatusReply &reply) {
        ++statusDecoded_;
        // The transmitter's fixed items tell a reply mixed with the rest of an earlier one.
        if (reply.firmware != QLatin1String("2.1") || reply.txModel != QLatin1String("50W")
            || reply.alarmCode != QLatin1String("05") || !reply.unitFrequency.endsWith(QLatin1String("MHz"))
            || reply.unitFrequency.size() != 10) {
            ++statusGarbled_;
            finding(QStringLiteral("status reply decoded with foreign values: firmware %1, model %2, alarm %3, "
                                   "frequency %4")
                        .arg(quoted(reply.firmware), quoted(reply.txModel), quoted(reply.alarmCode),
                            quoted(reply.unitFrequency)));
        }
    });
    connect(&device_, &zfm::vt::VirtualTransmitter::logged, this, &SoakWatch::onFrame);
}

void SoakWatch::finding(const QString &text)
{
    findings_ << text;
    if (findings_.size() <= kFindingsPrinted) {
        std::printf("  ! %6.1f min: %s\n", clock_.elapsed() / 60000.0, qPrintable(text));
        std::fflush(stdout);
    }
}

void SoakWatch::planScheme(qint64 key, int frequencyKHz, int power) { planned_[frequencyKHz] = Planned{key, power}; }

int SoakWatch::schemesDue(qint64 firstKey, qint64 lastKey) const
{
    int due = 0;
    for (const auto &[kHz, plan] : planned_)
        due += plan.key >= firstKey && plan.key <= lastKey ? 1 : 0;
    return due;
}

int SoakWatch::schemesApplied(qint64 firstKey, qint64 lastKey) const
{
    int applied = 0;
    for (const auto &[key, ms] : appliedAfterMs_)
        applied += key >= firstKey && key <= lastKey ? 1 : 0;
    return applied;
}

QStringList SoakWatch::schemesMissed(qint64 firstKey, qint64 lastKey) const
{
    QStringList missed;
    for (const auto &[kHz, plan] : planned_) {
        if (plan.key >= firstKey && plan.key <= lastKey && !appliedAfterMs_.count(plan.key))
            missed << QDateTime::fromSecsSinceEpoch(plan.key * 60, Qt::UTC).toString(QStringLiteral("hh:mm"));
    }
    return missed;
}

qint64 SoakWatch::latestSchemeMs() const
{
    qint64 latest = 0;
    for (const auto &[key, ms] : appliedAfterMs_)
        latest = std::max(latest, ms);
    return latest;
}

void SoakWatch::cutLine()
{
    cutting_ = true;
    device_.hangUp();
    cutting_ = false;
    if (psOpen_)
        ++psCutOff_;
    psOpen_ = autoRtComing_ = false;
    psCatchUp_ = rtCatchUp_ = true;
}

void SoakWatch::onFrame(const QString &logLine)
{
    if (cutting_)
        return;
    if (logLine.startsWith(QLatin1String("malformed"))) {
        finding(QStringLiteral("the transmitter rejected a frame: ") + logLine);
        return;
    }
    if (logLine.startsWith(QLatin1Char(' ')))
        return; // the transmitter's note about a reply
    const QString name = logLine.section(QLatin1Char(' '), 0, 0);
    if (name == QLatin1String("RT") && autoRtComing_) {
        autoRtComing_ = false;
        ++rtUploads_;
        const QByteArray onAir = device_.state().rds.rt;
        const Snapshot &at = autoRtExpected_;
        if (std::exchange(rtCatchUp_, false)) {
            if (onAir != at.rtBox.toLatin1()) {
                ++rtWrong_;
                finding(QStringLiteral("RadioText %1 went out after the line came back; the RT box held %2")
                            .arg(quoted(QString::fromLatin1(onAir)), quoted(at.rtBox)));
            }
        } else if (!at.fileComplete || onAir != at.fileLine.toLatin1()) {
            ++rtWrong_;
            finding(QStringLiteral("RadioText %1 went out while the file held %2")
                        .arg(quoted(QString::fromLatin1(onAir)),
                            at.fileComplete ? quoted(at.fileLine) : QStringLiteral("a partial line")));
        }
    } else if (name == QLatin1String("FW")) {
        const auto &t = device_.state().transmitter;
        const auto it = planned_.find(t.frequencyKHz);
        if (it == planned_.end()) {
            finding(QStringLiteral("a \"Send settings\" carried %1 kHz - no scheme had that").arg(t.frequencyKHz));
            return;
        }
        // The device receives the power as one byte: p * 44 / 100 + 4.
        if (t.powerByte != it->second.power * 44 / 100 + 4) {
            finding(QStringLiteral("the scheme of %1 kHz arrived with the power byte %2 instead of the one for %3 %")
                        .arg(t.frequencyKHz)
                        .arg(t.powerByte)
                        .arg(it->second.power));
            return;
        }
        const qint64 minuteStartMs = it->second.key * 60000;
        const qint64 sinceMs = QDateTime::currentMSecsSinceEpoch()
            + QDateTime::currentDateTime().offsetFromUtc() * qint64(1000) - minuteStartMs;
        appliedAfterMs_.emplace(it->second.key, sinceMs);
    }
}

void SoakWatch::psBegins(PsKind kind)
{
    if (psOpen_) {
        ++psCutOff_;
        finding(QStringLiteral("a PS upload began before the previous one ended"));
    }
    psOpen_ = true;
    psKind_ = kind;
    psAlsoExpected_.clear();
    if (psKind_ == PsKind::SendRtAndPs || (psKind_ == PsKind::Automatic && std::exchange(psCatchUp_, false))) {
        psExpected_ = atStart_.titleOnScreen;
        return;
    }
    // The RadioText may go first, on the same tick: the title is the one the
    // file held when that began.
    const bool rtFirst = beforeStart_.kind == zfm::JobKind::AutoRt;
    const Snapshot &at = rtFirst && beforeStart_.fileComplete ? beforeStart_ : atStart_;
    psExpected_ = at.fileComplete ? at.fileTitle : QString();
    if (rtFirst && atStart_.fileComplete)
        psAlsoExpected_ = atStart_.fileTitle;
    if (!at.fileComplete)
        finding(QStringLiteral("an automatic PS upload began while the title file was being rewritten"));
}

void SoakWatch::psEnds()
{
    if (!psOpen_)
        return;
    psOpen_ = false;
    const auto &ps = device_.state().rds.ps;
    const QStringList want = zfm::drill::Playout::psPieces(psExpected_);
    QStringList got;
    for (int i = 0; i < want.size(); ++i)
        got << QString::fromLatin1(ps[static_cast<size_t>(i)]);
    bool right = !psExpected_.isEmpty() && got == want;
    if (!right && !psAlsoExpected_.isEmpty() && got == zfm::drill::Playout::psPieces(psAlsoExpected_)) {
        right = true;
        psExpected_ = psAlsoExpected_;
    }
    if (psKind_ == PsKind::SendRtAndPs) {
        ++sendRtPsCompleted_;
        if (!right) {
            ++sendRtPsWrong_;
            finding(QStringLiteral("\"Send RT and PS\" delivered %1 while the window showed %2")
                        .arg(quoted(got.join(QString())), quoted(psExpected_)));
        }
        return;
    }
    ++psUploads_;
    if (right) {
        titlesUploaded_.insert(psExpected_);
        return;
    }
    ++psWrong_;
    finding(QStringLiteral("PS upload delivered %1 while the file held %2 when it began")
                .arg(quoted(got.join(QString())), quoted(psExpected_)));
}

bool SoakWatch::lastTitleOnAir() const
{
    const auto &rds = device_.state().rds;
    const QStringList want = zfm::drill::Playout::psPieces(playout_.lastTitle());
    for (int i = 0; i < want.size(); ++i) {
        if (QString::fromLatin1(rds.ps[static_cast<size_t>(i)]) != want[i])
            return false;
    }
    return rds.rt == playout_.lastLine().toLatin1();
}

QString SoakWatch::onAirText() const
{
    const auto &rds = device_.state().rds;
    QString ps;
    for (int i = 0; i < 8; ++i)
        ps += QString::fromLatin1(rds.ps[static_cast<size_t>(i)]);
    return QStringLiteral("PS %1, RT %2").arg(quoted(ps.trimmed()), quoted(QString::fromLatin1(rds.rt)));
}
