// The device's two replies as the program receives them over a real line:
// the status reply follows the device state, the read-back keeps the layout
// agreed with the program's parser and carries back what was sent, and a
// wrong line speed gets no answer at all.
#include "device_fixture.h"
#include "program_frames.h"
#include "read_back_layout.h"

#include "link/encodings.h"
#include "support/wait.h"
#include "transmitter/frequency.h"

#include <QMap>

using namespace zfm;
using namespace zfm::test;

namespace {

// The status reply's items by label; the order of labels as sent.
struct StatusItems {
    QMap<QByteArray, QByteArray> values;
    QList<QByteArray> labels;
};

StatusItems parseStatus(const QByteArray &reply)
{
    StatusItems s;
    for (const QByteArray &item : reply.chopped(1).split(',')) {
        if (item.isEmpty())
            continue;
        const qsizetype eq = item.indexOf('=');
        s.labels << item.left(eq);
        s.values.insert(item.left(eq), item.mid(eq + 1));
    }
    return s;
}

struct StatusRow {
    const char *name;
    int powerPercent;
    int frequencyKHz;
    int alarm;
    int audio;
    QByteArray pfwd, freq, alarmCode, audioChar;
};

class StatusReply : public DeviceOnLink, public ::testing::WithParamInterface<StatusRow> { };

} // namespace

TEST_P(StatusReply, FollowsTheDeviceState)
{
    const StatusRow &row = GetParam();
    vt::Options o;
    o.status.alarmMask = row.alarm;
    o.status.audioLevel = row.audio;
    start(o);
    WireScript s;
    s.open().frame(2, "FO", PowerByte(row.powerPercent)).frame(2, "FF", FrequencyPair(row.frequencyKHz));
    s.frame(1, "FM", " ");
    ASSERT_EQ(run(withoutPauses(s)), LinkRunner::Outcome::Completed);
    ASSERT_TRUE(waitForFrames(3));
    ASSERT_TRUE(waitForReplies());

    // The program recognises the device by these five characters.
    EXPECT_TRUE(received.startsWith("Alarm")) << received.constData();
    ASSERT_TRUE(received.endsWith(",$")) << received.constData();
    EXPECT_EQ(received.count('$'), 1);
    const StatusItems items = parseStatus(received);
    EXPECT_EQ(items.labels,
        (QList<QByteArray>{"AlarmCode", "Pfwd", "Pref", "Texc", "Tamp", "Iexc", "Iamp", "Uexc", "Uamp", "Uptime",
            "Freq", "Firmware", "PowerLimit", "Audio"}));
    EXPECT_EQ(items.values["Pfwd"], row.pfwd);
    EXPECT_EQ(items.values["Freq"], row.freq);
    EXPECT_EQ(items.values["Freq"].size(), 10); // the parser takes exactly ten characters
    EXPECT_EQ(items.values["AlarmCode"], row.alarmCode);
    EXPECT_EQ(items.values["Audio"], row.audioChar);
    EXPECT_EQ(state().counters.statusReplies, 1);
}

TEST_F(DeviceOnLink, StatusReplyOfTheExampleDevice)
{
    // The reply the program's parser was written against, item for item.
    start(vt::Options{});
    WireScript s;
    s.open().frame(2, "FO", PowerByte(25)).frame(1, "FM", " ");
    ASSERT_EQ(run(withoutPauses(s)), LinkRunner::Outcome::Completed);
    ASSERT_TRUE(waitForFrames(2));
    ASSERT_TRUE(waitForReplies());
    EXPECT_EQ(received,
        QByteArray("AlarmCode=05,Pfwd=12.5W,Pref=0.3W,Texc=31C,Tamp=40C,Iexc=0.2A,Iamp=1.8A,Uexc=12.0V,Uamp=27.5V,"
                   "Uptime=0000D:00H:00M,Freq=100.000MHz,Firmware=2.1,PowerLimit=50W,Audio=F,$"));
}

INSTANTIATE_TEST_SUITE_P(Rows, StatusReply,
    ::testing::Values(StatusRow{"full", 100, 108000, 0, 0, "50.0W", "108.000MHz", "00", "0"},
        StatusRow{"below100MHz", 32, 98500, 5, 22, "16.0W", " 98.500MHz", "05", "F"},
        StatusRow{"bandStart", 0, 87500, 31, 100, "0.0W", " 87.500MHz", "31", "\x94"},
        // Remote standby: the transmitter puts out nothing.
        StatusRow{"standby", 100, 103000, 37, 207, "0.0W", "103.000MHz", "37", "\xff"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(DeviceOnLink, ReadBackKeepsTheAgreedLayoutAndCarriesBackWhatWasSent)
{
    vt::Options o;
    o.baud = 38400; // a classic device jumpered to the read-back's speed
    start(o);
    SettingsRecord r = distinctRecord();
    // Texts that hold keys must not disturb a parser that skips text values.
    r.PS[3] = QStringLiteral("TA=1PTY=");
    r.RT = QStringLiteral("RT=\"MS=1 TP=1 DID0=0 PWR=0 00PD=9 ECC=");
    r.MG[2] = QStringLiteral("CCAC=999 PREF=999 0AF=999");
    WireScript s = classicFrames(r);
    s.frame(1, "X", {});
    ASSERT_EQ(run(withoutPauses(s)), LinkRunner::Outcome::Completed);
    ASSERT_TRUE(waitForFrames(static_cast<int>(s.bytes().count(kTerminator))));
    ASSERT_TRUE(waitForReplies());
    ASSERT_EQ(state().counters.malformed, 0);

    const ReadBackItems items = checkReadBack(received);
    EXPECT_TRUE(items.problems.isEmpty()) << items.problems.join(QLatin1Char('\n')).toStdString();
    for (int i = 0; i < kPsEntries; ++i) {
        EXPECT_EQ(items.pd[i], QByteArray::number(r.PSDelay[i])) << i;
        EXPECT_EQ(items.ps[i], Text(r.PS[i])) << i;
    }
    EXPECT_EQ(items.af[0], r.AFNum + 228);
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(items.af[n], r.AF[n] + 4) << n;
    EXPECT_EQ(items.pty, r.PTY);
    EXPECT_EQ(items.rt, Text(r.RT).leftJustified(64, ' '));
    for (int n = 0; n < kMessages; ++n)
        EXPECT_EQ(items.mg[n], Text(r.MG[n]).leftJustified(64, ' ')) << n;
    EXPECT_EQ(items.pwr, FlagText(r.RDSActive));
    EXPECT_EQ(items.ecc, r.ECC + 4);
    EXPECT_EQ(items.ccac, 16 * r.CountryCode + r.AreaCoverage);
    EXPECT_EQ(items.pref, r.ProgramReference);
    EXPECT_EQ(items.ta, r.TA);
    EXPECT_EQ(items.tp, r.TP);
    EXPECT_EQ(items.ms, r.MS);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(items.did[i], r.DId[i]) << i;
    EXPECT_EQ(state().counters.readBackReplies, 1);
}

namespace {

struct SpeedRow {
    const char *name;
    vt::Family family;
    int deviceBaud; // 0: the family's
    QString programLine;
    bool answered;
};

class LineSpeed : public DeviceOnLink, public ::testing::WithParamInterface<SpeedRow> { };

} // namespace

TEST_P(LineSpeed, OnlyTheDevicesOwnSpeedGetsAnAnswer)
{
    const SpeedRow &row = GetParam();
    vt::Options o;
    o.family = row.family;
    o.baud = row.deviceBaud;
    start(o, row.programLine);
    WireScript s;
    s.open().frame(2, "FO", PowerByte(50)).frame(1, "FM", " ");
    ASSERT_EQ(run(withoutPauses(s)), LinkRunner::Outcome::Completed);
    ASSERT_TRUE(waitForFrames(2));
    if (row.answered) {
        ASSERT_TRUE(waitForReplies());
        EXPECT_TRUE(received.startsWith("AlarmCode=")) << received.constData();
        EXPECT_EQ(state().counters.unansweredRequests, 0);
    } else {
        runFor(300);
        EXPECT_TRUE(received.isEmpty()) << received.constData();
        EXPECT_EQ(state().counters.unansweredRequests, 1);
        EXPECT_EQ(state().counters.wrongSpeedFrames, 2);
    }
    // Frames are taken whatever the speed; the counter tells the wrong ones.
    EXPECT_EQ(state().transmitter.powerPercent, 50);
}

INSTANTIATE_TEST_SUITE_P(Rows, LineSpeed,
    ::testing::Values(SpeedRow{"classicAt9600", vt::Family::Classic, 0, QStringLiteral("9600,N,8,1"), true},
        SpeedRow{"classicAt38400", vt::Family::Classic, 0, QStringLiteral("38400,N,8,1"), false},
        SpeedRow{"classicAt14400", vt::Family::Classic, 0, QStringLiteral("14400,N,8,1"), false},
        SpeedRow{"smallAt38400", vt::Family::Small, 0, QStringLiteral("38400,N,8,1"), true},
        SpeedRow{"smallAt9600", vt::Family::Small, 0, QStringLiteral("9600,N,8,1"), false},
        // A rate the platform sets in its own way (not one of the standard ones).
        SpeedRow{"jumperedTo14400", vt::Family::Classic, 14400, QStringLiteral("14400,N,8,1"), true}),
    [](const auto &info) { return std::string(info.param.name); });
