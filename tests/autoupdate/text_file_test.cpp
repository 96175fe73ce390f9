#include "autoupdate/text_file.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace zfm;

TEST(TextFile, DecodesUtf8ElseWindows1252)
{
    // Octal escapes where a letter follows that a hex escape would swallow.
    const std::tuple<QByteArray, bool, QString> rows[] = {
        {"Mot\xC3\xB6rhead \xE2\x82\xAC", false, QStringLiteral(u"Motörhead €")},
        {"Mot\xF6rhead \x80", false, QStringLiteral(u"Motörhead €")}, {"\357\273\277BOM", false, QStringLiteral("BOM")},
        {QByteArray("\377\376A\0\351\0", 6), false, QStringLiteral(u"Aé")},
        // A read cut inside a UTF-8 character is still UTF-8; at the real end it is not.
        {"Caf\xC3\xA9 M\xC3", true, QStringLiteral(u"Café M")},
        {"Caf\xC3\xA9 M\xC3", false, QStringLiteral(u"CafÃ© MÃ")},
        // Control characters never reach a frame; line ends stay. C1 controls
        // too: UTF-8 ones, and the bytes Windows-1252 leaves unassigned.
        {"A\001B\002C\tD\177E\r\nF", false, QStringLiteral("A B C D E\r\nF")},
        {"A\302\205B\302\237", false, QStringLiteral("A B ")},
        {"Caf\xE9\x81\x8D\x8F\x90\x9D", false, QStringLiteral(u"Café     ")},
        {"e\xCC\x81", false, QStringLiteral(u"é")}};
    for (const auto &[bytes, truncated, text] : rows)
        EXPECT_EQ(decodeText(bytes, truncated), text) << bytes.toHex().constData();
}

TEST(TextFile, TellsMissingFromUnreadable)
{
    using S = TextFile::Status;
    QTemporaryDir dir;
    auto file = [&](const char *name, const QByteArray &bytes) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    const QString text = file("song.txt", "Artist,Title\r\n");
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const std::tuple<QString, S, QString> rows[] = {
        {text, S::Ok, QStringLiteral("Artist,Title\r\n")},
        {file("empty.txt", {}), S::Ok, QString()},
        {dir.filePath(QStringLiteral("absent.txt")), S::NotFound, {}},
        {text + QStringLiteral("/song.txt"), S::NotFound, {}},
        {QStringLiteral("c:\\SongName.txt"), S::NotFound, {}},
        {dir.path(), S::Unreadable, {}},
        {file("song.mp3", QByteArray("ID3\x04\0\0", 6)), S::Unreadable, {}},
        {fifo, S::Unreadable, {}}, // opening it would block until someone writes
        {QStringLiteral("/dev/zero"), S::Unreadable, {}},
    };
    for (const auto &[path, status, content] : rows) {
        const TextFile got = readTextFile(path, 4096);
        EXPECT_EQ(got.status, status) << path.toStdString();
        EXPECT_EQ(got.text, content) << path.toStdString();
    }
    if (geteuid() != 0) {
        ASSERT_TRUE(QFile::setPermissions(text, QFileDevice::WriteOwner));
        EXPECT_EQ(readTextFile(text, 4096).status, S::Unreadable);
    }

    const QString big = file("log.txt", "Artist\r\n" + QByteArray(8 << 20, 'x'));
    EXPECT_EQ(readTextFile(big, 1000).text, QStringLiteral("Artist\r\n") + QString(992, u'x'));
}
