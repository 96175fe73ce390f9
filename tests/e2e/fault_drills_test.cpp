// Fault drills: the real window against the virtual transmitter while the
// line, the transmitter or the title file fail. Each drill ends in its message
// (or deliberately none) with the window idle and nothing lost.
#include "autoupdate/auto_update_engine.h"
#include "link/link_failure.h"
#include "link/reply_parser.h"
#include "replies.h"
#include "support/wait.h"
#include "support/window_fixture.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryDir>

using namespace zfm;
using namespace zfm::test;

namespace {

const char *const kSendButtons[] = {"cmdReadRDS", "cmdSendSettings", "cmdSendRTPS", "cmdReadTX"};

class FaultDrill : public WindowTest {
protected:
    Station &station() { return window->station(); }
    bool idle()
    {
        return !station().runner().isBusy() && !station().ReadBackBusy && !station().StatusRequestPending
            && !station().autoUpdateTickRunning();
    }
    void expectButtonsBack()
    {
        for (const char *b : kSendButtons)
            EXPECT_TRUE(find<QPushButton>(b)->isEnabled()) << b;
    }
    int framesNamed(const char *name) const
    {
        const auto &f = device->state().counters.frames;
        const auto it = f.find(QByteArray(name));
        return it == f.end() ? 0 : it->second;
    }
    int statusShown = 0;
    void countStatusReplies()
    {
        QObject::connect(&station(), &Station::statusReplyReceived, [this] { ++statusShown; });
    }
};

// A device whose RDS encoder holds a PS the program does not have yet.
vt::DeviceState withStationPs()
{
    vt::DeviceState s = vt::DeviceState::factory();
    s.rds.ps[3] = "STATION ";
    return s;
}

} // namespace

// The cable is pulled part way through an upload: one message naming the lost
// line, the buttons back, the status line not claiming success, and the next
// upload finds no port at all.
TEST_F(FaultDrill, LineLostMidUploadIsReportedOnceAndTheNextUploadFindsNoPort)
{
    struct Row {
        const char *button;
        int framesBeforeCut;
    };
    const Row rows[] = {
        {"cmdSendSettings", 10}, // inside the transmitter part
        {"cmdSendRTPS", 60}, // inside the PS texts
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.button);
        window.reset();
        boxes.clear();
        vt::Options o;
        o.faults.hangupAfter = row.framesBeforeCut;
        auto &dev = useDevice(o);
        const QString line = dev.path();
        start();
        click(row.button);
        ASSERT_TRUE(runUntil([&] { return dev.isHungUp() && idle() && !boxes.texts().isEmpty(); }, 30000));
        runFor(300); // room for a second message, which must not come
        const QString lost = LinkFailure{LinkFailure::Kind::LineLost, 2, line, {}}.message();
        EXPECT_EQ(boxes.texts(), QStringList{lost});
        EXPECT_EQ(dev.state().counters.total, row.framesBeforeCut);
        EXPECT_EQ(dev.state().counters.malformed, 0);
        expectButtonsBack();
        EXPECT_NE(window->statusText(), QStringLiteral("Ready"));

        boxes.clear();
        click(row.button);
        ASSERT_TRUE(runUntil([&] { return idle() && !boxes.texts().isEmpty(); }, 10000));
        runFor(200);
        EXPECT_EQ(boxes.texts(), QStringList{kPortMissingMessage});
        expectButtonsBack();
    }
}

// A transmitter that stops answering: a manual read and a read-back end in
// their message, the automatic read in none; nothing waits for ever, so
// "Read RDS settings" still asks the silent transmitter (and says that it got
// nothing), and once the transmitter answers again it works as before.
TEST_F(FaultDrill, SilentTransmitterLeavesNothingStuck)
{
    struct Row {
        const char *name;
        bool autoRead;
        const char *button; // nullptr: the automatic read asks by itself
        QString message;
    };
    const Row rows[] = {
        {"Read TX", false, "cmdReadTX", QStringLiteral("Error receiving Status.")},
        {"automatic read", true, nullptr, QString()},
        {"read-back", false, "cmdReadRDS", QStringLiteral("Error receiving RDS parameters.")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        window.reset();
        boxes.clear();
        store(QStringLiteral("AutoRead"), row.autoRead ? QStringLiteral("True") : QStringLiteral("False"));
        vt::Options o;
        o.faults.silent = true;
        auto &dev = useDevice(o);
        dev.setState(withStationPs());
        start();
        if (row.button)
            click(row.button);
        if (row.message.isEmpty()) {
            ASSERT_TRUE(runUntil([&] { return dev.state().counters.unansweredRequests >= 3; }, 6000));
            EXPECT_TRUE(boxes.texts().isEmpty());
        } else {
            ASSERT_TRUE(runUntil([&] { return !boxes.texts().isEmpty() && idle(); }, 6000));
            EXPECT_EQ(boxes.texts(), QStringList{row.message});
            expectButtonsBack();
        }

        boxes.clear();
        const int asked = framesNamed("X");
        ASSERT_TRUE(runUntil([&] { return find<QPushButton>("cmdReadRDS")->isEnabled(); }, 3000));
        click("cmdReadRDS");
        ASSERT_TRUE(runUntil([&] { return !boxes.texts().isEmpty() && !station().ReadBackBusy; }, 8000));
        EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("Error receiving RDS parameters.")});
        EXPECT_EQ(framesNamed("X"), asked + 1);

        dev.setFaults({});
        boxes.clear();
        ASSERT_TRUE(runUntil([&] { return find<QPushButton>("cmdReadRDS")->isEnabled(); }, 3000));
        click("cmdReadRDS");
        ASSERT_TRUE(
            runUntil([&] { return dev.state().counters.readBackReplies == 1 && !station().ReadBackBusy; }, 10000));
        EXPECT_EQ(station().record().PS[3], QStringLiteral("STATION "));
        EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
    }
}

// Replies that never end, with line noise in front, while the automatic read
// asks every second: no message, and the first whole reply afterwards shows.
TEST_F(FaultDrill, RepliesWithoutTheirEndKeepTheAutomaticReadQuiet)
{
    store(QStringLiteral("AutoRead"), QStringLiteral("True"));
    vt::Options o;
    o.faults.noDollar = true;
    o.faults.garbage = true;
    auto &dev = useDevice(o);
    start();
    countStatusReplies();
    ASSERT_TRUE(runUntil([&] { return dev.state().counters.statusReplies >= 3; }, 6000));
    EXPECT_EQ(statusShown, 0);
    EXPECT_TRUE(boxes.texts().isEmpty());

    dev.setFaults({});
    ASSERT_TRUE(runUntil([&] { return statusShown > 0; }, 4000));
    EXPECT_EQ(find<QLabel>("txtOutputPower")->text(), QStringLiteral("50.0W"));
    EXPECT_EQ(find<QLabel>("txtUnitFrequency")->text(), QStringLiteral("100.000MHz"));
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
}

// Far more noise than any reply, without a "$", arriving faster than the
// watchdog can ever expire: the buffer stays within its bound and a whole
// reply after it still decodes. The test is the transmitter here.
TEST_F(FaultDrill, EndlessNoiseKeepsTheReceiveBufferBounded)
{
    store(QStringLiteral("AutoRead"), QStringLiteral("True"));
    start();
    countStatusReplies();
    QRandomGenerator noise(7);
    size_t largest = 0;
    constexpr int kChunk = 4096;
    for (int sent = 0; sent < 16 * kChunk; sent += kChunk) {
        QByteArray chunk(kChunk, ' ');
        for (char &c : chunk) {
            do
                c = static_cast<char>(noise.bounded(32, 127));
            while (c == '$');
        }
        capture.reply(chunk);
        runUntil([&] { return station().parser().ReceiveCount() >= sent + kChunk; }, 3000);
        largest = std::max(largest, station().parser().ReceiveBuffer().size());
    }
    EXPECT_GE(station().parser().ReceiveCount(), 16 * kChunk);
    EXPECT_LE(largest, ReplyParser::kBufferLimit);
    EXPECT_EQ(statusShown, 0);

    capture.reply(vt::statusReply(vt::DeviceState::factory(), vt::StatusSettings{}, 0));
    ASSERT_TRUE(runUntil([&] { return statusShown == 1; }, 3000));
    EXPECT_EQ(find<QLabel>("txtOutputPower")->text(), QStringLiteral("50.0W"));
    EXPECT_EQ(station().parser().ReceiveBuffer().size(), 0u);
    EXPECT_TRUE(boxes.texts().isEmpty());
}

namespace {

class TitleFileDrill : public FaultDrill {
protected:
    QString path() const { return dir.filePath(QStringLiteral("nowplaying.txt")); }
    void writeTitle(const QByteArray &line)
    {
        QSaveFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(line + "\r\n");
        ASSERT_TRUE(f.commit());
    }
    bool onAir(const char *firstPiece) { return device->state().rds.ps[0] == QByteArray(firstPiece); }
    // Starts with a title file and the PS update on or off (RT stays off: its
    // lead-in would keep a tick running).
    void startWithTitle(bool updateOn)
    {
        useDevice();
        writeTitle("Aurora Vale,Blue");
        store(QStringLiteral("AutoPSPath"), path());
        store(QStringLiteral("AutoPS"), updateOn ? QStringLiteral("1") : QStringLiteral("0"));
        store(QStringLiteral("InsertDate"), QStringLiteral("False"));
        start();
    }
    // ... with the update on and the first title on air.
    void startOnAir()
    {
        startWithTitle(true);
        ASSERT_TRUE(runUntil([&] { return onAir("Aurora V") && idle(); }, 40000));
    }
    // Two ticks of the update in a row, as its timer would run them: whatever
    // the first one sees, the second sees too.
    QStringList twoTicks()
    {
        station().AutoUpdateTick();
        const QStringList afterFirst = boxes.texts();
        station().AutoUpdateTick();
        return afterFirst;
    }

    QTemporaryDir dir;
};

} // namespace

// The title file gone or turned into a folder: nothing on the first tick (a
// playout program may be replacing it), the message and the update off on the
// second.
TEST_F(TitleFileDrill, FileGoneOrAFolderSwitchesTheUpdateOffOnTheSecondTick)
{
    struct Row {
        const char *name;
        bool folder;
        QString message;
    };
    const Row rows[] = {
        {"deleted", false, kFileNotFoundMessage},
        {"replaced by a folder", true, kMissingFileMessage},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        window.reset();
        boxes.clear();
        QDir(path()).removeRecursively();
        startWithTitle(false);
        ASSERT_TRUE(QFile::remove(path()));
        if (row.folder) {
            ASSERT_TRUE(QDir().mkdir(path()));
        }
        click("optAutoPSYes");
        ASSERT_TRUE(idle());
        EXPECT_EQ(twoTicks(), QStringList{});
        EXPECT_EQ(boxes.texts(), QStringList{row.message});
        EXPECT_EQ(stored(QStringLiteral("AutoPS")), QStringLiteral("0"));
        EXPECT_EQ(stored(QStringLiteral("RTSwitch")), QStringLiteral("0"));
        runFor(1500);
        EXPECT_EQ(boxes.texts().size(), 1);
        EXPECT_EQ(framesNamed("PS00"), 0);
        EXPECT_TRUE(idle());
    }
}

// A file caught empty is never a title: nothing goes out and the update stays
// on, so the next real title is on air as usual.
TEST_F(TitleFileDrill, EmptiedFileIsNeverUploaded)
{
    ASSERT_NO_FATAL_FAILURE(startOnAir());
    const int uploads = framesNamed("PS00");
    QFile(path()).resize(0);
    runFor(3500);
    EXPECT_EQ(framesNamed("PS00"), uploads);
    EXPECT_EQ(window->station().record().AutoPS, 1);
    EXPECT_TRUE(boxes.texts().isEmpty());

    // The next title goes out as usual (its first pieces are enough to tell).
    writeTitle("The Nightjars,Static");
    ASSERT_TRUE(runUntil([&] { return device->state().rds.ps[1] == QByteArray("tjars St"); }, 10000));
    EXPECT_TRUE(onAir("The Nigh"));
    EXPECT_TRUE(boxes.texts().isEmpty());
}
