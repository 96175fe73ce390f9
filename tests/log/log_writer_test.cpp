// The writer: rows reach the file in batches, off the caller's thread; a
// store that cannot be written is reported once, and what could not be
// written goes in with the next batch that can be. (A store that cannot be
// opened is reported from the real window, in the station log window's tests.)
#include "log/log_writer.h"
#include "support/printers.h"
#include "support/raw_db.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zfm;
using namespace zfm::test;

namespace {

const QDateTime kNow(QDate(2026, 3, 7), QTime(14, 5, 9));

LogEvent event(int n) { return {kNow.addSecs(n), EventKind::Message, QStringLiteral("event %1").arg(n)}; }

TelemetrySample sample(int n)
{
    TelemetrySample s;
    s.time = kNow.addSecs(n);
    s.forwardW = n;
    return s;
}

LogWriter::Options quick()
{
    LogWriter::Options o;
    o.batchMs = 10;
    o.store.busyTimeoutMs = 50;
    o.retryMs = 0;
    return o;
}

} // namespace

// Another program holds the write lock (sqlite3 in a transaction): the
// writer reports it once, keeps the rows, and writes them all in one batch
// when the lock goes; a later failure is reported again. Opening removed what
// outlived its bound.
TEST(LogWriter, RowsHeldBackByALockedStoreAreWrittenLater)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a/b/station-log.sqlite"));
    {
        LogStore old(path);
        ASSERT_TRUE(old.open());
        ASSERT_TRUE(old.append({{kNow.addYears(-2), EventKind::Start, QStringLiteral("long ago")}}, {}));
    }
    LogWriter writer(path, kNow, quick());
    QSignalSpy failed(&writer, &LogWriter::failed);
    QSignalSpy written(&writer, &LogWriter::written);
    writer.add(event(0));
    writer.sync();
    ASSERT_EQ(written.size(), 1);

    auto other = std::make_unique<RawDb>(path);
    ASSERT_TRUE(other->exec(QStringLiteral("BEGIN IMMEDIATE")));
    for (int i = 1; i <= 3; ++i) {
        writer.add(event(i));
        writer.add(sample(i));
        writer.sync();
    }
    EXPECT_EQ(failed.size(), 1);
    EXPECT_EQ(written.size(), 1);

    ASSERT_TRUE(other->exec(QStringLiteral("ROLLBACK")));
    writer.add(event(4));
    writer.sync();
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(written.last().at(1).toInt(), 4);
    EXPECT_EQ(written.last().at(2).toInt(), 3);
    EXPECT_EQ(other->value(QStringLiteral("SELECT group_concat(text, '|') FROM events")).toString(),
        QStringLiteral("event 0|event 1|event 2|event 3|event 4"));

    ASSERT_TRUE(other->exec(QStringLiteral("BEGIN IMMEDIATE")));
    writer.add(event(5));
    writer.sync();
    EXPECT_EQ(failed.size(), 2);
    ASSERT_TRUE(other->exec(QStringLiteral("ROLLBACK")));
}
