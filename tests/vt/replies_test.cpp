// The device's status reply as the program receives it over a real line: it
// follows the device state, and a wrong line speed gets no answer at all. The
// read-back is checked where the uploads are decoded.
#include "device_fixture.h"

#include "transmitter/frequency.h"
#include "transmitter/requests.h"

using namespace zfm;
using namespace zfm::test;

// The reply the program's parser was written against: it recognises the
// device by "Alarm" and takes exactly ten characters of "Freq".
TEST_F(DeviceOnLink, StatusReplyFollowsTheDeviceState)
{
    vt::Options o;
    o.status.alarmMask = 5;
    o.status.audioLevel = 22;
    start(o);
    WireScript s;
    s.open().frame(2, "FO", powerByte(25)).frame(2, "FF", frequencyPair(100000));
    s.append(statusRequestScript());
    ASSERT_EQ(run(withoutPauses(s)), LinkRunner::Outcome::Completed);
    ASSERT_TRUE(waitForFrames(3));
    ASSERT_TRUE(waitForReplies());
    EXPECT_EQ(received,
        "AlarmCode=05,Pfwd=12.5W,Pref=0.3W,Texc=31C,Tamp=40C,Iexc=0.2A,Iamp=1.8A,Uexc=12.0V,"
        "Uamp=27.5V,Uptime=0000D:00H:00M,Freq=100.000MHz,Firmware=2.1,PowerLimit=50W,Audio=F,$");
    EXPECT_EQ(state().counters.statusReplies, 1);
}

namespace {

// A classic device (9600 unless jumpered); the small family's speeds are
// drilled in the setup dialog's port search.
struct SpeedRow {
    const char *name;
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
    o.baud = row.deviceBaud;
    start(o, row.programLine);
    WireScript s;
    s.open().frame(2, "FO", powerByte(50)).frame(1, "FM", " ");
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
    ::testing::Values(SpeedRow{"at38400", 0, QStringLiteral("38400,N,8,1"), false},
        // A rate the platform sets in its own way (not one of the standard ones).
        SpeedRow{"jumperedTo14400", 14400, QStringLiteral("14400,N,8,1"), true}),
    [](const auto &info) { return std::string(info.param.name); });
