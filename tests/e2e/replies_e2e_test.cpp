// Status and read-back against the virtual transmitter: the window shows what
// the transmitter holds, and every fault ends in its message with the window idle.
#include "app/alarms_page.h"
#include "rds/rds_model.h"
#include "support/wait.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QPushButton>

using namespace zfm;
using namespace zfm::test;

namespace {

class RepliesTest : public WindowTest {
protected:
    QString box(const char *name) { return find<QLabel>(name)->text(); }
    bool idle()
    {
        return !window->station().ReadBackBusy && !window->station().StatusRequestPending
            && !window->station().runner().isBusy();
    }
    bool lamp(const char *name) { return find<QLabel>(name)->property("on").toBool(); }
};

// A transmitter holding values that differ from every default.
vt::DeviceState unusualRds()
{
    vt::DeviceState s = vt::DeviceState::factory();
    for (int i = 0; i < vt::kPsCount; ++i) {
        s.rds.ps[i] = QStringLiteral("P%1 x").arg(i, 2, 10, QLatin1Char('0')).leftJustified(8).toLatin1();
        s.rds.psDelay[i] = (i * 7) % 10;
    }
    s.rds.ps[3] = "STATION "; // keys inside texts are text
    s.rds.rt = "Traffic TA TP MS PWR=0 ECC=999 RT news - Ke$ha";
    for (int m = 0; m < vt::kMessageCount; ++m)
        s.rds.mg[m] = QStringLiteral("Message %1 for the MG input").arg(m).toLatin1();
    s.rds.af = {0, 101, 102, 103, 0, 0, 0, 0};
    s.rds.afCount = 3;
    s.rds.pty = 24;
    s.rds.active = false;
    s.rds.ecc = 17;
    s.rds.countryCode = 14;
    s.rds.areaCoverage = 2;
    s.rds.programReference = 224;
    s.rds.ta = 1;
    s.rds.tp = 1;
    s.rds.did = {0, 1, 0, 1};
    s.rds.ms = 1;
    return s;
}

} // namespace

TEST_F(RepliesTest, ReadTxFillsThePageFromTheTransmitter)
{
    vt::Options o;
    o.status.alarmMask = 5;
    auto &dev = useDevice(o);
    start();
    window->tabs()->setCurrentIndex(1);
    click("cmdReadTX");
    EXPECT_FALSE(find<QPushButton>("cmdReadTX")->isEnabled());
    ASSERT_TRUE(runUntil([&] { return dev.state().counters.statusReplies == 1 && idle(); }, 5000));
    EXPECT_EQ(box("txtUnitFrequency"), QStringLiteral("100.000MHz"));
    EXPECT_EQ(box("txtOutputPower"), QStringLiteral("50.0W"));
    EXPECT_EQ(find<QLabel>("txtFWVersion")->text(), QStringLiteral("2.1"));
    EXPECT_TRUE(lamp("lblTAmpAlarm"));
    EXPECT_FALSE(lamp("lblSwrAlarm"));
    EXPECT_TRUE(lamp("lblTExcAlarm"));
    EXPECT_FALSE(lamp("lblRemoteStandby"));
    EXPECT_EQ(find<QWidget>("prgAudio")->toolTip(), QStringLiteral("22%"));
    EXPECT_TRUE(runUntil([&] { return find<QPushButton>("cmdReadTX")->isEnabled(); }, 3000));
    EXPECT_EQ(window->statusText(), QStringLiteral("Ready"));
    EXPECT_TRUE(boxes.texts().isEmpty());
}

TEST_F(RepliesTest, AutoReadAsksEverySecondAndHoldsBackDuringAReadBack)
{
    vt::Options o;
    o.faults.slow = true; // a read-back that takes a few seconds
    o.faults.gapMs = 300;
    o.faults.gapEvery = 400;
    auto &dev = useDevice(o);
    store(QStringLiteral("AutoRead"), QStringLiteral("True"));
    start();
    EXPECT_FALSE(find<QPushButton>("cmdReadTX")->isEnabled());
    ASSERT_TRUE(runUntil([&] { return dev.state().counters.statusReplies >= 3; }, 6000));
    click("cmdReadRDS");
    ASSERT_TRUE(runUntil([&] { return window->station().ReadBackBusy; }, 3000));
    const int before = dev.state().counters.frames.count("FM") ? dev.state().counters.frames.at("FM") : 0;
    ASSERT_TRUE(runUntil([&] { return !window->station().ReadBackBusy; }, 15000));
    const int after = dev.state().counters.frames.at("FM");
    EXPECT_LE(after - before, 1) << "status requests during the read-back";
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
    ASSERT_TRUE(runUntil([&] { return dev.state().counters.frames.at("FM") >= after + 2; }, 4000));
}

TEST_F(RepliesTest, ReadRdsBringsTheRecordInLineWithTheTransmitter)
{
    auto &dev = useDevice();
    dev.setState(unusualRds());
    store(QStringLiteral("RTSwitch"), QStringLiteral("1"));
    store(QStringLiteral("AutoRTPath"), QStringLiteral("/nonexistent/for/this/test.txt"));
    start();
    Station &s = window->station();
    s.autoUpdate().setRtUpdate(true);
    click("cmdReadRDS");
    for (const char *b : {"cmdReadRDS", "cmdSendSettings", "cmdSendRTPS", "cmdReadTX"})
        EXPECT_FALSE(find<QPushButton>(b)->isEnabled()) << b;
    EXPECT_EQ(s.record().RTSwitch, 0);
    ASSERT_TRUE(runUntil([&] { return !s.ReadBackBusy; }, 10000));
    EXPECT_EQ(s.record().RTSwitch, 1);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();

    const vt::DeviceState want = unusualRds();
    const SettingsRecord &r = s.record();
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(r.PS[i], QString::fromLatin1(want.rds.ps[i])) << i;
        EXPECT_EQ(r.PSDelay[i], want.rds.psDelay[i]) << i;
    }
    // Texts arrive padded to their box's 64 characters.
    EXPECT_EQ(r.RT, padText(QString::fromLatin1(want.rds.rt)));
    for (int m = 0; m < 8; ++m)
        EXPECT_EQ(r.MG[m], padText(QString::fromLatin1(want.rds.mg[m]))) << m;
    EXPECT_EQ(r.AF, (std::array<int16_t, 8>{0, 101, 102, 103, 0, 0, 0, 0}));
    EXPECT_EQ(r.AFNum, 3);
    EXPECT_EQ(r.PTY, 24);
    EXPECT_FALSE(r.RDSActive);
    EXPECT_EQ(r.ECC, 17);
    EXPECT_EQ(r.CountryCode, 14);
    EXPECT_EQ(r.AreaCoverage, 2);
    EXPECT_EQ(r.ProgramReference, 224);
    EXPECT_EQ(r.TA, 1);
    EXPECT_EQ(r.TP, 1);
    EXPECT_EQ(r.DId, (std::array<int16_t, 4>{0, 1, 0, 1}));
    EXPECT_EQ(r.MS, 1);
    // The window shows it, and it is stored.
    EXPECT_EQ(find<QLabel>("lblPICode")->text(), QStringLiteral("E2E0"));
    EXPECT_FALSE(find<QCheckBox>("chkRDSActive")->isChecked());
    EXPECT_EQ(stored(QStringLiteral("PS3")), QStringLiteral("STATION "));
    EXPECT_EQ(window->statusText(), QStringLiteral("Ready"));
    EXPECT_TRUE(find<QPushButton>("cmdReadRDS")->isEnabled());
}

TEST_F(RepliesTest, FaultsEndInTheirMessageWithTheWindowIdle)
{
    struct Row {
        const char *name;
        vt::Faults faults;
        bool readBack;
        QString message;
    };
    auto fault = [](auto set) {
        vt::Faults f;
        set(f);
        return f;
    };
    const Row rows[] = {
        {"silent status", fault([](vt::Faults &f) { f.silent = true; }), false,
            QStringLiteral("Error receiving Status.")},
        {"status without $", fault([](vt::Faults &f) { f.noDollar = true; }), false,
            QStringLiteral("Error receiving Status.")},
        {"silent read-back", fault([](vt::Faults &f) { f.silent = true; }), true,
            QStringLiteral("Error receiving RDS parameters.")},
        {"stalled read-back", fault([](vt::Faults &f) { f.stall = true; }), true,
            QStringLiteral("Error receiving RDS parameters.")},
        {"read-back without $", fault([](vt::Faults &f) { f.noDollar = true; }), true,
            QStringLiteral("Error receiving RDS parameters.")},
        {"bad delay", fault([](vt::Faults &f) { f.badDelay = true; }), true, QString()},
        {"garbage before the read-back", fault([](vt::Faults &f) { f.garbage = true; }), true, QString()},
        {"garbage before the status", fault([](vt::Faults &f) { f.garbage = true; }), false, QString()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        window.reset();
        boxes.clear();
        vt::Options o;
        o.faults = row.faults;
        auto &dev = useDevice(o);
        vt::DeviceState st = unusualRds();
        dev.setState(st);
        start();
        click(row.readBack ? "cmdReadRDS" : "cmdReadTX");
        ASSERT_TRUE(
            runUntil([&] { return idle() && (!row.message.isEmpty() ? !boxes.texts().isEmpty() : true); }, 10000));
        runFor(row.message.isEmpty() ? 1500 : 200);
        EXPECT_EQ(boxes.texts(), row.message.isEmpty() ? QStringList{} : QStringList{row.message});
        EXPECT_TRUE(idle());
        EXPECT_EQ(window->statusText(), QStringLiteral("Ready"));
        for (const char *b : {"cmdReadRDS", "cmdSendSettings", "cmdSendRTPS", "cmdReadTX"})
            EXPECT_TRUE(find<QPushButton>(b)->isEnabled()) << b;
        const SettingsRecord &r = window->station().record();
        if (row.faults.badDelay) {
            // Delays before entry 7 are taken; nothing else is.
            for (int i = 0; i < 7; ++i)
                EXPECT_EQ(r.PSDelay[i], st.rds.psDelay[i]) << i;
            EXPECT_EQ(r.PS[3], QStringLiteral("        "));
            EXPECT_EQ(r.PTY, 10);
        } else if (row.readBack && row.message.isEmpty()) {
            EXPECT_EQ(r.PS[3], QStringLiteral("STATION "));
        } else if (row.readBack) {
            EXPECT_EQ(r.PS[3], QStringLiteral("        ")); // nothing applied
        } else if (row.message.isEmpty()) {
            EXPECT_EQ(box("txtUnitFrequency"), QStringLiteral("100.000MHz"));
            EXPECT_EQ(box("txtOutputPower"), QStringLiteral("50.0W"));
        }
    }
}

TEST_F(RepliesTest, ReadBackThatTimesOutGivesTheRadioTextSwitchBack)
{
    vt::Options o;
    o.faults.silent = true;
    useDevice(o);
    store(QStringLiteral("RTSwitch"), QStringLiteral("1"));
    store(QStringLiteral("AutoRTPath"), QStringLiteral("/nonexistent/for/this/test.txt"));
    start();
    Station &s = window->station();
    click("cmdReadRDS");
    EXPECT_EQ(s.record().RTSwitch, 0);
    ASSERT_TRUE(runUntil([&] { return !boxes.texts().isEmpty() && !s.ReadBackBusy; }, 6000));
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("Error receiving RDS parameters.")});
    EXPECT_EQ(s.record().RTSwitch, 1);
}
