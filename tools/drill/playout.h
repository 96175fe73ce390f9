#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace zfm::drill {

// A playout program for the long runs: rewrites one title file every few
// seconds with a new "Artist,Song" line, in turn the three ways such programs
// replace a file - write and rename, truncate and write in two halves, delete
// and create again - the last two leaving the file half written or missing
// for a moment.
class Playout : public QObject {
    Q_OBJECT
public:
    static constexpr int kPeriodMs = 5000;
    static constexpr int kHalfWayMs = 300;

    explicit Playout(QString path, QObject *parent = nullptr, int periodMs = kPeriodMs);

    void start();
    // No new title; a rewrite under way still finishes.
    void stop();

    QString path() const { return path_; }
    // What the file holds now: the title the program composes from it ("Artist
    // Song") and its first line ("Artist,Song"); both empty while the file is
    // half written or missing.
    QString titleOnFile() const { return complete_ ? title_ : QString(); }
    QString lineOnFile() const { return complete_ ? line_ : QString(); }
    // The last title written, once its rewrite has finished.
    QString lastTitle() const { return title_; }
    QString lastLine() const { return line_; }
    bool rewriting() const { return !complete_; }
    int written() const { return written_; }

    // The eight PS pieces a split title gives: 8 characters each, blank padded.
    static QStringList psPieces(const QString &title);

signals:
    // The file holds a new title whole (lastTitle(), lastLine()).
    void titleWritten();

private:
    void next();
    void finish();
    bool writeWhole(const QByteArray &bytes);

    QString path_;
    QTimer timer_;
    QString title_;
    QString line_;
    QByteArray pendingRest_;
    bool complete_ = true;
    int written_ = 0;
};

} // namespace zfm::drill
