#include "playout.h"

#include <QFile>
#include <QSaveFile>

#include <array>

namespace zfm::drill {

namespace {

// Artists and songs of different lengths, so the split fills one to eight PS pieces.
constexpr std::array<const char *, 5> kArtists
    = {"Aurora Vale", "The Nightjars", "DJ Kestrel", "Mira", "Northern Lights Orchestra"};
constexpr std::array<const char *, 7> kSongs
    = {"Blue", "Over the Harbour Wall", "Static", "Night Drive", "A Very Long Song Title Indeed", "Echo", "Tides"};

} // namespace

Playout::Playout(QString path, QObject *parent, int periodMs) : QObject(parent), path_(std::move(path))
{
    timer_.setInterval(periodMs);
    connect(&timer_, &QTimer::timeout, this, &Playout::next);
}

void Playout::start()
{
    next();
    timer_.start();
}

void Playout::stop() { timer_.stop(); }

QStringList Playout::psPieces(const QString &title)
{
    QStringList pieces;
    for (int i = 0; i < 8; ++i)
        pieces << title.mid(i * 8, 8).leftJustified(8);
    return pieces;
}

bool Playout::writeWhole(const QByteArray &bytes)
{
    QFile f(path_);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

void Playout::next()
{
    if (!complete_)
        return; // the previous rewrite has not finished (never with these periods)
    const int k = written_++;
    const QString artist = QLatin1String(kArtists[static_cast<size_t>(k) % kArtists.size()]);
    const QString song
        = QLatin1String(kSongs[static_cast<size_t>(k) % kSongs.size()]) + QLatin1Char(' ') + QString::number(k);
    title_ = artist + QLatin1Char(' ') + song;
    line_ = artist + QLatin1Char(',') + song;
    const QByteArray bytes = line_.toLatin1() + "\r\n";
    switch (k % 3) {
    case 0: {
        QSaveFile f(path_);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        f.commit();
        emit titleWritten();
        return;
    }
    case 1: {
        complete_ = false;
        const qsizetype half = bytes.size() / 2;
        writeWhole(bytes.left(half));
        pendingRest_ = bytes.mid(half);
        break;
    }
    default:
        complete_ = false;
        QFile::remove(path_);
        pendingRest_ = bytes;
        break;
    }
    QTimer::singleShot(kHalfWayMs, this, &Playout::finish);
}

void Playout::finish()
{
    QFile f(path_);
    if (f.open(QIODevice::WriteOnly | QIODevice::Append))
        f.write(pendingRest_);
    pendingRest_.clear();
    complete_ = true;
    emit titleWritten();
}

} // namespace zfm::drill
