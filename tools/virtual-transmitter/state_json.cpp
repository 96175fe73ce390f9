#include "state_json.h"

#include "link/windows1252.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>

namespace zfm::vt {

namespace {

QString text(const QByteArray &bytes) { return fromWindows1252(bytes); }

QJsonObject transmitterJson(const TransmitterState &t)
{
    return QJsonObject{
        {"frequencyKHz", t.frequencyKHz},
        {"powerPercent", t.powerPercent},
        {"powerByte", t.powerByte},
        {"pilot", t.pilot},
        {"preemphasis", t.preemphasis},
        {"stereo", t.stereo},
        {"audioInput", t.audioInput},
        {"comLim", t.comLim},
        {"attack", t.attack},
        {"decay", t.decay},
        {"threshold", t.threshold},
        {"compression", t.compression},
        {"integration", t.integration},
        {"inputGain", t.inputGain},
        {"inputMute", t.inputMute},
        {"rdsPilot", t.rdsPilot},
        {"mpxDev", t.mpxDev},
        {"tempAlarm", t.tempAlarm},
        {"swrAlarm", t.swrAlarm},
        {"uampAlarm", t.uampAlarm},
        {"iampAlarm", t.iampAlarm},
    };
}

QJsonObject rdsJson(const RdsState &r)
{
    QJsonArray did, af, ps, delays, mg;
    for (const int d : r.did)
        did.append(d);
    for (int i = 1; i <= kAfCount; ++i)
        af.append(r.af[i]);
    for (int i = 0; i < kPsCount; ++i) {
        ps.append(text(r.ps[i]));
        delays.append(r.psDelay[i]);
    }
    for (const QByteArray &m : r.mg)
        mg.append(text(m));
    return QJsonObject{
        {"active", r.active},
        {"countryCode", r.countryCode},
        {"areaCoverage", r.areaCoverage},
        {"programReference", r.programReference},
        {"pi", QString::asprintf("%X%X%02X", r.countryCode, r.areaCoverage, r.programReference)},
        {"pty", r.pty},
        {"tp", r.tp},
        {"ta", r.ta},
        {"ms", r.ms},
        {"did", did},
        {"afCount", r.afCount},
        {"af", af},
        {"ecc", r.ecc},
        {"gct", r.gct},
        {"grt", r.grt},
        {"geon", r.geon},
        {"rt", text(r.rt)},
        {"ps", ps},
        {"psDelay", delays},
        {"mg", mg},
    };
}

QJsonValue clockJson(const ClockState &c)
{
    QJsonObject o;
    o.insert(
        "time", c.timeSet ? QJsonValue(QString::asprintf("%02d:%02d:%02d", c.hour, c.minute, c.second)) : QJsonValue());
    o.insert(
        "date", c.dateSet ? QJsonValue(QString::asprintf("%04d-%02d-%02d", c.year, c.month, c.day)) : QJsonValue());
    return o;
}

QJsonObject countersJson(const Counters &c)
{
    QJsonObject frames;
    for (const auto &[name, count] : c.frames)
        frames.insert(QString::fromLatin1(name), count);
    return QJsonObject{
        {"frames", frames},
        {"total", c.total},
        {"malformed", c.malformed},
        {"wrongSpeedFrames", c.wrongSpeedFrames},
        {"statusReplies", c.statusReplies},
        {"readBackReplies", c.readBackReplies},
        {"unansweredRequests", c.unansweredRequests},
    };
}

QJsonArray logJson(const std::deque<LogEntry> &log)
{
    QJsonArray a;
    for (const LogEntry &e : log)
        a.append(QJsonObject{{"atMs", e.atMs}, {"text", e.text}, {"malformed", e.malformed}, {"baud", e.baud}});
    return a;
}

} // namespace

QJsonObject stateJson(const DeviceState &s, const DeviceInfo &info)
{
    return QJsonObject{
        {"device",
            QJsonObject{{"family", familyName(info.family)}, {"baud", info.baud}, {"path", info.path},
                {"hungUp", info.hungUp}}},
        {"transmitter", transmitterJson(s.transmitter)},
        {"rds", rdsJson(s.rds)},
        {"clock", clockJson(s.clock)},
        {"counters", countersJson(s.counters)},
        {"log", logJson(s.log)},
    };
}

bool writeJsonFile(const QString &path, const QJsonObject &json)
{
    const QString temporary = path + QStringLiteral(".tmp");
    QFile f(temporary);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = QJsonDocument(json).toJson(QJsonDocument::Indented);
    if (f.write(bytes) != bytes.size()) {
        f.remove();
        return false;
    }
    f.close();
    return std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) == 0;
}

} // namespace zfm::vt
