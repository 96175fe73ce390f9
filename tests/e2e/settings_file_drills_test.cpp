// Settings file drills: the store turns read-only while the program runs, is
// damaged between runs, or the program dies in the middle of writing it.
#include "settings/settings_store.h"
#include "support/wait.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <csignal>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace zfm;
using namespace zfm::test;

namespace {

// The store's file, named without opening the store: opening it would write
// whatever changes are pending.
QString settingsFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Kestrel Devices/ZephyrineFM+.conf");
}

// A key's text as the file on disk holds it. (A store object in this process
// would answer from the changes the program has not managed to write yet.)
QString onDisk(const char *key)
{
    QFile f(settingsFile());
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("<no file>");
    const QByteArray prefix = QByteArray(key) + '=';
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return QString::fromUtf8(line.mid(prefix.size()));
    }
    return QStringLiteral("<absent>");
}

// Root may write any file whatever its mode. For as long as this lives the
// calling thread (the one that saves the settings) gives up that privilege,
// so a read-only file is read-only to it as to anyone else.
class FileModesApplyToRoot {
public:
    FileModesApplyToRoot()
    {
        if (::geteuid() == 0 && ::syscall(SYS_capget, &header_, caps_) == 0) {
            saved_ = caps_[0].effective;
            caps_[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
            active_ = ::syscall(SYS_capset, &header_, caps_) == 0;
        }
    }
    ~FileModesApplyToRoot()
    {
        caps_[0].effective = saved_;
        if (active_)
            ::syscall(SYS_capset, &header_, caps_);
    }
    FileModesApplyToRoot(const FileModesApplyToRoot &) = delete;
    FileModesApplyToRoot &operator=(const FileModesApplyToRoot &) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps_[_LINUX_CAPABILITY_U32S_3]{};
    __u32 saved_ = 0;
    bool active_ = false;
};

const QString kCannotSave = QStringLiteral("Your settings could not be written to the settings store. Changes are kept "
                                           "while the program runs; check that the settings folder is writable.");

} // namespace

using SettingsFileDrill = WindowTest;

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
        EXPECT_EQ(boxes.texts(), QStringList{kCannotSave});
        // The program runs on: the automatic read, now ticked, brings the status.
        ASSERT_TRUE(runUntil([&] { return device->state().counters.statusReplies >= 2; }, 5000));
        ASSERT_TRUE(runUntil([&] { return find<QLabel>("txtOutputPower")->text() == QLatin1String("50.0W"); }));
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
    EXPECT_EQ(boxes.texts(), (QStringList{kCannotSave, kCannotSave}));
}

// A file cut off or overwritten between two runs: start-up completes with the
// defaults for whatever cannot be read, and the program's next save leaves a
// whole file again.
TEST_F(SettingsFileDrill, DamagedFileBetweenRunsStartsWithDefaultsForWhatIsLost)
{
    // A whole file as a previous run leaves it.
    store(QStringLiteral("Pilot"), QStringLiteral("7"));
    store(QStringLiteral("TXPower"), QStringLiteral("55"));
    start();
    exitProgram();
    window.reset();
    QFile f(settingsFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray whole = f.readAll();
    f.close();
    ASSERT_TRUE(whole.contains("TXPower=55"));

    QByteArray garbage(8192, '\0');
    QRandomGenerator noise(11);
    for (char &c : garbage)
        c = static_cast<char>(noise.bounded(256));
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
        {"empty", QByteArray(), false, 4},
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
    auto run = [&](const QStringList &args, QProcess &p) {
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ZFM_SETTINGS_SAVER), args);
        return p.waitForStarted();
    };
    // The first line says "loaded <n> missing <k>"; every save says "saved <n>".
    struct Report {
        int loaded = -1, missing = -1, lastSaved = -1;
    };
    auto parse = [](const QByteArray &out) {
        Report r;
        const QList<QByteArray> lines = out.split('\n');
        const QList<QByteArray> first = lines.value(0).split(' ');
        if (first.value(0) == "loaded") {
            r.loaded = first.value(1).toInt();
            r.missing = first.value(3).toInt();
        }
        for (const QByteArray &line : lines) {
            if (line.startsWith("saved "))
                r.lastSaved = line.mid(6).toInt();
        }
        return r;
    };

    QRandomGenerator when(2026);
    int lastSaved = 0;
    constexpr int kKills = 40;
    for (int i = 0; i < kKills; ++i) {
        QProcess p;
        ASSERT_TRUE(run({}, p));
        // A reader that opened the file before the run keeps seeing it whole.
        QFile before(file);
        const bool hadFile = before.open(QIODevice::ReadOnly);
        const QByteArray beforeContent = hadFile ? before.readAll() : QByteArray();
        // Wait for the first save of this run, then kill at a random moment.
        QByteArray out;
        const auto saved = [&] { return (out += p.readAllStandardOutput()).contains("saved "); };
        ASSERT_TRUE(runUntil(saved, 5000)) << out.toStdString();
        runFor(static_cast<int>(when.bounded(30)));
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
        ASSERT_TRUE(p.waitForFinished(5000));
        out += p.readAllStandardOutput();
        const Report r = parse(out);
        ASSERT_GE(r.loaded, 0) << "run " << i << ": " << out.left(200).toStdString();
        // The file the previous run left: its last save, or the one it was in.
        EXPECT_GE(r.loaded, lastSaved) << "run " << i;
        EXPECT_LE(r.loaded, lastSaved + 1) << "run " << i;
        if (i > 0) {
            EXPECT_EQ(r.missing, 0) << "run " << i;
        }
        lastSaved = r.lastSaved;
        if (hadFile) {
            ASSERT_TRUE(before.seek(0));
            EXPECT_EQ(before.readAll(), beforeContent) << "run " << i << " wrote into the file in place";
        }
    }
    QProcess check;
    ASSERT_TRUE(run({QStringLiteral("--check")}, check));
    ASSERT_TRUE(check.waitForFinished(5000));
    const QByteArray out = check.readAllStandardOutput();
    const Report r = parse(out);
    EXPECT_GE(r.loaded, lastSaved) << out.toStdString();
    EXPECT_LE(r.loaded, lastSaved + 1);
    EXPECT_EQ(r.missing, 0);
}
