#include "settings/settings.h"
#include "settings/settings_store.h"
#include "support/printers.h"
#include "support/settings_file.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

#include <sys/wait.h>

using namespace zfm;
using zfm::test::onDisk;

namespace {

struct Loaded {
    SettingsRecord record;
    MemoryStore store;
    QStringList repaired;
    Loaded() = default;
    explicit Loaded(std::initializer_list<std::pair<const char *, const char *>> stored)
    {
        for (const auto &[k, v] : stored)
            store.setValue(QLatin1String(k), QString::fromUtf8(v));
        repaired = Settings(record, store).loadAll();
    }
};

} // namespace

// The stored form of a fresh record, checked against the key table of the
// settings documentation (texts, not our own constants). The transmitter
// lists' defaults are checked with their tables.
TEST(SettingsStore, EmptyStoreSavesEveryKeyInItsTextForm)
{
    Loaded l{};
    Settings s(l.record, l.store);
    s.loadAll();
    ASSERT_TRUE(s.saveAll());

    // As the file holds them, "key=text", separated by "|" here.
    const QString expected = QStringLiteral(
        "LogoLine1=Kestrel Devices |LogoLine2=<ZEPHYRINE FM+> |AutoRead=False|GCT=0|GRT=0|GEON=0|"
        "CountryCode=3|ECC=3|COMSelected=2|COMSpeed=3|AreaCoverage=1|ProgramReference=128|MODE=12|TP=0|"
        "TransmitAF=False|TA=0|TXStereo=0|TXPower=100|TXFrequency=100000|MS=0|PTY=10|AutoPS=0|AutoPSDelay=2|"
        "TurboPSDelay=2|AutoPSPath=c:\\SongName.txt|AutoRTPath=c:\\SongName.txt|AutoPSSplit=True|"
        "ScrollPS=True|TrayAtStart=False|RDSActive=True|InsertTime=True|InsertDate=True|PS=QRV5260+|"
        "PS1=        |PS99=        |PSDelay=2|PSDelay1=0|PSDelay100=0|SETTOSAMEDELAY=0|"
        "MG0=External message 1|MG7=External message 8|"
        "RT2=Check out the ORVENTA5000+, worlds only PC based FM transmitter!|"
        "RT3=Turn your PC into a FM radio station!|RT6=Turn your PC into a FM radio station!|RTSwitch=1|"
        "AFNum=0|AF1=125|AF2=0|AF7=0|DId0=1|DId3=1|DynamicPS=0|DynamicRT=0|WinAmpVersion=Studio|"
        "GetMP3Tag=c:\\SongName.txt|ShutDown=False|SettingsAtStart=False|AutoReconnect=False|"
        "AutoPSChangedOnly=False|Scheme 0=|Scheme 20=|SchemeValue 0=0|SchemeValue 20=0|SchemeEnable=0");
    for (const QString &line : expected.split(u'|')) {
        const QString key = line.section(u'=', 0, 0);
        EXPECT_EQ(l.store.value(key).value_or(QStringLiteral("<absent>")), line.section(u'=', 1)) << key.toStdString();
    }
    // 50 single keys, 100 PS texts, 101 delays, SETTOSAMEDELAY, RT, 8 messages,
    // RT1..RT6, RTSwitch, AFNum, 7 AFs, 4 DIds and 8 more singles; then the
    // schedule. An exact count also proves that no two fields share a key and
    // that nothing is stored past the ends of a family or for a default port map.
    EXPECT_EQ(l.store.values().size(), 50u + 100 + 101 + 2 + 8 + 6 + 2 + 7 + 4 + 8 + 43);
    EXPECT_FALSE(l.record.RT.isEmpty() || l.record.RTn[0].isEmpty());
}

// Each row: the stored text, whether loading reports the key repaired, and
// the value as the next save writes it. A family number outside the families
// loads as the classic family.
TEST(SettingsStore, UnconvertibleValuesReadAsTheirDefault)
{
    struct Row {
        const char *key, *stored;
        bool repaired;
        const char *saved;
    };
    const Row rows[] = {{"Pilot", "abc", true, "4"}, {"Pilot", " 7 ", false, "7"}, {"Pilot", "-32768", false, "-32768"},
        {"Pilot", "32768", true, "4"}, {"Pilot", "", true, "4"}, {"TXFrequency", "70000", false, "70000"},
        {"TXFrequency", "9999999999", true, "100000"}, {"AutoRead", "maybe", true, "False"},
        {"AutoRead", "True", false, "True"}, {"AutoRead", "false", false, "False"}, {"AutoRead", "0", false, "False"},
        {"AutoRead", "-1", false, "True"}, {"TransmitAF", "2", false, "True"}, {"InsertDate", "maybe", true, "True"},
        {"RT", "any text at all", false, "any text at all"}, {"MODE", "7", false, "12"}, {"MODE", "-1", false, "12"},
        {"MODE", "11", false, "11"}, {"MODE", "13", false, "13"}};
    for (const Row &row : rows) {
        Loaded l{{row.key, row.stored}};
        EXPECT_EQ(l.repaired.contains(QLatin1String(row.key)), row.repaired) << row.key << "=" << row.stored;
        ASSERT_TRUE(Settings(l.record, l.store).saveAll());
        EXPECT_EQ(*l.store.value(QLatin1String(row.key)), QLatin1String(row.saved)) << row.key << "=" << row.stored;
    }
}

TEST(SettingsStore, ScheduleReadsOnlyTheNonEmptySlotsInOrder)
{
    Loaded l{{"Scheme 0", "A"}, {"Scheme 4", "B"}, {"Scheme 20", "C"}, {"SchemeValue 0", "0"}, {"SchemeValue 1", "1"},
        {"SchemeValue 2", "1"}, {"SchemeValue 4", "1"}, {"SchemeEnable", "1"}};
    const std::vector<SchemeEntry> expected
        = {{QStringLiteral("A"), false}, {QStringLiteral("B"), true}, {QStringLiteral("C"), true}};
    EXPECT_EQ(l.record.schemeList, expected);
    EXPECT_EQ(l.record.SchemeEnable, 1);
}

namespace {

// Another program saving the settings over and over, in the same
// configuration folder: the stand-in for the program in tests/tools.
class ChildSaver {
public:
    ChildSaver()
    {
        process_.setStandardOutputFile(output_.filePath(QStringLiteral("out")));
        process_.start(QStringLiteral(ZFM_SETTINGS_SAVER));
        EXPECT_TRUE(process_.waitForStarted());
        pid_ = static_cast<pid_t>(process_.processId());
    }
    ~ChildSaver() { kill(); }

    // Stops it while it holds the file's lock, in the middle of a write.
    bool stopInsideAWrite()
    {
        const QString lockFile
            = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Kestrel Devices/ZephyrineFM+.conf.lock");
        QRandomGenerator random(pid_);
        for (int attempt = 0; attempt < 20000 && pid_ > 0; ++attempt) {
            ::kill(pid_, SIGSTOP);
            // The stop takes effect a moment later, later still on a busy
            // machine. (__WALL: however the child was started; WNOWAIT: not reaped.)
            siginfo_t state{};
            if (::waitid(P_PID, pid_, &state, WSTOPPED | WEXITED | WNOWAIT | __WALL) != 0
                || state.si_code != CLD_STOPPED)
                return false; // it ended
            qint64 owner = 0;
            if (QLockFile(lockFile).getLockInfo(&owner, nullptr, nullptr) && owner == pid_)
                return true;
            ::kill(pid_, SIGCONT);
            QThread::usleep(random.bounded(2000));
        }
        return false;
    }
    // Lets it go on after `after`, or as soon as the returned thread goes.
    std::jthread resumeLater(std::chrono::milliseconds after) const
    {
        return std::jthread([pid = pid_, after](const std::stop_token &stop) {
            std::mutex m;
            std::unique_lock lock(m);
            std::condition_variable_any().wait_for(lock, stop, after, [] { return false; });
            ::kill(pid, SIGCONT);
        });
    }
    // Kills it, wherever it is; returns the last save it reported.
    int kill()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            process_.waitForFinished(5000);
            pid_ = 0;
        }
        QFile out(output_.filePath(QStringLiteral("out")));
        if (!out.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray text = out.readAll();
        const qsizetype at = text.lastIndexOf("saved ");
        return at < 0 ? 0 : text.mid(at + 6).split('\n').front().toInt();
    }

private:
    QTemporaryDir output_;
    QProcess process_;
    pid_t pid_ = 0;
};

} // namespace

// The platform store: a real file in the test program's private configuration
// folder (the platform caches that folder once per process, so every test of
// this fixture starts from an empty store there instead of moving it).
class PlatformStoreTest : public ::testing::Test {
protected:
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }
    static QString folder() { return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Kestrel Devices"); }
    static QString file() { return folder() + QStringLiteral("/ZephyrineFM+.conf"); }
    static void clear() { QDir(folder()).removeRecursively(); }
};

TEST_F(PlatformStoreTest, ValuesSavedInOneRunAreReadInTheNextExactly)
{
    const QString texts[]
        = {QStringLiteral("Artist, Title, Album"), QStringLiteral("   leading blanks"), QStringLiteral("say \"hello\""),
            QStringLiteral("Motörhead – Ace of Spades"), QStringLiteral("semi;colon=equals#hash"),
            QStringLiteral("back\\slash"), QStringLiteral("trailing  "), QString()};
    SettingsRecord saved;
    {
        PlatformStore store;
        Settings s(saved, store);
        s.loadAll();
        for (int i = 0; i < 8; ++i)
            saved.MG[i] = texts[i];
        saved.RT = texts[3];
        saved.PSDelay[100] = 7;
        saved.COMDevice[1] = QStringLiteral("/dev/pts/8");
        saved.COMDevice[16] = QStringLiteral("/dev/pts/9");
        ASSERT_TRUE(s.saveAll());
    }
    PlatformStore store;
    SettingsRecord r;
    EXPECT_TRUE(Settings(r, store).loadAll().isEmpty());
    EXPECT_EQ(r, saved);
    // Everything lives inside the one section.
    EXPECT_EQ(QSettings(file(), QSettings::IniFormat).childGroups(), QStringList{PlatformStore::kSection});

    // Clearing a port assignment removes its key again.
    r.COMDevice[16].clear();
    Settings(r, store).saveAll();
    EXPECT_FALSE(store.value(QStringLiteral("COMDevice16")).has_value());
}

// A lock is taken over only from a writer that is gone: its process ended,
// or it left a lock file nobody can read, long ago. A live writer keeps its
// lock, however long; after the wait the save fails (and is reported) instead
// of hanging or writing beside it, and a later save writes what was kept.
TEST_F(PlatformStoreTest, ALockIsTakenOverOnlyFromAWriterThatIsGone)
{
    const QString lockFile = file() + QStringLiteral(".lock");
    const auto leave = [&](const QByteArray &content, int ageS) {
        QFile f(lockFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-ageS), QFileDevice::FileModificationTime));
    };
    std::optional<ChildSaver> live;
    struct Row {
        const char *name;
        std::function<void()> lock;
        bool takenOver;
    };
    const Row rows[] = {
        {"left empty by a run killed as it took the lock", [&] { leave({}, 60); }, true},
        {"unreadable, a minute old", [&] { leave("not a process\n", 60); }, true},
        {"held by a program that was killed",
            [&] {
                ChildSaver saver;
                ASSERT_TRUE(saver.stopInsideAWrite());
                saver.kill();
            },
            true},
        // Its writer may be filling it in this moment.
        {"empty, just made", [&] { leave({}, 0); }, false},
        {"held by a live program that is stuck", [&] { ASSERT_TRUE(live.emplace().stopInsideAWrite()); }, false},
    };
    int n = 0;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QDir().mkpath(folder());
        row.lock();
        const QString value = QString::number(++n);
        PlatformStore store;
        // A lock that is kept is waited for only briefly here.
        if (!row.takenOver)
            store.setLockWaitMs(200);
        store.setValue(QStringLiteral("LockDrill"), value);
        {
            // Never stuck for good, so that a store waiting without end fails here too.
            const auto goOn = live ? live->resumeLater(std::chrono::seconds(3)) : std::jthread();
            QElapsedTimer took;
            took.start();
            EXPECT_EQ(store.sync(), row.takenOver);
            EXPECT_EQ(store.heldByAnother(), !row.takenOver);
            EXPECT_LT(took.elapsed(), PlatformStore::kDefaultLockWaitMs / 2) << "the save waited too long";
        }
        EXPECT_EQ(onDisk("LockDrill") == value, row.takenOver);
        if (!live) {
            EXPECT_EQ(QFile::exists(lockFile), !row.takenOver);
            QFile::remove(lockFile);
        }
        // Once the lock is free, the changes kept in memory are written.
        EXPECT_TRUE(store.sync());
        EXPECT_EQ(onDisk("LockDrill"), value);
    }
}

// Two programs save at once: this one, and another that saves over and over
// and is stopped in the middle of its writes, holding the lock (a slow disk,
// a busy machine). This one waits for it each time; neither loses a write.
TEST_F(PlatformStoreTest, TwoProgramsSavingAtOnceLoseNothing)
{
    ChildSaver saver;
    PlatformStore store;
    constexpr int kRounds = 10;
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_TRUE(saver.stopInsideAWrite()) << "round " << round << ": it ended, last save " << saver.kill();
        const auto goOn = saver.resumeLater(std::chrono::milliseconds(300));
        store.setValue(QStringLiteral("Round%1").arg(round), QString::number(round));
        EXPECT_TRUE(store.sync()) << "round " << round;
    }
    const int lastSaved = saver.kill();
    for (int round = 0; round < kRounds; ++round)
        EXPECT_EQ(onDisk(qPrintable(QStringLiteral("Round%1").arg(round))), QString::number(round)) << round;
    EXPECT_GE(onDisk("PS").mid(1).toInt(), lastSaved) << "the other program's last save is lost";
    EXPECT_GT(lastSaved, 0);
}

// The virtual transmitter registers its line while the program saves over
// and over, and takes the registration back as it ends: both write the file
// at once, and the program's saves neither drop the registration nor bring it
// back, while what the program itself changed is written as ever.
TEST_F(PlatformStoreTest, APortRegisteredWhileTheProgramSavesIsKept)
{
    PlatformStore store;
    SettingsRecord r;
    Settings settings(r, store);
    settings.loadAll();
    int saves = 0;
    const auto save = [&] {
        r.TXPower = int16_t(++saves % 100);
        ASSERT_TRUE(settings.saveAll());
    };
    QProcess transmitter;
    transmitter.start(QStringLiteral(ZFM_VIRTUAL_TRANSMITTER),
        {QStringLiteral("--config-home"), qEnvironmentVariable("XDG_CONFIG_HOME"), QStringLiteral("--com"),
            QStringLiteral("7")});
    ASSERT_TRUE(transmitter.waitForStarted());
    while (!transmitter.canReadLine() && saves < 5000) {
        save();
        transmitter.waitForReadyRead(1);
    }
    const QString path = QString::fromLocal8Bit(transmitter.readLine()).trimmed();
    ASSERT_FALSE(path.isEmpty());
    for (int i = 0; i < 20; ++i)
        save();
    EXPECT_EQ(onDisk("COMDevice7"), path);
    EXPECT_EQ(onDisk("TXPower"), QString::number(r.TXPower));
    r.COMDevice[3] = QStringLiteral("/dev/ttyUSB9");
    save();
    EXPECT_EQ(onDisk("COMDevice3"), r.COMDevice[3]);

    transmitter.terminate();
    while (!transmitter.waitForFinished(1))
        save();
    for (int i = 0; i < 20; ++i)
        save();
    EXPECT_EQ(onDisk("COMDevice7"), QStringLiteral("<absent>"));
    EXPECT_EQ(onDisk("COMDevice3"), r.COMDevice[3]);
    EXPECT_EQ(onDisk("TXPower"), QString::number(r.TXPower));
}
