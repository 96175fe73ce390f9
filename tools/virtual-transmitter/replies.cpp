#include "replies.h"

#include "transmitter/frequency.h"

namespace zfm::vt {

namespace {

constexpr int kAlarmRemoteStandby = 32;
constexpr int kAudioCharacterBase = 48;
constexpr int kAfCountCodeBase = 228; // "AF0" read-back value: count + 224 + 4
constexpr int kOffset = 4;

QByteArray oneDecimal(double v) { return QByteArray::number(v, 'f', 1); }

QByteArray digits(int value, int width) { return QByteArray::number(value).rightJustified(width, '0'); }

// A text padded with blanks (or cut) to exactly `length` bytes.
QByteArray padded(const QByteArray &text, int length) { return text.left(length).leftJustified(length, ' '); }

} // namespace

QByteArray unitFrequencyText(int kHz) { return frequencyText(kHz).toLatin1().rightJustified(10, ' ', true); }

QByteArray statusReply(const DeviceState &state, const StatusSettings &s, qint64 uptimeSeconds)
{
    const int mask = s.alarmMask & 63;
    const bool standby = mask & kAlarmRemoteStandby;
    const double forward = standby ? 0.0 : s.powerLimitW * state.transmitter.powerPercent / 100.0;
    const double reflected = forward * 0.024;
    const double ampCurrent = 0.1 + forward * 0.136;
    const qint64 minutes = uptimeSeconds / 60;

    QByteArray r;
    auto item = [&r](const char *label, const QByteArray &value) { r += label + value + ','; };
    item("AlarmCode=", digits(mask, 2));
    item("Pfwd=", oneDecimal(forward) + 'W');
    item("Pref=", oneDecimal(reflected) + 'W');
    item("Texc=", "31C");
    item("Tamp=", "40C");
    item("Iexc=", "0.2A");
    item("Iamp=", oneDecimal(ampCurrent) + 'A');
    item("Uexc=", "12.0V");
    item("Uamp=", "27.5V");
    item("Uptime=",
        digits(static_cast<int>(minutes / (24 * 60)), 4) + "D:" + digits(static_cast<int>(minutes / 60 % 24), 2)
            + "H:" + digits(static_cast<int>(minutes % 60), 2) + 'M');
    item("Freq=", unitFrequencyText(state.transmitter.frequencyKHz));
    item("Firmware=", s.firmware.toLatin1());
    item("PowerLimit=", QByteArray::number(s.powerLimitW) + 'W');
    item("Audio=", QByteArray(1, static_cast<char>(s.audioLevel + kAudioCharacterBase)));
    return r + '$';
}

QByteArray readBackReply(const DeviceState &state, bool badDelay)
{
    const RdsState &rds = state.rds;
    QByteArray r;
    r.reserve(kReadBackLength + 1);
    auto line = [&r](const QByteArray &item) { r += item + "\r\n"; };
    for (int i = 0; i < kPsCount; ++i)
        line(digits(i, 2) + "PD=" + (badDelay && i == 7 ? QByteArray("x") : QByteArray::number(rds.psDelay[i] % 10)));
    for (int i = 0; i < kPsCount; ++i)
        line(digits(i, 2) + "PS=\"" + padded(rds.ps[i], kPsLength) + '"');
    for (int n = 0; n <= kAfCount; ++n) {
        const int v = n == 0 ? rds.afCount + kAfCountCodeBase : rds.af[n] + kOffset;
        line(QByteArray::number(n) + "AF=" + digits(v, 3));
    }
    line("PTY=" + digits(rds.pty, 2));
    line("RT=\"" + padded(rds.rt, kRtLength) + '"');
    for (int n = 0; n < kMessageCount; ++n)
        line(QByteArray::number(n) + "MG=\"" + padded(rds.mg[n], kRtLength) + '"');
    line(QByteArray("PWR=") + (rds.active ? '1' : '0'));
    line("ECC=" + digits(rds.ecc + kOffset, 3));
    line("CCAC=" + digits(rds.countryCode * 16 + rds.areaCoverage, 3));
    line("PREF=" + digits(rds.programReference, 3));
    line("TA=" + QByteArray::number(rds.ta));
    line("TP=" + QByteArray::number(rds.tp));
    for (int i = 0; i < 4; ++i)
        line("DID" + QByteArray::number(i) + '=' + QByteArray::number(rds.did[i]));
    line("MS=" + QByteArray::number(rds.ms));
    return r + '$';
}

} // namespace zfm::vt
