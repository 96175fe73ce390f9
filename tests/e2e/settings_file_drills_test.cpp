// Settings file drills: the store turns read-only while the program runs, is
// damaged between runs, or the program dies in the middle of writing it.
#include "e2e/live_window.h"
#include "settings/settings_store.h"
#include "support/settings_file.h"
#include "support/wait.h"

#include <QCheckBox>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace zfm;
using namespace zfm::test;

namespace {

// Root may write any file whatever its mode. Without that privilege the
// calling thread (the one that saves the settings) is held to file modes like
// anyone else.
void dacOverride(bool on)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3]{};
    if (::geteuid() != 0 || ::syscall(SYS_capget, &header, caps) != 0)
        return;
    const __u32 bit = 1u << CAP_DAC_OVERRIDE;
    caps[0].effective = on ? caps[0].effective | bit : caps[0].effective & ~bit;
    ::syscall(SYS_capset, &header, caps);
}
struct FileModesApplyToRoot {
    FileModesApplyToRoot() { dacOverride(false); }
    ~FileModesApplyToRoot() { dacOverride(true); }
};

const QString kCannotSave = QStringLiteral("Your settings could not be written to the settings store. Changes are kept "
                                           "while the program runs; check that the settings folder is writable.");

} // namespace

using SettingsFileDrill = LiveWindow;

// The file turns read-only under the running program: it says so once per
// spell, works on, keeps every change in memory and writes them all once the
// file can be written again.
TEST_F(SettingsFileDrill, ReadOnlyFileIsReportedOnceAndNothingIsLost)
{
    useDevice();
    start();
    const QString file = settingsFile();
    const auto writable = QFile::permissions(file);
    auto *autoRead = find<QCheckBox>("chkAutoRead");
    auto *insertDate = find<QCheckBox>("chkInsertDate");
    ASSERT_FALSE(autoRead->isChecked());
    ASSERT_TRUE(insertDate->isChecked());
    {
        ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        FileModesApplyToRoot readOnly;
        autoRead->click(); // a change the window stores
        insertDate->click(); // one the automatic update stores
        autoRead->click();
        autoRead->click();
        runUntil([&] { return !boxes.texts().isEmpty(); });
        EXPECT_EQ(boxes.texts(), QStringList{kCannotSave});
        // The program runs on: the automatic read, now ticked, brings the status.
        ASSERT_TRUE(runUntil([&] { return device->state().counters.statusReplies >= 2; }, 5000));
        ASSERT_TRUE(runUntil([&] { return label("txtOutputPower") == QLatin1String("50.0W"); }));
    }
    EXPECT_EQ(onDisk("AutoRead"), QStringLiteral("False"));
    EXPECT_EQ(onDisk("InsertDate"), QStringLiteral("True"));

    // Writable again: the next change writes every change made meanwhile.
    ASSERT_TRUE(QFile::setPermissions(file, writable));
    autoRead->click();
    autoRead->click();
    EXPECT_EQ(onDisk("AutoRead"), QStringLiteral("True"));
    EXPECT_EQ(onDisk("InsertDate"), QStringLiteral("False"));

    // A later spell is a new failure, reported again.
    {
        ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        FileModesApplyToRoot readOnly;
        autoRead->click();
    }
    ASSERT_TRUE(QFile::setPermissions(file, writable));
    runUntil([&] { return boxes.texts().size() >= 2; });
    EXPECT_EQ(boxes.texts(), (QStringList{kCannotSave, kCannotSave}));
}

// What the automatic update stores (its options, the titles it takes) is
// reported the same way when it cannot be written.
TEST_F(SettingsFileDrill, SavesOfTheAutomaticUpdateAreReportedToo)
{
    useDevice();
    start();
    const QString file = settingsFile();
    const auto writable = QFile::permissions(file);
    {
        ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        FileModesApplyToRoot readOnly;
        find<QCheckBox>("chkInsertDate")->click();
        find<QCheckBox>("chkInsertDate")->click();
        runUntil([&] { return !boxes.texts().isEmpty(); }, 3000);
    }
    ASSERT_TRUE(QFile::setPermissions(file, writable));
    EXPECT_EQ(boxes.texts(), QStringList{kCannotSave});
}

// A file cut off or overwritten between two runs: start-up completes with the
// defaults for whatever cannot be read, and the program's next save leaves a
// whole file again.
TEST_F(SettingsFileDrill, DamagedFileBetweenRunsStartsWithDefaultsForWhatIsLost)
{
    // A whole file as a previous run leaves it.
    storeAll({{"Pilot", "7"}, {"TXPower", "55"}});
    start();
    exitProgram();
    window.reset();
    QFile f(settingsFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray whole = f.readAll();
    f.close();
    ASSERT_TRUE(whole.contains("TXPower=55"));

    QByteArray garbage(8192, '\0');
    QRandomGenerator(11).fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);
    struct Row {
        const char *name;
        QByteArray content;
        bool portKept; // the COM port assignment is among what survives
        int pilot;
    };
    const int cut = static_cast<int>(whole.indexOf("TXFrequency="));
    ASSERT_GT(cut, 0);
    const Row rows[] = {
        {"cut off half way", whole.left(cut + 5), true, 7},
        {"garbage", garbage, false, 4},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        window.reset();
        boxes.clear();
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(row.content);
        f.close();
        start();
        if (!row.portKept)
            runUntil([&] { return !boxes.texts().isEmpty(); });
        EXPECT_EQ(window->startedUp(), row.portKept);
        EXPECT_EQ(boxes.texts(), row.portKept ? QStringList{} : QStringList{kPortMissingMessage});
        const SettingsRecord &r = window->station().record();
        EXPECT_EQ(r.Pilot, row.pilot);
        EXPECT_EQ(r.TXPower, 100);
        EXPECT_EQ(r.PS[0], QStringLiteral("QRV5260+"));
        EXPECT_EQ(r.TXFrequency, 100000);

        click("chkAutoRead");
        EXPECT_EQ(onDisk("AutoRead"), QStringLiteral("True"));
        EXPECT_EQ(onDisk("PS99"), QStringLiteral("\"        \""));
        EXPECT_EQ(onDisk("TXFrequency"), QStringLiteral("100000"));
    }
}

// Killed with SIGKILL at random moments while saving: every restart finds the
// file of the last save or the one before it, whole, never a mix or nothing.
// The store writes a new file and renames it over the old one, so the old one
// stays whole until the new one is.
TEST(SettingsFileKill, KilledWhileSavingLeavesTheOldOrTheNewFile)
{
    QTemporaryDir config;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    const QString file = config.path() + QStringLiteral("/Kestrel Devices/ZephyrineFM+.conf");
    QRandomGenerator when(2026);
    int lastSaved = 0;
    // 40 kills: each run first reports what the one before it left.
    for (int i = 0; i <= 40; ++i) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ZFM_SETTINGS_SAVER));
        ASSERT_TRUE(p.waitForStarted());
        // A reader that opened the file before the run keeps seeing it whole.
        QFile before(file);
        const bool hadFile = before.open(QIODevice::ReadOnly);
        const QByteArray beforeContent = hadFile ? before.readAll() : QByteArray();
        // Wait for the first save of this run, then kill at a random moment.
        QByteArray out;
        const auto saved = [&] { return (out += p.readAllStandardOutput()).contains("saved "); };
        ASSERT_TRUE(runUntil(saved, 20000)) << out.toStdString();
        runFor(static_cast<int>(when.bounded(30)));
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
        ASSERT_TRUE(p.waitForFinished(5000));
        out += p.readAllStandardOutput();
        // The first line says "loaded <n> missing <k>"; every save says "saved <n>".
        int loaded = -1, missing = -1;
        std::sscanf(out.constData(), "loaded %d missing %d", &loaded, &missing);
        ASSERT_GE(loaded, 0) << "run " << i << ": " << out.left(200).toStdString();
        // The file the previous run left: its last save, or the one it was in.
        EXPECT_GE(loaded, lastSaved) << "run " << i;
        EXPECT_LE(loaded, lastSaved + 1) << "run " << i;
        if (i > 0) {
            EXPECT_EQ(missing, 0) << "run " << i;
        }
        lastSaved = std::atoi(out.constData() + out.lastIndexOf("saved ") + 6);
        if (hadFile) {
            ASSERT_TRUE(before.seek(0));
            EXPECT_EQ(before.readAll(), beforeContent) << "run " << i << " wrote into the file in place";
        }
    }
}
