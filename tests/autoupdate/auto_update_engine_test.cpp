#include "autoupdate/auto_update_engine.h"
#include "autoupdate/update_scripts.h"
#include "link/clock.h"
#include "link/encodings.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "support/script_frames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace zfm;

namespace {

// What one tick did, run the way the window runs it, every upload completing.
struct Tick : AutoUpdateTickResult {
    WireScript psUpload;
    WireScript rtUpload;
};

// The engine on a real settings file in the test program's private configuration folder.
class AutoUpdate : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Kestrel Devices")).removeRecursively();
        settings.loadAll();
        record.AutoPSPath = dir.filePath(QStringLiteral("ps.txt"));
        record.AutoRTPath = dir.filePath(QStringLiteral("rt.txt"));
        record.AutoPS = 1;
        record.RTSwitch = 0;
        record.InsertDate = false;
        engine.restore();
    }
    // nullopt removes the file.
    static void write(const QString &path, const std::optional<QByteArray> &bytes)
    {
        QFile f(path);
        if (!bytes)
            f.remove();
        else
            EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(*bytes) == bytes->size());
    }
    TextFile psFile() const { return readTextFile(record.AutoPSPath, AutoUpdateEngine::kPsReadLimit); }
    TextFile rtFile() const { return readTextFile(record.AutoRTPath, AutoUpdateEngine::kRtReadLimit); }
    // `completes`: whether the uploads reach the device; a failed one ends the tick.
    Tick tick(bool readBackBusy = false, bool completes = true)
    {
        Tick t{engine.tick(psFile(), readBackBusy), {}, {}};
        if (t.sendPs)
            t.psUpload = engine.owedPsUpload();
        if (!t.psUpload.empty()) {
            engine.psUploadFinished(completes);
            if (!completes)
                return t;
        }
        if (t.runRtPart)
            t.rtUpload = engine.rtPart(rtFile(), readBackBusy);
        if (!t.rtUpload.empty())
            engine.rtUploadFinished(completes);
        return t;
    }
    // A title file its writer has finished: seen on two ticks.
    Tick settle(const QByteArray &psFile)
    {
        write(record.AutoPSPath, psFile);
        tick();
        return tick();
    }
    // What the next start of the program loads.
    static SettingsRecord stored()
    {
        PlatformStore s;
        SettingsRecord r;
        Settings(r, s).loadAll();
        return r;
    }

    QTemporaryDir dir;
    ManualClock clock{QDateTime(QDate(2026, 12, 5), QTime(10, 0))};
    SettingsRecord record;
    PlatformStore store;
    Settings settings{record, store};
    AutoUpdateEngine engine{settings, clock};
};

} // namespace

TEST_F(AutoUpdate, ATitleIsTakenOnlyWhenTwoReadsAgree)
{
    // The playout program rewriting the file, as consecutive ticks see it, one
    // row a tick. Never taken: an empty title, a file deleted and re-created,
    // a change of letter case alone, or what follows the 64th character. A
    // file missing for single ticks, again and again, never switches off.
    const QByteArray x64(64, 'x');
    const std::tuple<std::optional<QByteArray>, QString, bool> rows[] = {{"", "", false}, {"Art", "", false},
        {"Artist,Title", "", false}, {"Artist,Title", "Artist Title", true}, {"Artist,Title", "Artist Title", false},
        {"", "Artist Title", false}, {"", "Artist Title", false}, {"Next,Song", "Artist Title", false},
        {std::nullopt, "Artist Title", false}, {"Next,Song", "Artist Title", false},
        {"NEXT,SONG", "Artist Title", false}, {"NEXT,SONG", "NEXT SONG", true}, {"Next,Song", "NEXT SONG", false},
        {"Next,Song", "Next Song", false}, {x64 + "one", "Next Song", false}, {x64 + "one", x64, true},
        {x64 + "two", x64, false}, {x64 + "two", x64, false}, {std::nullopt, x64, false}};
    int n = 0;
    for (const auto &[file, display, upload] : rows) {
        write(record.AutoPSPath, file);
        const Tick t = tick();
        EXPECT_TRUE(t.message.isEmpty()) << ++n;
        EXPECT_EQ(engine.titleDisplay(), display) << n;
        EXPECT_EQ(!t.psUpload.empty(), upload) << n;
    }
    EXPECT_EQ(stored().PS[0], QStringLiteral("xxxxxxxx"));
    EXPECT_EQ(stored().AutoPS, 1);
}

// The options shape the list that goes out and is stored: scrolling, its
// delay, the date.
TEST_F(AutoUpdate, TheOptionsShapeTheListSent)
{
    engine.setType(2);
    engine.setDelay(3);
    engine.setInsertDate(true);
    const QByteArray sent = settle("ABCDEFGHIJ").psUpload.bytes();
    EXPECT_TRUE(sent.contains(commandFrame(1, "PS02", "CDEFGHIJ") + commandFrame(1, "PS03", " 5.12.26")));
    EXPECT_TRUE(sent.contains(commandFrame(1, "PD02", "3") + commandFrame(1, "PD03", "5")));
    EXPECT_EQ(stored().PS[3], QStringLiteral(" 5.12.26"));
}

TEST_F(AutoUpdate, AnUnreadablePsFileSwitchesOffOnTheSecondTick)
{
    write(dir.filePath(QStringLiteral("song.wav")), QByteArray("RIFF\0\0\0\0WAVE", 12));
    const std::tuple<const char *, int, bool, QString> rows[]
        = {{"absent.txt", 0, true, kFileNotFoundMessage}, // the RT update alone reads it too
            {"song.wav", 1, false, kMissingFileMessage}};
    for (const auto &[name, autoPs, rtOn, message] : rows) {
        SCOPED_TRACE(name);
        engine.setPsPath(dir.filePath(QStringLiteral("ps.txt")));
        engine.setType(1);
        settle("Song");
        engine.setType(autoPs);
        engine.setRtUpdate(rtOn);
        engine.setPsPath(dir.filePath(QString::fromLatin1(name)));

        const Tick first = tick(), second = tick();
        EXPECT_EQ(std::tuple(first.message, first.runRtPart, second.runRtPart), std::tuple(QString(), false, false));
        EXPECT_EQ(second.message, message);
        EXPECT_EQ(engine.type(), AutoUpdateType::TurnOff);
        EXPECT_EQ(engine.titleDisplay(), message == kMissingFileMessage ? QStringLiteral("Song") : QString());
        EXPECT_EQ(std::pair(stored().AutoPS, stored().RTSwitch), (std::pair<int16_t, int16_t>(0, 0)));
    }
}

TEST_F(AutoUpdate, RtPart)
{
    const QByteArray x64(64, 'x');
    const std::tuple<QString, std::optional<QByteArray>, QByteArray, QString> rows[] = {
        // RT box, RT file, RT frame value (none: nothing sent), RT box afterwards
        {"Old text", std::nullopt, "\r\r\r", ""},
        {"Old", "  Now: \"A, B\"\r\nsecond", "Now: \"A, B\"\r\r\r", "  Now: \"A, B\""},
        {"now playing", "NOW PLAYING", {}, "now playing"},
        {x64 + "y", x64 + "z", {}, x64},
    };
    for (const auto &[box, file, value, after] : rows) {
        SCOPED_TRACE(box.toStdString());
        engine.setRtUpdate(true);
        engine.setRtBoxText(box);
        write(record.AutoRTPath, file);
        write(record.AutoPSPath, QByteArray("Song"));
        EXPECT_TRUE(tick().rtUpload.empty()); // one read is not enough
        EXPECT_EQ(tick().rtUpload.bytes(), value.isEmpty() ? QByteArray() : commandFrame(1, "RT", value));
        EXPECT_EQ(engine.rtBoxText(), after);
        EXPECT_EQ(stored().RT, after);
    }

    // At the speed of the stored code, also on a port that is open.
    SettingsRecord hi;
    hi.RT = QStringLiteral("Hi");
    hi.COMSpeed = 5;
    const std::vector<Step> expected = {step::Close{}, step::Open{QStringLiteral("38400,N,8,1"), true}, step::Pause{10},
        step::Write{QByteArray(1, '\0')}, step::Pause{10}, step::Write{"RT"}, step::Pause{10}, step::Write{"\x01"},
        step::Pause{10}, step::Status{QStringLiteral("Sending RT to RDS encoder... 50%"), 1}, step::Write{"Hi\r\r\r"},
        step::Pause{10}, step::Write{"\x02"}, step::Pause{10}, step::Ready{}};
    EXPECT_EQ(autoRtUploadScript(hi, hi.RT).steps(), expected);
}

// A new title goes into the RT field but not the RT box, which the RT part
// compares with: a title file that is also the RT file still gets its line sent.
TEST_F(AutoUpdate, TitleAndRadioTextFromOneFile)
{
    engine.setRtPath(record.AutoPSPath);
    engine.setRtUpdate(true);
    const Tick t = settle("Artist - Title");
    EXPECT_EQ(engine.titleDisplay(), QStringLiteral("Artist - Title"));
    EXPECT_FALSE(t.psUpload.empty());
    EXPECT_EQ(t.rtUpload.bytes(), commandFrame(1, "RT", "Artist - Title\r\r\r"));

    // RT off: a new title leaves RT alone, a click on the title copies it.
    engine.setRtUpdate(false);
    settle("Third,Song");
    EXPECT_EQ(record.RT, QStringLiteral("Artist - Title"));
    engine.titleDisplayClicked();
    EXPECT_EQ(stored().RT, QStringLiteral("Third Song"));
}

TEST_F(AutoUpdate, ReadBackHoldsTheTickBack)
{
    engine.setRtUpdate(true);
    write(record.AutoPSPath, QByteArray("Song"));
    tick();
    EXPECT_FALSE(tick(true).runRtPart);
    EXPECT_TRUE(tick().psUpload.empty()); // the read-back broke the run of agreeing reads
    EXPECT_FALSE(tick().psUpload.empty());
}

// A new run takes the stored options; values out of their range switch off
// and are stored repaired.
TEST_F(AutoUpdate, RestoreRepairsTheStoredOptions)
{
    // AutoPS, AutoPSDelay, RTSwitch stored -> type, and what is stored afterwards.
    const std::tuple<int16_t, int16_t, int16_t, AutoUpdateType, int16_t, int16_t, int16_t> rows[]
        = {{2, 9, 1, AutoUpdateType::Scroll, 2, 9, 1}, {3, 2, 1, AutoUpdateType::TurnOff, 0, 2, 1},
            {-1, 10, 2, AutoUpdateType::TurnOff, 0, 2, 0}};
    for (const auto &[autoPs, delay, rtSwitch, type, psAfter, delayAfter, rtAfter] : rows) {
        record.AutoPS = autoPs;
        record.AutoPSDelay = delay;
        record.RTSwitch = rtSwitch;
        settings.saveAll();
        engine.restore();
        EXPECT_EQ(engine.type(), type) << autoPs;
        const SettingsRecord next = stored();
        EXPECT_EQ(std::tuple(next.AutoPS, next.AutoPSDelay, next.RTSwitch), std::tuple(psAfter, delayAfter, rtAfter));
    }
}

// Uploads that did not reach the device are sent again, once they can be;
// the device is sent what it lost when its line comes back.
TEST_F(AutoUpdate, WhatFailedIsSentAgain)
{
    engine.setRtUpdate(true);
    write(record.AutoRTPath, QByteArray("On air: Mira"));
    const Tick failed = (settle("Mira,Tides"), tick(false, false));
    ASSERT_TRUE(failed.psUpload.empty()); // the title went out with settle()
    // The RT line was taken, but its upload failed: the box now equals the file.
    write(record.AutoRTPath, QByteArray("On air: Aurora"));
    tick();
    EXPECT_FALSE(tick(false, false).rtUpload.empty());
    EXPECT_EQ(engine.rtBoxText(), QStringLiteral("On air: Aurora"));
    const Tick again = tick();
    EXPECT_EQ(again.rtUpload.bytes(), commandFrame(1, "RT", "On air: Aurora\r\r\r"));
    EXPECT_TRUE(tick().rtUpload.empty());

    // A list that failed goes again; then nothing until the title changes.
    write(record.AutoPSPath, QByteArray("Next,Song"));
    tick();
    EXPECT_FALSE(tick(false, false).psUpload.empty());
    EXPECT_FALSE(tick().psUpload.empty());
    EXPECT_EQ(record.lastSentTitle, QStringLiteral("Next Song"));
    EXPECT_TRUE(tick().psUpload.empty());

    // The device lost everything: both once more, the list at the next tick.
    engine.deviceForgot();
    EXPECT_EQ(engine.owedRtUpload().bytes(), commandFrame(1, "RT", "On air: Aurora\r\r\r"));
    const Tick owed = tick();
    EXPECT_FALSE(owed.psUpload.empty());
    EXPECT_FALSE(owed.rtUpload.empty());
    const Tick after = tick();
    EXPECT_TRUE(after.psUpload.empty() && after.rtUpload.empty());
}

// A read-back puts the encoder's list into the record while a title's list
// is still owed (its upload failed, or has not run yet): the title's own list
// goes out, not the encoder's under the title's name.
TEST_F(AutoUpdate, AListReadBackMeanwhileIsNotSentUnderTheTitle)
{
    const auto readBack = [&] {
        // Entries the split title owns.
        for (size_t i = 1; i < 8; ++i)
            record.PS[i] = QStringLiteral("ENCODER ");
        engine.listReadBack();
    };
    for (const bool failedFirst : {true, false}) {
        SCOPED_TRACE(failedFirst ? "after a failed upload" : "before the upload began");
        engine.restore();
        write(record.AutoPSPath, QByteArray("Mira,Tides"));
        tick();
        WireScript owed;
        PsList titles;
        if (failedFirst) {
            ASSERT_FALSE(tick(false, false).psUpload.empty());
            titles = PsList::of(record);
            readBack();
            owed = tick().psUpload;
        } else {
            ASSERT_TRUE(engine.tick(psFile(), false).sendPs);
            titles = PsList::of(record);
            readBack(); // it had the line first
            owed = engine.owedPsUpload();
            engine.psUploadFinished(true);
        }
        EXPECT_EQ(PsList::of(record), titles);
        EXPECT_EQ(owed.bytes(), autoPsUploadScript(record).bytes());
        EXPECT_EQ(record.lastSentTitle, QStringLiteral("Mira Tides"));
        EXPECT_TRUE(tick().psUpload.empty());
    }
}

// Switched back on after the title file went missing: one upload, of the
// title the file holds now, once two reads agree; none when it is the title
// whose list the device already has.
TEST_F(AutoUpdate, SwitchedBackOnAfterAMissingFileSendsOneList)
{
    for (const QByteArray next : {"Next,Song", "Mira,Tides"}) {
        SCOPED_TRACE(next.toStdString());
        engine.restore();
        engine.setPsUpdate(true);
        settle("Mira,Tides");
        ASSERT_EQ(record.lastSentTitle, QStringLiteral("Mira Tides"));
        write(record.AutoPSPath, std::nullopt);
        tick();
        ASSERT_EQ(tick().message, kFileNotFoundMessage);

        write(record.AutoPSPath, next);
        engine.setPsUpdate(true);
        QStringList sent;
        for (int i = 0; i < 4; ++i) {
            if (!tick().psUpload.empty())
                sent << engine.titleDisplay();
        }
        EXPECT_EQ(sent, next == "Next,Song" ? QStringList{"Next Song"} : QStringList{});
    }
}

// A read that did not answer in time decides nothing: no title, no switch-off,
// the RadioText is not emptied, and it breaks a run of agreeing reads.
TEST_F(AutoUpdate, AReadThatTimedOutDecidesNothing)
{
    engine.setRtUpdate(true);
    write(record.AutoRTPath, QByteArray("On air"));
    settle("Mira,Tides");
    const TextFile hung{TextFile::Status::TimedOut, {}};
    write(record.AutoPSPath, QByteArray("Next,Song"));
    engine.tick(psFile(), false);
    for (int i = 0; i < 3; ++i) {
        const AutoUpdateTickResult r = engine.tick(hung, false);
        EXPECT_TRUE(r.message.isEmpty() && !r.sendPs && !r.runRtPart);
        EXPECT_TRUE(engine.rtPart(hung, false).empty());
    }
    EXPECT_EQ(std::pair(record.AutoPS, record.RTSwitch), (std::pair<int16_t, int16_t>(1, 1)));
    EXPECT_EQ(engine.rtBoxText(), QStringLiteral("On air"));
    EXPECT_TRUE(tick().psUpload.empty());
    EXPECT_FALSE(tick().psUpload.empty());
}

namespace {

class ChangedOnly : public AutoUpdate {
protected:
    void SetUp() override
    {
        AutoUpdate::SetUp();
        engine.setChangedOnly(true);
    }
    // The frames of the first list a new title file brings, its upload
    // completing; empty when none goes out within two ticks.
    std::vector<test::FrameView> nextUpload(const QByteArray &file)
    {
        write(record.AutoPSPath, file);
        for (int i = 0; i < 2; ++i) {
            if (engine.tick(psFile(), false).sendPs) {
                const WireScript s = engine.owedPsUpload();
                engine.psUploadFinished(true);
                return test::framesOf(s);
            }
        }
        return {};
    }
};

} // namespace

// The first list of a run goes whole; after it only what differs, texts then
// delays, each frame paced as in the whole list: 10 ms after each part, 50 ms
// after the terminator.
TEST_F(ChangedOnly, SendsWhatDiffersFromTheListTheDeviceHolds)
{
    EXPECT_EQ(nextUpload("Aurora Vale,Over the Harbour Wall").size(), 200u);
    // "Aurora V" "ale Over" " the Har" "bour Wal" "l" -> "Aurora V" "ale Blue"
    const auto frames = nextUpload("Aurora Vale,Blue");
    QStringList sent;
    for (size_t i = 0; i < frames.size(); ++i) {
        sent << QString::fromLatin1(frames[i].name + '=' + frames[i].value);
        EXPECT_EQ(std::pair(frames[i].pauseBeforeTerminatorMs, frames[i].pauseAfterMs),
            std::pair(10, i + 1 < frames.size() ? 50 : 60))
            << i;
    }
    const QString blank(8, u' ');
    EXPECT_EQ(sent,
        (QStringList{
            "PS01=ale Blue", "PS02=" + blank, "PS03=" + blank, "PS04=" + blank, "PD02=0", "PD03=0", "PD04=0"}));
    EXPECT_EQ(record.lastSentTitle, QStringLiteral("Aurora Vale Blue"));
}

// Whatever may have changed the device's list unseen makes the next list
// whole: time, the option off for a while, a new run. (A failed upload, and
// what the station's own uploads and requests do to the known list, are
// tested with the station.)
TEST_F(ChangedOnly, TheWholeListGoesWheneverTheDevicesListIsNotKnown)
{
    const std::tuple<const char *, std::function<void()>, size_t> rows[] = {
        {"nothing", [] {}, 1}, // the one entry that differs
        {"59 minutes", [&] { clock.advanceMs(59 * 60 * 1000); }, 1},
        {"an hour", [&] { clock.advanceMs(60 * 60 * 1000); }, 200},
        {"clock set back", [&] { clock.advanceMs(-60 * 1000); }, 200},
        {"option off", [&] { engine.setChangedOnly(false); }, 200},
        {"a new run", [&] { engine.restore(); }, 200},
    };
    int k = 0;
    for (const auto &[what, meanwhile, frames] : rows) {
        SCOPED_TRACE(what);
        engine.setChangedOnly(true);
        engine.forgetDeviceList();
        ASSERT_EQ(nextUpload("Aurora Vale,Song " + QByteArray::number(++k)).size(), 200u);
        meanwhile();
        EXPECT_EQ(nextUpload("Aurora Vale,Song " + QByteArray::number(++k)).size(), frames);
    }
}
