// Status and read-back against the virtual transmitter: the window shows what
// the transmitter holds, and every damaged reply ends in its message (or
// deliberately none) with the window idle.
#include "e2e/live_window.h"
#include "rds/rds_model.h"
#include "support/wait.h"

#include <QCheckBox>

using namespace zfm;
using namespace zfm::test;

using RepliesTest = LiveWindow;

namespace {

// A transmitter holding values that differ from the defaults.
vt::DeviceState unusualRds()
{
    vt::DeviceState s = vt::DeviceState::factory();
    for (int i = 0; i < vt::kPsCount; ++i) {
        s.rds.ps[i] = QStringLiteral("P%1 x").arg(i, 2, 10, QLatin1Char('0')).leftJustified(8).toLatin1();
        s.rds.psDelay[i] = (i * 7) % 10;
    }
    s.rds.ps[3] = "STATION "; // keys inside texts are text
    s.rds.pty = 24;
    s.rds.active = false;
    s.rds.countryCode = 14;
    s.rds.areaCoverage = 2;
    s.rds.programReference = 224;
    return s;
}

} // namespace

TEST_F(RepliesTest, ReadTxAndReadRdsShowWhatTheTransmitterHolds)
{
    vt::Options o;
    o.status.alarmMask = 5;
    auto &dev = useDevice(o);
    dev.setState(unusualRds());
    start();
    window->tabs()->setCurrentIndex(1);
    click("cmdReadTX");
    ASSERT_TRUE(runUntil([&] { return dev.state().counters.statusReplies == 1 && idle(); }, 5000));
    EXPECT_EQ(label("txtUnitFrequency"), QStringLiteral("100.000MHz"));
    EXPECT_EQ(label("txtOutputPower"), QStringLiteral("50.0W"));
    EXPECT_EQ(label("txtFWVersion"), QStringLiteral("2.1"));
    const std::pair<const char *, bool> lamps[]
        = {{"lblTAmpAlarm", true}, {"lblSwrAlarm", false}, {"lblTExcAlarm", true}, {"lblRemoteStandby", false}};
    for (const auto &[lamp, on] : lamps)
        EXPECT_EQ(find<QLabel>(lamp)->property("on").toBool(), on) << lamp;
    EXPECT_EQ(find<QWidget>("prgAudio")->toolTip(), QStringLiteral("22%"));
    ASSERT_TRUE(runUntil([&] { return find<QPushButton>("cmdReadTX")->isEnabled(); }, 3000));

    click("cmdReadRDS");
    ASSERT_TRUE(runUntil([&] { return !station().line().has(JobKind::ReadBack); }, 10000));
    EXPECT_TRUE(boxes.texts().isEmpty()) << shownBoxes();

    // The window shows what came back, and it is stored. (Each field's mapping
    // is pinned by the read-back's own tests, the texts by the test below.)
    EXPECT_EQ(label("lblPICode"), QStringLiteral("E2E0"));
    EXPECT_FALSE(find<QCheckBox>("chkRDSActive")->isChecked());
    EXPECT_EQ(stored(QStringLiteral("PS3")), QStringLiteral("STATION "));
}

// Texts may hold what the replies are made of: the program sends "$" and the
// status labels in a PS as they are, and a read-back whose PS, RadioText and
// messages hold them comes back whole, ended by its own "$" (no status decode,
// no wait for the watchdog and its message).
TEST_F(RepliesTest, TextsHoldingStatusLabelsAndDollarsComeBack)
{
    auto &dev = useDevice();
    start();
    SettingsRecord &r = station().record();
    r.PS[0] = QStringLiteral("CA$HPfwd");
    click("cmdSendSettings");
    ASSERT_TRUE(runUntil([&] { return idle() && find<QPushButton>("cmdSendSettings")->isEnabled(); }, 20000));
    EXPECT_EQ(dev.state().rds.ps[0], QByteArray("CA$HPfwd"));

    vt::DeviceState st = dev.state();
    st.rds.ps[42] = "$ Pfwd $";
    st.rds.rt = "AlarmCode=05,Pfwd=12.5W,Audio=F,$ Ke$ha - TiK ToK $";
    st.rds.mg[7] = "Pfwd=1W,$AlarmCode=05,$";
    dev.setState(st);
    for (QString *text : {&r.PS[0], &r.PS[42], &r.RT, &r.MG[7]})
        *text = QStringLiteral("before");
    boxes.clear();
    click("cmdReadRDS");
    ASSERT_TRUE(runUntil([&] { return !station().line().has(JobKind::ReadBack); }, 10000));
    EXPECT_TRUE(boxes.texts().isEmpty()) << shownBoxes();
    EXPECT_EQ(r.PS[0], QStringLiteral("CA$HPfwd"));
    EXPECT_EQ(r.PS[42], QStringLiteral("$ Pfwd $"));
    EXPECT_EQ(r.RT, padText(QString::fromLatin1(st.rds.rt)));
    EXPECT_EQ(r.MG[7], padText(QString::fromLatin1(st.rds.mg[7])));
    EXPECT_EQ(window->statusText(), QStringLiteral("Ready"));
}

// One window meets each damaged reply in turn; none of them takes a text.
// Last, replies that never end, with line noise in front, while the automatic
// read asks every second: no message from it, and the first whole reply
// afterwards shows.
TEST_F(RepliesTest, DamagedRepliesEndInTheirMessageWithTheWindowIdle)
{
    struct Row {
        const char *name;
        bool vt::Faults::*fault;
        bool readBack;
        QString message;
    };
    const QString status = QStringLiteral("Error receiving Status.");
    const QString rds = QStringLiteral("Error receiving RDS parameters.");
    const Row rows[] = {
        {"silent transmitter", &vt::Faults::silent, false, status},
        {"stalled read-back", &vt::Faults::stall, true, rds},
        {"bad delay", &vt::Faults::badDelay, true, QString()},
    };
    auto &dev = useDevice();
    const vt::DeviceState st = unusualRds();
    dev.setState(st);
    start();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        boxes.clear();
        vt::Faults f;
        f.*row.fault = true;
        dev.setFaults(f);
        click(row.readBack ? "cmdReadRDS" : "cmdReadTX");
        ASSERT_TRUE(runUntil([&] { return idle() && (row.message.isEmpty() || !boxes.texts().isEmpty()); }, 10000));
        runFor(row.message.isEmpty() ? 1500 : 200);
        EXPECT_EQ(boxes.texts(), row.message.isEmpty() ? QStringList{} : QStringList{row.message});
        EXPECT_TRUE(idle());
        expectButtons(true);
        const SettingsRecord &r = station().record();
        EXPECT_EQ(r.PS[3], QString(8, ' '));
        if (f.badDelay) {
            // Delays before entry 7 are taken; nothing else is.
            for (int i = 0; i < 7; ++i)
                EXPECT_EQ(r.PSDelay[i], st.rds.psDelay[i]) << i;
            EXPECT_EQ(r.PTY, 10);
        }
    }

    boxes.clear();
    vt::Faults endless;
    endless.noDollar = endless.garbage = true;
    dev.setFaults(endless);
    int statusShown = 0;
    QObject::connect(&station(), &Station::statusReplyReceived, [&] { ++statusShown; });
    click("chkAutoRead");
    const int replies = dev.state().counters.statusReplies;
    ASSERT_TRUE(runUntil([&] { return dev.state().counters.statusReplies >= replies + 3; }, 6000));
    EXPECT_EQ(statusShown, 0);
    dev.setFaults({});
    ASSERT_TRUE(runUntil([&] { return statusShown > 0; }, 4000));
    EXPECT_TRUE(boxes.texts().isEmpty()) << shownBoxes();
}
