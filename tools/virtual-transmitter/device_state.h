#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <deque>
#include <map>

namespace zfm::vt {

// Which upload sequence the device belongs to. The wire cannot tell: "FDP"
// carries decimal text from the classic family and an offset byte from the
// small one.
enum class Family { Classic, Small };

QString familyName(Family family);
// The family's line speed: classic 9600, small 38400.
int familyBaud(Family family);

// The transmitter's settings as the device holds them. List positions are
// kept as received; frequency in kHz, power in percent.
struct TransmitterState {
    int frequencyKHz = 100000;
    int powerPercent = 100;
    int powerByte = 48; // as received, (p * 44) div 100 + 4
    int pilot = 4;
    int preemphasis = 1;
    int stereo = 0;
    int audioInput = 0;
    int comLim = 3;
    int attack = 0;
    int decay = 5;
    int threshold = 10;
    int compression = 8;
    int integration = 3;
    int inputGain = 0;
    int inputMute = 0;
    int rdsPilot = 6;
    int mpxDev = 10;
    int tempAlarm = 5;
    int swrAlarm = 6;
    int uampAlarm = 18;
    int iampAlarm = 28;
};

inline constexpr int kPsCount = 100;
inline constexpr int kMessageCount = 8;
inline constexpr int kAfCount = 7;
inline constexpr int kPsLength = 8;
inline constexpr int kRtLength = 64;

// The RDS encoder's settings. Texts are the bytes the device received
// (Windows-1252), without the carriage returns that only pad them.
struct RdsState {
    bool active = true;
    int countryCode = 3;
    int areaCoverage = 1;
    int programReference = 128;
    int pty = 10;
    int tp = 0;
    int ta = 0;
    int ms = 0;
    std::array<int, 4> did{1, 1, 1, 1};
    int afCount = 1; // from "AF0": its code minus 224
    std::array<int, kAfCount + 1> af{0, 125, 0, 0, 0, 0, 0, 0}; // af[1..7]; af[0] unused
    int ecc = 3; // list number 1..20
    int gct = 0;
    int grt = 0;
    int geon = 0;
    QByteArray rt;
    std::array<QByteArray, kPsCount> ps;
    std::array<int, kPsCount> psDelay{};
    std::array<QByteArray, kMessageCount> mg;
};

// The encoder's clock as last set; unset until "TIME" / "DATE" arrive.
struct ClockState {
    bool timeSet = false;
    int hour = 0, minute = 0, second = 0;
    bool dateSet = false;
    int year = 0, month = 0, day = 0;
};

struct Counters {
    std::map<QByteArray, int> frames; // well-formed frames by command name
    int total = 0; // well-formed frames
    int malformed = 0;
    int wrongSpeedFrames = 0; // frames that arrived while the line ran at another speed
    int statusReplies = 0;
    int readBackReplies = 0;
    int unansweredRequests = 0; // requests heard at a wrong speed or while silent

    // Well-formed frames of one command ("FW", "PS07").
    int framesNamed(const QByteArray &name) const;
};

struct LogEntry {
    qint64 atMs = 0; // since the device started
    QString text;
    bool malformed = false;
    int baud = 0; // the line speed the program had set when it arrived
};

struct DeviceState {
    TransmitterState transmitter;
    RdsState rds;
    ClockState clock;
    Counters counters;
    std::deque<LogEntry> log; // the most recent entries only
    static constexpr size_t kLogLimit = 300; // a whole "Send RT and PS" upload

    // A device fresh from the factory: the program's own defaults.
    static DeviceState factory();
    void addLog(LogEntry entry);
};

} // namespace zfm::vt
