// The automatic PS/RT update against the virtual transmitter while a
// playout program rewrites its files in the three usual ways.
#include "autoupdate/auto_update_engine.h"
#include "support/wait.h"
#include "support/window_fixture.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

using namespace zfm;
using namespace zfm::test;

namespace {

struct Song {
    QByteArray psFile; // what the playout program writes for PS
    QString title; // the title that gives
    QByteArray rtLine;
};

class PlayoutTest : public WindowTest {
public:
    QString psPath() const { return dir.filePath(QStringLiteral("nowplaying.txt")); }
    QString rtPath() const { return dir.filePath(QStringLiteral("radiotext.txt")); }

    // Three ways playout programs replace a file.
    void byRename(const QString &path, const QByteArray &content)
    {
        QSaveFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(content);
        f.commit();
    }
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
    bool onAir(const Song &s)
    {
        return device->state().rds.ps[0] == s.title.left(8).toLatin1() && device->state().rds.rt == s.rtLine;
    }

    QTemporaryDir dir;
    QStringList ps00Sent, rtSent;
};

} // namespace

TEST_F(PlayoutTest, FollowsTheFilesAndNeverSendsAHalfWrittenTitle)
{
    auto &dev = useDevice();
    QObject::connect(&dev, &vt::VirtualTransmitter::logged, [&](const QString &line) {
        if (line.startsWith(QLatin1String("PS00 ")))
            ps00Sent << line.mid(5);
        if (line.startsWith(QLatin1String("RT ")))
            rtSent << line.mid(3);
    });
    byRename(psPath(), "Intro,Jingle\r\n");
    byRename(rtPath(), "Welcome to the station\r\n");
    store(QStringLiteral("AutoPSPath"), psPath());
    store(QStringLiteral("AutoRTPath"), rtPath());
    store(QStringLiteral("AutoPS"), QStringLiteral("1"));
    store(QStringLiteral("RTSwitch"), QStringLiteral("1"));
    store(QStringLiteral("InsertDate"), QStringLiteral("False"));
    start();

    const Song songs[] = {
        {"Artist A,Song A\r\n", QStringLiteral("Artist A Song A"), "Now: Artist A - Song A"},
        {"\"Band, The\",Second Song,Album\r\n", QStringLiteral("Band, The Second Song Album"), "Now: The Band"},
        {"Gamma Band\r\nFinal Song\r\n", QStringLiteral("Gamma Band Final Song"), "Now: Gamma Band"},
    };
    using Write = void (PlayoutTest::*)(const QString &, const QByteArray &);
    const Write ways[] = {&PlayoutTest::byRename, &PlayoutTest::byTruncateAndWrite, &PlayoutTest::byDeleteAndCreate};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(songs[i].title.toStdString());
        (this->*ways[i])(psPath(), songs[i].psFile);
        (this->*ways[i])(rtPath(), songs[i].rtLine + "\r\n");
        ASSERT_TRUE(runUntil([&] { return onAir(songs[i]); }, 60000));
    }
    ASSERT_TRUE(runUntil([&] { return !window->station().runner().isBusy(); }, 30000));
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();

    // Every PS the transmitter ever got began a whole title.
    QStringList whole{QStringLiteral("\"Intro Ji\"")};
    for (const Song &s : songs)
        whole << QLatin1Char('"') + s.title.left(8) + QLatin1Char('"');
    for (const QString &sent : ps00Sent)
        EXPECT_TRUE(whole.contains(sent)) << "a partial title went out: " << sent.toStdString();
    for (const QString &sent : rtSent)
        EXPECT_FALSE(sent.contains(QLatin1String("\"\""))) << "an empty RT went out";

    // The last title split into PS pieces with their delays.
    const auto &rds = dev.state().rds;
    const char *pieces[] = {"Gamma Ba", "nd Final", " Song   "};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(rds.ps[k], k < 3 ? QByteArray(pieces[k]) : QByteArray(8, ' ')) << k;
        EXPECT_EQ(rds.psDelay[k], k < 3 ? 2 : 0) << k;
    }

    // Gone for good: after two ticks the update switches itself off, with its message.
    QFile::remove(psPath());
    ASSERT_TRUE(runUntil([&] { return !boxes.texts().isEmpty(); }, 10000));
    EXPECT_EQ(boxes.texts(), QStringList{kFileNotFoundMessage});
    runFor(200);
    EXPECT_EQ(stored(QStringLiteral("AutoPS")), QStringLiteral("0"));
    EXPECT_EQ(stored(QStringLiteral("RTSwitch")), QStringLiteral("0"));
}
