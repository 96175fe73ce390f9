#pragma once

#include "log/log_event.h"
#include "log/telemetry_sample.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <memory>
#include <vector>

class QIODevice;

namespace zfm {

// Which events to read: kinds, a text to look for, a time range and, for a
// live view, only those after the newest one already shown.
struct EventFilter {
    EventKinds kinds = kAllEventKinds;
    // Found anywhere in the text; letters A to Z in either case.
    QString search;
    // From (inclusive) and to (exclusive); invalid means open.
    QDateTime from;
    QDateTime to;
    qint64 afterId = 0;
    // Newest first, at most this many; 0 for all.
    int limit = 0;
};

// An event as stored; `kind` as its name, so a kind written by a later
// version still reads.
struct StoredEvent {
    qint64 id = 0;
    QString time;
    QString kind;
    QString text;
};

// The transmitter history over a time range, read in as many columns as the
// chart has pixels: each column holds the least and greatest value of each
// measure among the rows that fall into it.
struct HistoryRequest {
    QDateTime from;
    QDateTime to;
    int columns = 800;
};
struct ValueRange {
    double min = 0;
    double max = 0;
    bool valid = false;
};
struct HistoryColumn {
    qint64 firstUnix = 0; // the column's first and last row, seconds since 1970 UTC
    qint64 lastUnix = 0;
    qint64 rows = 0;
    std::array<ValueRange, kMeasures.size()> values{};
};
// An alarm that rose or cleared within the range.
struct AlarmMark {
    qint64 unixTime = 0;
    bool raised = true;
    QString text;
};
struct History {
    HistoryRequest request;
    std::vector<HistoryColumn> columns;
    std::vector<AlarmMark> alarms;
    // Telemetry rows the columns were made of (the program reads only the columns).
    qint64 rowsInRange = 0;
};

// The station log's SQLite file. One connection, to be used in the thread
// that created it (Qt's connections are per thread). Every method reports
// failure through its result and lastError(); nothing throws.
//
// Schema (public, see the README): events(id, time, kind, text) and
// telemetry(time, alarm_mask, forward_w, ..., frequency_khz), each with one
// more column, unix_time, the same moment as seconds since 1970 UTC, indexed
// for range queries (ISO text with changing offsets does not sort across a
// daylight-saving change); and telemetry_minutes, a per-minute summary the
// charts read for periods longer than a few hours.
class LogStore {
public:
    struct Options {
        // How long a write waits for another program's write lock to go.
        int busyTimeoutMs = 5000;
    };

    explicit LogStore(QString path) : LogStore(std::move(path), Options{}) { }
    LogStore(QString path, Options options);
    ~LogStore();
    LogStore(const LogStore &) = delete;
    LogStore &operator=(const LogStore &) = delete;

    // Creates the folder, the file and the tables as needed, in WAL mode.
    bool open();
    bool isOpen() const { return open_; }
    const QString &path() const { return path_; }
    // The last failure as a sentence naming the file.
    const QString &lastError() const { return error_; }

    // Removes events older than a year and telemetry older than 90 days.
    bool prune(const QDateTime &now);

    // Everything in one transaction: all rows or none. `lastEventId` is the
    // id of the last event written.
    bool append(const std::vector<LogEvent> &events, const std::vector<TelemetrySample> &samples,
        qint64 *lastEventId = nullptr);

    std::vector<StoredEvent> events(const EventFilter &filter);
    // How many events the filter matches (its limit aside).
    qint64 countEvents(const EventFilter &filter);
    History history(const HistoryRequest &request);
    // Every event the filter matches (its limit aside), oldest first, as CSV
    // (RFC 4180, UTF-8, a header row). The number of rows, or -1.
    qint64 exportEvents(const EventFilter &filter, QIODevice &out);

private:
    bool fail(const QString &what, const QString &detail);
    bool exec(QSqlQuery &query, const QString &what);
    QString filterClause(const EventFilter &filter, QVariantList &values) const;

    QString path_;
    Options options_;
    QString connection_;
    QString error_;
    bool open_ = false;
    std::unique_ptr<QSqlQuery> insertEvent_;
    std::unique_ptr<QSqlQuery> insertSample_;
    std::unique_ptr<QSqlQuery> updateMinutes_;
};

// Tables kept in the store, and for how long.
inline constexpr int kEventKeepYears = 1;
inline constexpr int kTelemetryKeepDays = 90;

} // namespace zfm
