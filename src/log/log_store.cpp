#include "log/log_store.h"

#include "log/csv.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QSqlError>

#include <atomic>

namespace zfm {

namespace {

// Each store has a connection of its own, named uniquely in the process.
QString newConnectionName()
{
    static std::atomic<int> next{0};
    return QStringLiteral("zfm-station-log-%1").arg(next++);
}

QString latin1(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

QVariant optionalValue(const std::optional<double> &v)
{
    return v ? QVariant(*v) : QVariant(QMetaType(QMetaType::Double));
}
QVariant optionalValue(const std::optional<int> &v) { return v ? QVariant(*v) : QVariant(QMetaType(QMetaType::Int)); }

const QStringList kSchema = {
    QStringLiteral("CREATE TABLE IF NOT EXISTS events(id INTEGER PRIMARY KEY, time TEXT, kind TEXT, text TEXT, "
                   "unix_time INTEGER)"),
    QStringLiteral("CREATE INDEX IF NOT EXISTS events_unix_time ON events(unix_time)"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS telemetry(time TEXT, alarm_mask INTEGER, forward_w REAL, "
                   "reflected_w REAL, exciter_temp_c REAL, amplifier_temp_c REAL, exciter_current_a REAL, "
                   "amplifier_current_a REAL, exciter_voltage_v REAL, amplifier_voltage_v REAL, "
                   "audio_level INTEGER, frequency_khz INTEGER, unix_time INTEGER)"),
    QStringLiteral("CREATE INDEX IF NOT EXISTS telemetry_unix_time ON telemetry(unix_time)"),
};

// The charts' summary of the history: per minute, the rows and the least
// and greatest value of each measure, so a week or a quarter reads as
// thousands of rows rather than millions. Derived from telemetry.
QString minutesTable()
{
    QString sql = QStringLiteral("CREATE TABLE IF NOT EXISTS telemetry_minutes(minute INTEGER PRIMARY KEY, "
                                 "rows INTEGER, first_unix INTEGER, last_unix INTEGER");
    for (const MeasureInfo &m : kMeasures)
        sql += QStringLiteral(", %1_min REAL, %1_max REAL").arg(latin1(m.column));
    return sql + QLatin1Char(')');
}

// ", min(x), max(x)" for each charted measure's column x, each side's
// column named by its pattern ("%1", or "%1_min" and "%1_max" in the summary).
QString measureAggregates(const QString &least, const QString &greatest)
{
    QString sql;
    for (const MeasureInfo &m : kMeasures) {
        const QString column = latin1(m.column);
        sql += QStringLiteral(", min(%1), max(%2)").arg(least.arg(column), greatest.arg(column));
    }
    return sql;
}

// Folds the telemetry rows after a given rowid into the summary (after 0: all of them).
QString minutesUpdate()
{
    QString update = QStringLiteral("rows = rows + excluded.rows, first_unix = min(first_unix, excluded.first_unix), "
                                    "last_unix = max(last_unix, excluded.last_unix)");
    for (const MeasureInfo &m : kMeasures) {
        // SQLite's two-argument min() and max() give NULL when either side is.
        update += QStringLiteral(", %1_min = min(coalesce(%1_min, excluded.%1_min), coalesce(excluded.%1_min, %1_min))"
                                 ", %1_max = max(coalesce(%1_max, excluded.%1_max), coalesce(excluded.%1_max, %1_max))")
                      .arg(latin1(m.column));
    }
    return QStringLiteral("INSERT INTO telemetry_minutes SELECT unix_time / 60, count(*), min(unix_time), "
                          "max(unix_time)%1 FROM telemetry WHERE rowid > ? GROUP BY unix_time / 60 "
                          "ON CONFLICT(minute) DO UPDATE SET %2")
        .arg(measureAggregates(QStringLiteral("%1"), QStringLiteral("%1")), update);
}

// LIKE's own wildcards in the operator's text stand for themselves.
QString likePattern(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    escaped.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

} // namespace

LogStore::LogStore(QString path, Options options)
    : path_(std::move(path)), options_(options), connection_(newConnectionName())
{
}

LogStore::~LogStore()
{
    insertEvent_.reset();
    insertSample_.reset();
    updateMinutes_.reset();
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
}

bool LogStore::fail(const QString &what, const QString &detail)
{
    error_ = QStringLiteral("%1 (%2): %3").arg(what, QDir::toNativeSeparators(path_), detail);
    return false;
}

bool LogStore::exec(QSqlQuery &query, const QString &what)
{
    if (query.exec())
        return true;
    return fail(what, query.lastError().text());
}

bool LogStore::open()
{
    if (open_)
        return true;
    const QString folder = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("The station log's folder could not be made"), folder);

    QSqlDatabase db = QSqlDatabase::contains(connection_)
        ? QSqlDatabase::database(connection_, false)
        : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    if (!db.isValid())
        return fail(QStringLiteral("The station log could not be opened"), QStringLiteral("no SQLite driver"));
    db.setDatabaseName(path_);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(options_.busyTimeoutMs));
    if (!db.open())
        return fail(QStringLiteral("The station log could not be opened"), db.lastError().text());

    QSqlQuery q(db);
    // Readers (the log window, the export, sqlite3) never block the writer, nor it them.
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))) {
        const QString detail = q.lastError().text();
        db.close();
        return fail(QStringLiteral("The station log could not be opened"), detail);
    }
    q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    for (const QString &statement : kSchema + QStringList{minutesTable()}) {
        if (!q.exec(statement)) {
            const QString detail = q.lastError().text();
            db.close();
            return fail(QStringLiteral("The station log's tables could not be made"), detail);
        }
    }

    updateMinutes_ = std::make_unique<QSqlQuery>(db);
    updateMinutes_->prepare(minutesUpdate());
    // A file written before the summary existed gets it now.
    if (q.exec(QStringLiteral("SELECT EXISTS(SELECT 1 FROM telemetry) AND NOT EXISTS(SELECT 1 FROM telemetry_minutes)"))
        && q.next() && q.value(0).toBool()) {
        updateMinutes_->addBindValue(0);
        updateMinutes_->exec();
    }

    insertEvent_ = std::make_unique<QSqlQuery>(db);
    insertEvent_->prepare(QStringLiteral("INSERT INTO events(time, kind, text, unix_time) VALUES (?, ?, ?, ?)"));
    insertSample_ = std::make_unique<QSqlQuery>(db);
    insertSample_->prepare(QStringLiteral(
        "INSERT INTO telemetry(time, alarm_mask, forward_w, reflected_w, exciter_temp_c, amplifier_temp_c, "
        "exciter_current_a, amplifier_current_a, exciter_voltage_v, amplifier_voltage_v, audio_level, "
        "frequency_khz, unix_time) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    open_ = true;
    error_.clear();
    return true;
}

bool LogStore::prune(const QDateTime &now)
{
    if (!open_)
        return false;
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("DELETE FROM events WHERE unix_time < ?"));
    q.addBindValue(now.addYears(-kEventKeepYears).toSecsSinceEpoch());
    if (!exec(q, QStringLiteral("Old events could not be removed from the station log")))
        return false;
    const qint64 cutoff = now.addDays(-kTelemetryKeepDays).toSecsSinceEpoch();
    q.prepare(QStringLiteral("DELETE FROM telemetry WHERE unix_time < ?"));
    q.addBindValue(cutoff);
    if (!exec(q, QStringLiteral("Old transmitter history could not be removed from the station log")))
        return false;
    q.prepare(QStringLiteral("DELETE FROM telemetry_minutes WHERE minute < ?"));
    q.addBindValue(cutoff / 60);
    return exec(q, QStringLiteral("Old transmitter history could not be removed from the station log"));
}

bool LogStore::append(
    const std::vector<LogEvent> &events, const std::vector<TelemetrySample> &samples, qint64 *lastEventId)
{
    if (!open_)
        return false;
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    const QString what = QStringLiteral("The station log could not be written");
    if (!db.transaction())
        return fail(what, db.lastError().text());
    qint64 lastId = 0;
    bool ok = true;
    for (const LogEvent &e : events) {
        insertEvent_->addBindValue(storedTime(e.time));
        insertEvent_->addBindValue(eventKindName(e.kind));
        insertEvent_->addBindValue(e.text);
        insertEvent_->addBindValue(e.time.toSecsSinceEpoch());
        if (!(ok = exec(*insertEvent_, what)))
            break;
        lastId = insertEvent_->lastInsertId().toLongLong();
    }
    // The summary takes the batch's rows in one statement, after them.
    qint64 firstNewRow = 0;
    if (!samples.empty()) {
        QSqlQuery last(db);
        if (last.exec(QStringLiteral("SELECT coalesce(max(rowid), 0) FROM telemetry")) && last.next())
            firstNewRow = last.value(0).toLongLong();
        else
            ok = fail(what, last.lastError().text());
    }
    for (size_t i = 0; ok && i < samples.size(); ++i) {
        const TelemetrySample &s = samples[i];
        QSqlQuery &q = *insertSample_;
        q.addBindValue(storedTime(s.time));
        q.addBindValue(optionalValue(s.alarmMask));
        q.addBindValue(optionalValue(s.forwardW));
        q.addBindValue(optionalValue(s.reflectedW));
        q.addBindValue(optionalValue(s.exciterTempC));
        q.addBindValue(optionalValue(s.amplifierTempC));
        q.addBindValue(optionalValue(s.exciterCurrentA));
        q.addBindValue(optionalValue(s.amplifierCurrentA));
        q.addBindValue(optionalValue(s.exciterVoltageV));
        q.addBindValue(optionalValue(s.amplifierVoltageV));
        q.addBindValue(optionalValue(s.audioLevel));
        q.addBindValue(optionalValue(s.frequencyKHz));
        q.addBindValue(s.time.toSecsSinceEpoch());
        ok = exec(q, what);
    }
    if (ok && !samples.empty()) {
        updateMinutes_->addBindValue(firstNewRow);
        ok = exec(*updateMinutes_, what);
    }
    if (ok && !db.commit())
        ok = fail(what, db.lastError().text());
    if (!ok) {
        db.rollback();
        return false;
    }
    if (lastEventId && lastId)
        *lastEventId = lastId;
    return true;
}

QString LogStore::filterClause(const EventFilter &filter, QVariantList &values) const
{
    QStringList where;
    if ((filter.kinds & kAllEventKinds) != kAllEventKinds) {
        QStringList marks;
        for (const EventKindInfo &k : kEventKinds) {
            if (filter.kinds & eventKindBit(k.kind)) {
                marks << QStringLiteral("?");
                values << latin1(k.name);
            }
        }
        where << (marks.isEmpty() ? QStringLiteral("0") : QStringLiteral("kind IN (%1)").arg(marks.join(',')));
    }
    if (!filter.search.isEmpty()) {
        where << QStringLiteral("text LIKE ? ESCAPE '\\'");
        values << likePattern(filter.search);
    }
    if (filter.from.isValid()) {
        where << QStringLiteral("unix_time >= ?");
        values << filter.from.toSecsSinceEpoch();
    }
    if (filter.to.isValid()) {
        where << QStringLiteral("unix_time < ?");
        values << filter.to.toSecsSinceEpoch();
    }
    if (filter.afterId > 0) {
        where << QStringLiteral("id > ?");
        values << filter.afterId;
    }
    return where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
}

std::vector<StoredEvent> LogStore::events(const EventFilter &filter)
{
    std::vector<StoredEvent> rows;
    if (!open_)
        return rows;
    QVariantList values;
    QString sql = QStringLiteral("SELECT id, time, kind, text FROM events") + filterClause(filter, values)
        + QStringLiteral(" ORDER BY id DESC");
    if (filter.limit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(filter.limit);
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant &v : std::as_const(values))
        q.addBindValue(v);
    if (!exec(q, QStringLiteral("The station log could not be read")))
        return rows;
    while (q.next())
        rows.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString()});
    return rows;
}

qint64 LogStore::countEvents(const EventFilter &filter)
{
    if (!open_)
        return 0;
    QVariantList values;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral("SELECT count(*) FROM events") + filterClause(filter, values));
    for (const QVariant &v : std::as_const(values))
        q.addBindValue(v);
    if (!exec(q, QStringLiteral("The station log could not be read")) || !q.next())
        return 0;
    return q.value(0).toLongLong();
}

History LogStore::history(const HistoryRequest &request)
{
    History h;
    h.request = request;
    const qint64 from = request.from.toSecsSinceEpoch();
    const qint64 to = request.to.toSecsSinceEpoch();
    const qint64 columns = std::max(1, request.columns);
    if (!open_ || to <= from)
        return h;
    // One row per pixel column: the database groups, the program reads only
    // the groups. Columns of a minute or more are made from the summary.
    const bool byMinute = (to - from) / columns >= 60;
    QString sql;
    if (byMinute) {
        sql = QStringLiteral("SELECT (minute * 60 - ?) * ? / ? AS col, sum(rows), min(first_unix), max(last_unix)")
            + measureAggregates(QStringLiteral("%1_min"), QStringLiteral("%1_max"))
            + QStringLiteral(" FROM telemetry_minutes WHERE minute >= ? AND minute < ? GROUP BY col ORDER BY col");
    } else {
        sql = QStringLiteral("SELECT (unix_time - ?) * ? / ? AS col, count(*), min(unix_time), max(unix_time)")
            + measureAggregates(QStringLiteral("%1"), QStringLiteral("%1"))
            + QStringLiteral(" FROM telemetry WHERE unix_time >= ? AND unix_time < ? GROUP BY col ORDER BY col");
    }
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    q.prepare(sql);
    const qint64 lower = byMinute ? from / 60 : from;
    const qint64 upper = byMinute ? (to + 59) / 60 : to;
    for (const qint64 v : {from, columns, to - from, lower, upper})
        q.addBindValue(v);
    if (!exec(q, QStringLiteral("The transmitter history could not be read")))
        return h;
    constexpr int kFirstValue = 4;
    while (q.next()) {
        HistoryColumn c;
        c.rows = q.value(1).toLongLong();
        c.firstUnix = q.value(2).toLongLong();
        c.lastUnix = q.value(3).toLongLong();
        for (size_t i = 0; i < kMeasures.size(); ++i) {
            const QVariant lo = q.value(kFirstValue + 2 * static_cast<int>(i));
            const QVariant hi = q.value(kFirstValue + 2 * static_cast<int>(i) + 1);
            if (!lo.isNull() && !hi.isNull())
                c.values[i] = {lo.toDouble(), hi.toDouble(), true};
        }
        h.rowsInRange += c.rows;
        h.columns.push_back(c);
    }

    QSqlQuery a(QSqlDatabase::database(connection_, false));
    a.setForwardOnly(true);
    a.prepare(QStringLiteral("SELECT unix_time, kind, text FROM events WHERE kind IN ('alarm-raised', "
                             "'alarm-cleared') AND unix_time >= ? AND unix_time < ? ORDER BY id LIMIT 5000"));
    a.addBindValue(from);
    a.addBindValue(to);
    if (!exec(a, QStringLiteral("The alarms could not be read")))
        return h;
    while (a.next())
        h.alarms.push_back(
            {a.value(0).toLongLong(), a.value(1).toString() == QLatin1String("alarm-raised"), a.value(2).toString()});
    return h;
}

qint64 LogStore::exportEvents(const EventFilter &filter, QIODevice &out)
{
    if (!open_)
        return -1;
    EventFilter all = filter;
    all.limit = 0;
    QVariantList values;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT id, time, kind, text FROM events") + filterClause(all, values)
        + QStringLiteral(" ORDER BY id"));
    for (const QVariant &v : std::as_const(values))
        q.addBindValue(v);
    if (!exec(q, QStringLiteral("The station log could not be read")))
        return -1;
    const auto put = [&](const QStringList &fields) {
        const QByteArray record = csvRecord(fields);
        return out.write(record) == record.size();
    };
    if (!put({QStringLiteral("id"), QStringLiteral("time"), QStringLiteral("kind"), QStringLiteral("text")}))
        return -1;
    qint64 rows = 0;
    while (q.next()) {
        if (!put({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString()}))
            return -1;
        ++rows;
    }
    return rows;
}

} // namespace zfm
