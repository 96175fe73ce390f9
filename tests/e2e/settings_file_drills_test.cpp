// Settings file drills: the store turns read-only while the program runs, or
// the program dies in the middle of writing it.
#include "e2e/live_window.h"
#include "support/settings_file.h"
#include "support/wait.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
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
const QString kCannotSave = QStringLiteral("Your settings could not be written to the settings store. Changes are kept "
                                           "while the program runs; check that the settings folder is writable.");

} // namespace

class SettingsFileDrill : public LiveWindow {
protected:
    // Runs `changes` with the settings file read-only, for root too.
    static void readOnly(const std::function<void()> &changes)
    {
        const auto writable = QFile::permissions(settingsFile());
        ASSERT_TRUE(QFile::setPermissions(settingsFile(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        dacOverride(false);
        changes();
        dacOverride(true);
        ASSERT_TRUE(QFile::setPermissions(settingsFile(), writable));
    }
};

// The file turns read-only under the running program: it says so once per
// spell, keeps every change in memory and writes them all once the file can
// be written again.
TEST_F(SettingsFileDrill, ReadOnlyFileIsReportedOnceAndNothingIsLost)
{
    useDevice();
    start();
    readOnly([&] {
        click("chkAutoRead"); // a change the window stores
        click("chkInsertDate"); // one the automatic update stores
        click("chkAutoRead");
        click("chkAutoRead");
        runUntil([&] { return !boxes.texts().isEmpty(); });
        EXPECT_EQ(boxes.texts(), QStringList{kCannotSave});
        EXPECT_EQ(onDisk("AutoRead"), QStringLiteral("False"));
        EXPECT_EQ(onDisk("InsertDate"), QStringLiteral("True"));
    });

    // Writable again: the next change writes every change made meanwhile.
    click("chkAutoRead");
    click("chkAutoRead");
    EXPECT_EQ(onDisk("AutoRead"), QStringLiteral("True"));
    EXPECT_EQ(onDisk("InsertDate"), QStringLiteral("False"));

    // A later spell is a new failure, reported again.
    readOnly([&] { click("chkAutoRead"); });
    runUntil([&] { return boxes.texts().size() >= 2; });
    EXPECT_EQ(boxes.texts(), (QStringList{kCannotSave, kCannotSave}));
}

// What the automatic update stores (its options, the titles it takes) is
// reported the same way when it cannot be written.
TEST_F(SettingsFileDrill, SavesOfTheAutomaticUpdateAreReportedToo)
{
    useDevice();
    start();
    readOnly([&] {
        click("chkInsertDate");
        click("chkInsertDate");
        runUntil([&] { return !boxes.texts().isEmpty(); }, 3000);
    });
    EXPECT_EQ(boxes.texts(), QStringList{kCannotSave});
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
