// The station log's file: what each row holds, the bounds, the history read a
// pixel column at a time, the filters and the CSV export - each on a real
// SQLite file in a temporary folder.
#include "link/status_reply.h"
#include "log/log_store.h"
#include "support/printers.h"
#include "support/raw_db.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zfm;
using namespace zfm::test;

namespace {

const QDateTime kNow(QDate(2026, 3, 7), QTime(14, 5, 9));

class StoreTest : public ::testing::Test {
protected:
    StoreTest() { store.open(); }
    QString path() const { return dir.filePath(QStringLiteral("log/station-log.sqlite")); }

    QTemporaryDir dir;
    LogStore store{dir.filePath(QStringLiteral("log/station-log.sqlite"))};
};

TelemetrySample sampleAt(const QDateTime &t, double forward)
{
    TelemetrySample s;
    s.time = t;
    s.forwardW = forward;
    s.reflectedW = forward / 40;
    s.alarmMask = 0;
    return s;
}

} // namespace

// One row for each kind, under the kind's public name, at local time with its
// offset; the file is in WAL mode, so that sqlite3 can read it while we write.
TEST_F(StoreTest, EveryKindIsStoredUnderItsName)
{
    // The names as the documentation lists them.
    const char *names[] = {"upload", "upload-failed", "alarm-raised", "alarm-cleared", "link-lost", "link-back",
        "scheme", "clock-sync", "title", "readback", "message", "start", "exit"};
    std::vector<LogEvent> events;
    for (size_t i = 0; i < std::size(names); ++i) {
        const auto kind = eventKindFromName(QLatin1String(names[i]));
        ASSERT_TRUE(kind) << names[i];
        events.push_back({kNow.addSecs(static_cast<qint64>(i)), *kind, QStringLiteral("text %1").arg(i)});
    }
    qint64 lastId = 0;
    ASSERT_TRUE(store.append(events, {}, &lastId)) << store.lastError().toStdString();
    EXPECT_EQ(lastId, static_cast<qint64>(std::size(names)));

    RawDb db(path());
    EXPECT_EQ(db.value(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    const auto rows = db.rows(QStringLiteral("SELECT id, time, kind, text, unix_time FROM events ORDER BY id"));
    ASSERT_EQ(rows.size(), std::size(names));
    const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d$"));
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][2].toString(), QLatin1String(names[i]));
        EXPECT_TRUE(iso.match(rows[i][1].toString()).hasMatch()) << rows[i][1].toString().toStdString();
        // The text and the number name the same moment.
        const QDateTime t = QDateTime::fromString(rows[i][1].toString(), Qt::ISODate);
        EXPECT_EQ(t.toSecsSinceEpoch(), rows[i][4].toLongLong());
        EXPECT_EQ(t, kNow.addSecs(static_cast<qint64>(i)));
    }
}

// A status reply's values as parsed, without their units; NULL where an item was missing.
TEST_F(StoreTest, StatusRepliesBecomeTelemetryRows)
{
    // Replies in the transmitter's own layout (the virtual transmitter's, and
    // cut short), and the row's values after time as sqlite3 prints them ('' for NULL).
    const std::pair<const char *, const char *> rows[] = {
        {"AlarmCode=05,Pfwd=12.5W,Pref=0.3W,Texc=31C,Tamp=40C,Iexc=0.2A,Iamp=1.8A,Uexc=12.0V,Uamp=27.5V,"
         "Uptime=0001D:02H:03M,Freq= 98.500MHz,Firmware=2.1,PowerLimit=50W,Audio=F,",
            "5|12.5|0.3|31.0|40.0|0.2|1.8|12.0|27.5|22|98500"},
        // An alarm code the lamps cannot read, a value without digits, a value
        // cut by its decimal comma, the rest missing (the audio level is read
        // where the reply's layout puts it, as the window shows it).
        {"AlarmCode=7,Pfwd=xxW,Pref=1,5W,", "||1.0|||||||19|"},
    };
    std::vector<TelemetrySample> samples;
    for (const auto &[reply, expected] : rows)
        samples.push_back(telemetryFromReply(decodeStatusReply(reply), kNow));
    ASSERT_TRUE(store.append({}, samples));
    RawDb db(path());
    const auto stored = db.rows(QStringLiteral(
        "SELECT alarm_mask, forward_w, reflected_w, exciter_temp_c, amplifier_temp_c, exciter_current_a, "
        "amplifier_current_a, exciter_voltage_v, amplifier_voltage_v, audio_level, frequency_khz FROM telemetry"));
    ASSERT_EQ(stored.size(), std::size(rows));
    for (size_t i = 0; i < stored.size(); ++i) {
        QStringList values;
        for (const QVariant &v : stored[i])
            values << (v.isNull()                     ? QString()
                    : v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'f', 1)
                                                      : v.toString());
        EXPECT_EQ(values.join(QLatin1Char('|')), QLatin1String(rows[i].second)) << i;
    }
    EXPECT_EQ(reportedNumber(QStringLiteral("1,5W")), 1.5);
    EXPECT_EQ(reportedNumber(QStringLiteral(" -3C")), -3.0);
}

// Start-up removes events older than a year and history older than 90 days.
TEST_F(StoreTest, PruningKeepsAYearOfEventsAndNinetyDaysOfHistory)
{
    struct Age {
        qint64 days;
        bool eventKept;
        bool sampleKept;
    };
    const Age ages[] = {{0, true, true}, {89, true, true}, {91, true, false}, {364, true, false}, {367, false, false}};
    std::vector<LogEvent> events;
    std::vector<TelemetrySample> samples;
    for (const Age &a : ages) {
        events.push_back({kNow.addDays(-a.days), EventKind::Message, QString::number(a.days)});
        samples.push_back(sampleAt(kNow.addDays(-a.days), static_cast<double>(a.days)));
    }
    ASSERT_TRUE(store.append(events, samples));
    ASSERT_TRUE(store.prune(kNow));

    RawDb db(path());
    const auto kept = [&](const char *sql) {
        QStringList days;
        for (const auto &r : db.rows(QLatin1String(sql)))
            days << QString::number(r[0].toInt());
        return days;
    };
    QStringList expectedEvents;
    QStringList expectedSamples;
    for (const Age &a : ages) {
        if (a.eventKept)
            expectedEvents << QString::number(a.days);
        if (a.sampleKept)
            expectedSamples << QString::number(a.days);
    }
    EXPECT_EQ(kept("SELECT text FROM events ORDER BY id"), expectedEvents);
    EXPECT_EQ(kept("SELECT forward_w FROM telemetry ORDER BY rowid"), expectedSamples);
    // The charts' summary goes with the rows it was made of.
    EXPECT_EQ(db.value(QStringLiteral("SELECT count(*) FROM telemetry_minutes")).toInt(), 2);
}

// The history comes as one row per pixel column, each with the least and
// greatest value in it, whether read from the rows or from the per-minute
// summary; a gap stays a gap.
TEST_F(StoreTest, HistoryIsReadAsOneRowPerColumn)
{
    // Twelve hours at one reading a second; the forward power climbs within
    // each hour from 0 to 59.98, and the reflected power has one spike of 9 W.
    const QDateTime start(QDate(2026, 3, 5), QTime(0, 0));
    std::vector<TelemetrySample> samples;
    for (qint64 s = 0; s < 12 * 3600; ++s) {
        if (s >= 8 * 3600 && s < 9 * 3600)
            continue; // the program was closed
        TelemetrySample x = sampleAt(start.addSecs(s), static_cast<double>(s % 3600) / 60.0);
        x.reflectedW = s == 5 * 3600 + 1234 ? 9.0 : 0.5;
        if (s % 2)
            x.exciterTempC = 30;
        samples.push_back(x);
    }
    ASSERT_TRUE(store.append({LogEvent{start.addSecs(5 * 3600), EventKind::AlarmRaised, QStringLiteral("SWR")},
                                 LogEvent{start.addSecs(6 * 3600), EventKind::AlarmCleared, QStringLiteral("SWR")},
                                 LogEvent{start.addSecs(7 * 3600), EventKind::Upload, QStringLiteral("other")}},
        samples));

    struct Case {
        qint64 fromHour;
        qint64 hours;
        int columns; // one per hour: from the summary; one per minute: from the rows
        qint64 gapColumns;
        size_t alarms;
    };
    for (const Case c : {Case{0, 12, 12, 1, 2}, Case{4, 2, 120, 0, 1}}) {
        const History h = store.history(
            {start.addSecs(c.fromHour * 3600), start.addSecs((c.fromHour + c.hours) * 3600), c.columns});
        ASSERT_EQ(static_cast<qint64>(h.columns.size()), c.columns - c.gapColumns) << c.columns;
        const qint64 perColumn = c.hours * 3600 / c.columns;
        EXPECT_EQ(h.rowsInRange, (c.columns - c.gapColumns) * perColumn);
        for (const HistoryColumn &col : h.columns) {
            const qint64 offset = col.firstUnix - start.toSecsSinceEpoch();
            EXPECT_EQ(offset % perColumn, 0);
            EXPECT_EQ(col.rows, perColumn);
            const ValueRange &fwd = col.values[static_cast<size_t>(Measure::ForwardPower)];
            ASSERT_TRUE(fwd.valid);
            EXPECT_DOUBLE_EQ(fwd.min, static_cast<double>(offset % 3600) / 60.0);
            EXPECT_DOUBLE_EQ(fwd.max, static_cast<double>(offset % 3600 + perColumn - 1) / 60.0);
            const ValueRange &ref = col.values[static_cast<size_t>(Measure::ReflectedPower)];
            const bool spike = offset <= 5 * 3600 + 1234 && 5 * 3600 + 1234 < offset + perColumn;
            EXPECT_EQ(ref.max, spike ? 9.0 : 0.5) << offset;
            // A measure with NULLs among its readings is made of the others.
            const ValueRange &exc = col.values[static_cast<size_t>(Measure::ExciterTemperature)];
            EXPECT_TRUE(exc.valid && exc.min == 30 && exc.max == 30);
            EXPECT_FALSE(col.values[static_cast<size_t>(Measure::AmplifierVoltage)].valid);
        }
        // Alarm moments within the range, and nothing else, are marked.
        ASSERT_EQ(h.alarms.size(), c.alarms);
        EXPECT_TRUE(h.alarms[0].raised && (c.alarms == 1 || !h.alarms[1].raised));
    }
}

// The events window's filters: kinds, words (LIKE's wildcards taken literally), period, newer than, newest first.
TEST_F(StoreTest, EventsAreFilteredNewestFirst)
{
    ASSERT_TRUE(store.append(
        {
            {kNow.addSecs(-7200), EventKind::AlarmRaised, QStringLiteral("SWR ALARM raised")},
            {kNow.addSecs(-3600), EventKind::Upload, QStringLiteral("Send settings completed on COM 2 (19 frames)")},
            {kNow.addSecs(-60), EventKind::AlarmCleared, QStringLiteral("SWR ALARM cleared")},
            {kNow, EventKind::Title, QStringLiteral("Title on air: 100% pure_hits")},
        },
        {}));
    struct Case {
        EventKinds kinds;
        const char *search;
        qint64 fromSecs; // before now; 0 for open
        qint64 afterId;
        int limit;
        std::vector<qint64> ids;
    };
    const EventKinds alarms = eventKindBit(EventKind::AlarmRaised) | eventKindBit(EventKind::AlarmCleared);
    const Case cases[] = {
        {kAllEventKinds, "", 0, 0, 0, {4, 3, 2, 1}},
        {alarms, "", 0, 0, 0, {3, 1}},
        {kAllEventKinds, "swr alarm", 0, 0, 0, {3, 1}},
        {kAllEventKinds, "_", 0, 0, 0, {4}},
        {kAllEventKinds, "%", 0, 0, 0, {4}},
        {kAllEventKinds, "", 3600, 0, 0, {4, 3, 2}},
        {kAllEventKinds, "", 0, 2, 0, {4, 3}},
        {kAllEventKinds, "", 0, 0, 2, {4, 3}},
        {0, "", 0, 0, 0, {}},
    };
    for (const Case &c : cases) {
        EventFilter f;
        f.kinds = c.kinds;
        f.search = QString::fromUtf8(c.search);
        if (c.fromSecs)
            f.from = kNow.addSecs(-c.fromSecs);
        f.afterId = c.afterId;
        f.limit = c.limit;
        std::vector<qint64> ids;
        for (const StoredEvent &e : store.events(f))
            ids.push_back(e.id);
        EXPECT_EQ(ids, c.ids) << c.search << " kinds " << c.kinds;
        f.limit = 0;
        EXPECT_EQ(store.countEvents(f), c.limit ? 4 : static_cast<qint64>(c.ids.size())) << c.search;
    }
}

// The export writes every matching event, oldest first, after a header row,
// as RFC 4180 says: fields with a comma, a quote or a line break are quoted,
// quotes doubled, records end with CR LF, UTF-8 throughout.
TEST_F(StoreTest, ExportWritesTheFilteredEventsAsCsv)
{
    ASSERT_TRUE(store.append(
        {
            {kNow, EventKind::Message, QStringLiteral("Error receiving Status.")},
            {kNow.addSecs(1), EventKind::Title, QStringLiteral("Title on air: Sigur R\u00f3s, \"Hopp\u00edpolla\"")},
            {kNow.addSecs(2), EventKind::Message, QStringLiteral("two\r\nlines\nor\rmore")},
            {kNow.addSecs(3), EventKind::Upload, QStringLiteral("not among the kinds asked for")},
        },
        {}));
    EventFilter f;
    f.kinds = eventKindBit(EventKind::Message) | eventKindBit(EventKind::Title);
    f.limit = 1; // the table's limit does not cut the export
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    EXPECT_EQ(store.exportEvents(f, out), 3);
    const QByteArray expected = "id,time,kind,text\r\n1," + storedTime(kNow).toUtf8()
        + ",message,Error receiving Status.\r\n2," + storedTime(kNow.addSecs(1)).toUtf8()
        + ",title,\"Title on air: Sigur R\xc3\xb3s, \"\"Hopp\xc3\xadpolla\"\"\"\r\n3,"
        + storedTime(kNow.addSecs(2)).toUtf8() + ",message,\"two\r\nlines\nor\rmore\"\r\n";
    EXPECT_EQ(out.data(), expected);
}
