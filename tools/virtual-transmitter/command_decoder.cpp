#include "command_decoder.h"

#include "link/windows1252.h"
#include "transmitter/frequency.h"

#include <optional>

namespace zfm::vt {

namespace {

constexpr int kOffset = 4; // offsetByte adds 4 so a value never looks like a control byte
constexpr int kAfCountBase = 224; // RDS code for "this many AFs follow"
constexpr int kMaxPowerByte = 44 + kOffset;
constexpr char kCarriageReturn = 0x0D;

bool allDigits(const QByteArray &v)
{
    for (const char c : v) {
        if (c < '0' || c > '9')
            return false;
    }
    return !v.isEmpty();
}

// decimalText: digits, no sign.
std::optional<int> decimal(const QByteArray &v, int maxDigits)
{
    if (v.size() > maxDigits || !allDigits(v))
        return std::nullopt;
    return v.toInt();
}

// paddedDecimal2/3: exactly `digits` digits.
std::optional<int> padded(const QByteArray &v, int digits)
{
    if (v.size() != digits || !allDigits(v))
        return std::nullopt;
    return v.toInt();
}

std::optional<int> offsetByte(const QByteArray &v, int lo = 0, int hi = 251)
{
    if (v.size() != 1)
        return std::nullopt;
    const int value = static_cast<unsigned char>(v[0]) - kOffset;
    if (value < lo || value > hi)
        return std::nullopt;
    return value;
}

std::optional<int> flag(const QByteArray &v)
{
    if (v != "0" && v != "1")
        return std::nullopt;
    return v.toInt();
}

QByteArray withoutTrailingReturns(QByteArray v)
{
    while (v.endsWith(kCarriageReturn))
        v.chop(1);
    return v;
}

// Two decimal digits after a fixed prefix, such as "PS07"; -1 when not.
int numberAfter(const QByteArray &name, const QByteArray &prefix, int digits)
{
    if (!name.startsWith(prefix) || name.size() != prefix.size() + digits)
        return -1;
    const QByteArray number = name.mid(prefix.size());
    return allDigits(number) ? number.toInt() : -1;
}

Decoded ok(const QByteArray &name, const QString &what, Request request = Request::None)
{
    return Decoded{true, QString::fromLatin1(name) + QLatin1Char(' ') + what, request};
}

Decoded refused(const RawFrame &f, const QString &why)
{
    return Decoded{false,
        QStringLiteral("%1: %2 (value %3)")
            .arg(QString::fromLatin1(f.name), why,
                f.value.isEmpty() ? QStringLiteral("empty") : QString::fromLatin1(f.value.toHex(' '))),
        Request::None};
}

QString afText(int code)
{
    if (code == 0)
        return QStringLiteral("empty");
    if (code > 204)
        return QStringLiteral("code %1").arg(code);
    return QStringLiteral("%1 MHz (code %2)").arg(QString::number(87.5 + code / 10.0, 'f', 1)).arg(code);
}

// The transmitter settings that are one list position sent as an offset byte.
struct ListSetting {
    const char *name;
    int TransmitterState::*field;
    const char *label;
};

constexpr ListSetting kListSettings[] = {
    {"FDE", &TransmitterState::audioInput, "audio input"},
    {"FDB", &TransmitterState::comLim, "compressor/limiter"},
    {"FDK", &TransmitterState::comLim, "compressor/limiter"},
    {"FDA", &TransmitterState::attack, "attack"},
    {"FDD", &TransmitterState::decay, "decay"},
    {"FDH", &TransmitterState::threshold, "threshold"},
    {"FDC", &TransmitterState::compression, "compression"},
    {"FDI", &TransmitterState::integration, "integration"},
    {"FDGL", &TransmitterState::inputGain, "input gain"},
    {"FDG", &TransmitterState::inputGain, "input gain"},
    {"FDGR", &TransmitterState::inputMute, "input mute"},
    {"FDM", &TransmitterState::inputMute, "input mute"},
    {"FDX", &TransmitterState::rdsPilot, "RDS pilot level"},
    {"FDY", &TransmitterState::mpxDev, "MPX deviation"},
    {"FAT", &TransmitterState::tempAlarm, "temperature alarm"},
    {"FAS", &TransmitterState::swrAlarm, "SWR alarm"},
    {"FAU", &TransmitterState::uampAlarm, "Uamp alarm"},
    {"FAC", &TransmitterState::iampAlarm, "Iamp alarm"},
};

// The RDS switches sent as "0" or "1".
struct FlagSetting {
    const char *name;
    int RdsState::*field;
};

constexpr FlagSetting kFlagSettings[] = {
    {"TP", &RdsState::tp},
    {"TA", &RdsState::ta},
    {"MS", &RdsState::ms},
    {"GCT", &RdsState::gct},
    {"GRT", &RdsState::grt},
    {"GEON", &RdsState::geon},
};

// Commands whose value is a store or request marker.
Decoded marker(const RawFrame &f, const QByteArray &expected, const QString &what, Request request)
{
    if (f.value != expected)
        return refused(f, QStringLiteral("unexpected value"));
    return ok(f.name, what, request);
}

Decoded applyIndexed(DeviceState &s, const RawFrame &f, bool &matched)
{
    matched = true;
    const QByteArray &v = f.value;
    RdsState &r = s.rds;
    if (const int i = numberAfter(f.name, "PS", 2); i >= 0) {
        if (v.size() > kPsLength)
            return refused(f, QStringLiteral("PS longer than 8 characters"));
        r.ps[i] = v;
        return ok(f.name, quotedText(v));
    }
    if (const int i = numberAfter(f.name, "PD", 2); i >= 0) {
        const auto d = decimal(v, 1);
        if (!d)
            return refused(f, QStringLiteral("delay is not one digit"));
        r.psDelay[i] = *d;
        return ok(f.name, QString::number(*d));
    }
    if (const int i = numberAfter(f.name, "MG", 1); i >= 0 && i < kMessageCount) {
        if (v.size() > kRtLength)
            return refused(f, QStringLiteral("message longer than 64 characters"));
        r.mg[i] = withoutTrailingReturns(v);
        return ok(f.name, quotedText(r.mg[i]));
    }
    if (const int i = numberAfter(f.name, "Did", 1); i >= 0 && i < 4) {
        const auto b = flag(v);
        if (!b)
            return refused(f, QStringLiteral("not 0 or 1"));
        r.did[i] = *b;
        return ok(f.name, QString::number(*b));
    }
    if (f.name == "AF0") {
        const auto code = offsetByte(v, kAfCountBase, kAfCountBase + kAfCount);
        if (!code)
            return refused(f, QStringLiteral("not an AF count code"));
        r.afCount = *code - kAfCountBase;
        return ok(f.name, QStringLiteral("%1 AF").arg(r.afCount));
    }
    if (const int i = numberAfter(f.name, "AF", 1); i >= 1 && i <= kAfCount) {
        const auto code = offsetByte(v, 0, 204);
        if (!code)
            return refused(f, QStringLiteral("not an AF code"));
        r.af[i] = *code;
        return ok(f.name, afText(*code));
    }
    matched = false;
    return {};
}

Decoded applyRds(DeviceState &s, const RawFrame &f, bool &matched)
{
    matched = true;
    const QByteArray &v = f.value;
    RdsState &r = s.rds;
    for (const FlagSetting &fs : kFlagSettings) {
        if (f.name != fs.name)
            continue;
        const auto b = flag(v);
        if (!b)
            return refused(f, QStringLiteral("not 0 or 1"));
        r.*fs.field = *b;
        return ok(f.name, QString::number(*b));
    }
    if (f.name == "PWR") {
        const auto b = flag(v);
        if (!b)
            return refused(f, QStringLiteral("not 0 or 1"));
        r.active = *b == 1;
        return ok(f.name, r.active ? QStringLiteral("on") : QStringLiteral("off"));
    }
    if (f.name == "CCAC") {
        const auto n = padded(v, 3);
        if (!n || *n > 255)
            return refused(f, QStringLiteral("not three digits 000 to 255"));
        r.countryCode = *n / 16;
        r.areaCoverage = *n % 16;
        return ok(f.name,
            QStringLiteral("%1 (country %2, area %3)")
                .arg(QString::fromLatin1(v))
                .arg(r.countryCode)
                .arg(r.areaCoverage));
    }
    if (f.name == "PREF") {
        const auto n = padded(v, 3);
        if (!n || *n > 255)
            return refused(f, QStringLiteral("not three digits 000 to 255"));
        r.programReference = *n;
        return ok(f.name, QString::fromLatin1(v));
    }
    if (f.name == "PTY") {
        const auto n = padded(v, 2);
        if (!n || *n > 31)
            return refused(f, QStringLiteral("not two digits 00 to 31"));
        r.pty = *n;
        return ok(f.name, QString::fromLatin1(v));
    }
    if (f.name == "D0D3") {
        const auto bits = offsetByte(v, 0, 15);
        if (!bits)
            return refused(f, QStringLiteral("not four decoder bits"));
        for (int i = 0; i < 4; ++i)
            r.did[i] = (*bits >> i) & 1;
        return ok(f.name, QString::number(*bits));
    }
    if (f.name == "ECC") {
        const auto n = offsetByte(v, 1, 20);
        if (!n)
            return refused(f, QStringLiteral("not an ECC list number 1 to 20"));
        r.ecc = *n;
        return ok(f.name, QString::number(*n));
    }
    if (f.name == "RT") {
        if (v.size() > kRtLength)
            return refused(f, QStringLiteral("RadioText longer than 64 characters"));
        r.rt = withoutTrailingReturns(v);
        return ok(f.name, quotedText(r.rt));
    }
    if (f.name == "PS") {
        if (v.size() > kPsLength)
            return refused(f, QStringLiteral("PS longer than 8 characters"));
        r.ps[0] = v;
        return ok(f.name, quotedText(v));
    }
    if (f.name == "TIME" || f.name == "DATE") {
        const bool time = f.name == "TIME";
        if (v.size() != 3)
            return refused(f, QStringLiteral("not three clock bytes"));
        const int a = static_cast<unsigned char>(v[0]) - kOffset;
        const int b = static_cast<unsigned char>(v[1]) - kOffset;
        const int c = static_cast<unsigned char>(v[2]) - kOffset;
        ClockState &clock = s.clock;
        if (time) {
            if (a < 0 || a > 23 || b < 0 || b > 59 || c < 0 || c > 59)
                return refused(f, QStringLiteral("not a time of day"));
            clock.timeSet = true;
            clock.hour = a;
            clock.minute = b;
            clock.second = c;
            return ok(f.name,
                QStringLiteral("%1:%2:%3")
                    .arg(a, 2, 10, QLatin1Char('0'))
                    .arg(b, 2, 10, QLatin1Char('0'))
                    .arg(c, 2, 10, QLatin1Char('0')));
        }
        if (a < 0 || b < 1 || b > 12 || c < 1 || c > 31)
            return refused(f, QStringLiteral("not a date"));
        clock.dateSet = true;
        clock.year = 2004 + a;
        clock.month = b;
        clock.day = c;
        return ok(f.name,
            QStringLiteral("%1-%2-%3").arg(clock.year).arg(b, 2, 10, QLatin1Char('0')).arg(c, 2, 10, QLatin1Char('0')));
    }
    if (f.name == "SAVE")
        return marker(f, "0", QStringLiteral("store RDS settings"), Request::None);
    if (f.name == "FM")
        return marker(f, " ", QStringLiteral("status request"), Request::Status);
    if (f.name == "X")
        return marker(f, {}, QStringLiteral("read-back request"), Request::ReadBack);
    matched = false;
    return {};
}

Decoded applyTransmitter(DeviceState &s, Family family, const RawFrame &f, bool &matched)
{
    matched = true;
    const QByteArray &v = f.value;
    TransmitterState &t = s.transmitter;
    for (const ListSetting &ls : kListSettings) {
        if (f.name != ls.name)
            continue;
        const auto n = offsetByte(v);
        if (!n)
            return refused(f, QStringLiteral("not an offset byte"));
        t.*ls.field = *n;
        return ok(f.name, QStringLiteral("%1 %2").arg(QLatin1String(ls.label)).arg(*n));
    }
    if (f.name == "FDP") {
        const auto n = family == Family::Small ? offsetByte(v) : decimal(v, 3);
        if (!n)
            return refused(
                f, family == Family::Small ? QStringLiteral("not an offset byte") : QStringLiteral("not decimal text"));
        t.pilot = *n;
        return ok(f.name, QStringLiteral("19 kHz pilot %1").arg(*n));
    }
    if (f.name == "FDR") {
        const auto n = decimal(v, 3);
        if (!n)
            return refused(f, QStringLiteral("not decimal text"));
        t.preemphasis = *n;
        return ok(f.name, QStringLiteral("pre-emphasis %1").arg(*n));
    }
    if (f.name == "FS") {
        const auto b = flag(v);
        if (!b)
            return refused(f, QStringLiteral("not 0 or 1"));
        t.stereo = *b;
        return ok(f.name, *b ? QStringLiteral("stereo") : QStringLiteral("mono"));
    }
    if (f.name == "FO") {
        const auto b = offsetByte(v, 0, kMaxPowerByte - kOffset);
        if (!b)
            return refused(f, QStringLiteral("not a power byte"));
        t.powerByte = *b + kOffset;
        // The smallest percentage that gives this byte.
        t.powerPercent = (*b * 100 + 43) / 44;
        return ok(f.name, QStringLiteral("%1% (byte %2)").arg(t.powerPercent).arg(t.powerByte));
    }
    if (f.name == "FF") {
        if (v.size() != 2)
            return refused(f, QStringLiteral("not a frequency pair"));
        const int low = static_cast<unsigned char>(v[0]) - kOffset;
        const int high = static_cast<unsigned char>(v[1]) - kOffset;
        if (low < 0 || low > 127 || high < 0)
            return refused(f, QStringLiteral("not a frequency pair"));
        t.frequencyKHz = (high * 128 + low) * 5;
        const QString mhz = frequencyText(t.frequencyKHz);
        return ok(f.name, mhz.left(mhz.size() - 3) + QStringLiteral(" MHz"));
    }
    if (f.name == "FW")
        return marker(f, "0", QStringLiteral("store transmitter settings"), Request::None);
    matched = false;
    return {};
}

} // namespace

QString quotedText(const QByteArray &bytes)
{
    QString out = QStringLiteral("\"");
    const QString text = fromWindows1252(bytes);
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

Decoded applyFrame(DeviceState &state, Family family, const RawFrame &frame)
{
    bool matched = false;
    Decoded d = applyTransmitter(state, family, frame, matched);
    if (!matched)
        d = applyRds(state, frame, matched);
    if (!matched)
        d = applyIndexed(state, frame, matched);
    if (!matched)
        return refused(frame, QStringLiteral("unknown command"));
    return d;
}

} // namespace zfm::vt
