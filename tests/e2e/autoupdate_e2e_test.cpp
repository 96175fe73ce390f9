// The automatic PS/RT update against the virtual transmitter while a
// playout program rewrites its files in the usual ways, empties one for a
// while and finally deletes it.
#include "autoupdate/auto_update_engine.h"
#include "e2e/live_window.h"
#include "support/wait.h"

#include <QFile>
#include <QTemporaryDir>

using namespace zfm;
using namespace zfm::test;

namespace {

struct Song {
    QByteArray psFile; // what the playout program writes for PS
    QString title; // the title that gives
    QByteArray rtLine;
};

class PlayoutTest : public LiveWindow {
public:
    QString psPath() const { return dir.filePath(QStringLiteral("nowplaying.txt")); }
    QString rtPath() const { return dir.filePath(QStringLiteral("radiotext.txt")); }

    // The ways playout programs replace a file.
    void byReplacing(const QString &path, const QByteArray &content) { writeWhole(path, content); }
    void byTruncateAndWrite(const QString &path, const QByteArray &content)
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(content.left(content.size() / 2));
        f.flush();
        runFor(350); // the program may read the file now, half written
        f.write(content.mid(content.size() / 2));
    }
    void byDeleteAndCreate(const QString &path, const QByteArray &content)
    {
        QFile::remove(path);
        runFor(350); // missing for at most one tick
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(content);
    }
    // The title file caught empty for several ticks: never a title, and the
    // update stays on. (A RadioText file left empty is an empty RadioText.)
    void byEmptyingFirst(const QString &path, const QByteArray &content)
    {
        if (path == psPath()) {
            QFile(path).resize(0);
            runFor(3500);
        }
        writeWhole(path, content);
    }
    bool onAir(const Song &s)
    {
        return device->state().rds.ps[0] == s.title.left(8).toLatin1() && device->state().rds.rt == s.rtLine;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(PlayoutTest, FollowsTheFilesAndNeverSendsAHalfWrittenTitle)
{
    auto &dev = useDevice();
    QStringList ps00Sent, rtSent;
    QObject::connect(&dev, &vt::VirtualTransmitter::logged, [&](const QString &line) {
        if (line.startsWith(QLatin1String("PS00 ")))
            ps00Sent << line.mid(5);
        if (line.startsWith(QLatin1String("RT ")))
            rtSent << line.mid(3);
    });
    writeWhole(psPath(), "Intro,Jingle\r\n");
    writeWhole(rtPath(), "Welcome to the station\r\n");
    storeAll({{"AutoPSPath", psPath()}, {"AutoRTPath", rtPath()}, {"AutoPS", "1"}, {"RTSwitch", "1"},
        {"InsertDate", "False"}});
    start();

    const Song songs[] = {
        {"Artist A,Song A\r\n", QStringLiteral("Artist A Song A"), "Now: Artist A - Song A"},
        {"\"Band, The\",Second Song,Album\r\n", QStringLiteral("Band, The Second Song Album"), "Now: The Band"},
        {"Delta Duo,Quiet\r\n", QStringLiteral("Delta Duo Quiet"), "Now: Delta Duo"},
        {"Gamma Band\r\nFinal Song\r\n", QStringLiteral("Gamma Band Final Song"), "Now: Gamma Band"},
    };
    using Write = void (PlayoutTest::*)(const QString &, const QByteArray &);
    const Write ways[] = {&PlayoutTest::byReplacing, &PlayoutTest::byTruncateAndWrite, &PlayoutTest::byEmptyingFirst,
        &PlayoutTest::byDeleteAndCreate};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(songs[i].title.toStdString());
        (this->*ways[i])(psPath(), songs[i].psFile);
        (this->*ways[i])(rtPath(), songs[i].rtLine + "\r\n");
        ASSERT_TRUE(runUntil([&] { return onAir(songs[i]); }, 60000));
    }
    ASSERT_TRUE(runUntil([&] { return station().line().isIdle(); }, 30000));
    EXPECT_TRUE(boxes.texts().isEmpty()) << shownBoxes();

    // Every PS the transmitter ever got began a whole title.
    QStringList whole{QStringLiteral("\"Intro Ji\"")};
    for (const Song &s : songs)
        whole << QLatin1Char('"') + s.title.left(8) + QLatin1Char('"');
    for (const QString &sent : ps00Sent)
        EXPECT_TRUE(whole.contains(sent)) << "a partial title went out: " << sent.toStdString();
    for (const QString &sent : rtSent)
        EXPECT_FALSE(sent.contains(QLatin1String("\"\""))) << "an empty RT went out";

    // Gone for good: after two ticks the update switches itself off, with its message.
    QFile::remove(psPath());
    ASSERT_TRUE(runUntil([&] { return !boxes.texts().isEmpty(); }, 10000));
    EXPECT_EQ(boxes.texts(), QStringList{kFileNotFoundMessage});
    runFor(200);
    EXPECT_EQ(stored(QStringLiteral("AutoPS")), QStringLiteral("0"));
    EXPECT_EQ(stored(QStringLiteral("RTSwitch")), QStringLiteral("0"));
}
