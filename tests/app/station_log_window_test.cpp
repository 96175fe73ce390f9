// The "Station log" window opened from the real main window (offscreen)
// against the virtual transmitter: the events with their filters and live
// updates, the export, the history charts; a log that cannot be written.
#include "app/history_chart.h"
#include "app/history_tab.h"
#include "app/log_events_tab.h"
#include "app/station_log_window.h"
#include "app/time_range_bar.h"
#include "log/station_log.h"
#include "support/wait.h"
#include "support/window_fixture.h"
#include "virtual_transmitter.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace zfm;
using namespace zfm::test;

namespace {

class StationLogWindowTest : public WindowTest {
protected:
    StationLogWindow &openLog()
    {
        window->findChild<QAction *>(QStringLiteral("mnuStationLog"))->trigger();
        auto *w = window->findChild<StationLogWindow *>();
        EXPECT_NE(w, nullptr);
        return *w;
    }
    // The kinds of the rows the table shows, top down.
    static QStringList kinds(StationLogWindow &w)
    {
        QStringList out;
        LogEventsModel &m = w.events().model();
        for (int i = 0; i < m.rowCount(); ++i)
            out << m.at(i).kind;
        return out;
    }
};

} // namespace

TEST_F(StationLogWindowTest, ShowsFiltersAndFollowsTheLog)
{
    useDevice(); // reports "AlarmCode=05": T AMP and T EXC
    start();
    StationLogWindow &w = openLog();
    EXPECT_TRUE(w.isVisible());
    ASSERT_TRUE(runUntil([&] { return kinds(w) == QStringList{"start"}; }));

    // Live: what happens while the window is open comes in on top.
    click("cmdReadTX");
    ASSERT_TRUE(runUntil([&] { return kinds(w).size() == 3; })) << kinds(w).join(',').toStdString();
    EXPECT_EQ(kinds(w), QStringList({"alarm-raised", "alarm-raised", "start"}));
    EXPECT_EQ(w.events().model().at(0).text, QStringLiteral("T EXC ALARM raised: forward 50 W, reflected 1.2 W"));
    EXPECT_EQ(w.events().summary(), QStringLiteral("3 events"));

    // Kind, words and period narrow it down.
    auto *kind = w.findChild<QComboBox *>(QStringLiteral("cmbKind"));
    auto *search = w.findChild<QLineEdit *>(QStringLiteral("txtSearch"));
    auto *period = w.findChild<QComboBox *>(QStringLiteral("cmbPeriod"));
    struct Step {
        const char *kind;
        const char *search;
        const char *period;
        QStringList shown;
    };
    const Step steps[] = {
        {"Alarms", "t exc", "All time", {"alarm-raised"}},
        {"All events", "started", "Last hour", {"start"}},
        {"All events", "", "Last week", {"alarm-raised", "alarm-raised", "start"}},
    };
    for (const Step &s : steps) {
        kind->setCurrentText(QLatin1String(s.kind));
        search->setText(QLatin1String(s.search));
        period->setCurrentText(QLatin1String(s.period));
        EXPECT_TRUE(runUntil([&] { return kinds(w) == s.shown; }, 3000))
            << s.kind << "/" << s.search << ": " << kinds(w).join(',').toStdString();
    }

    // The export writes what the filter shows.
    kind->setCurrentText(QStringLiteral("Alarms"));
    ASSERT_TRUE(runUntil([&] { return kinds(w).size() == 2; }));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("alarms.csv"));
    QSignalSpy exported(&w.events(), &LogEventsTab::exportFinished);
    w.events().exportTo(file);
    ASSERT_TRUE(runUntil([&] { return !exported.isEmpty(); }));
    QFile csv(file);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> records = csv.readAll().split('\n');
    ASSERT_EQ(records.size(), 4); // header, two events, the empty rest after the last CR LF
    EXPECT_EQ(records[0], "id,time,kind,text\r");
    EXPECT_TRUE(records[1].endsWith(",alarm-raised,\"T AMP ALARM raised: forward 50 W, reflected 1.2 W\"\r"))
        << records[1].toStdString();
    EXPECT_TRUE(w.events().summary().startsWith(QStringLiteral("2 events exported to ")));

    // The history: the readings drawn, their values under the pointer.
    w.tabs()->setCurrentIndex(1);
    HistoryTab &history = w.history();
    ASSERT_TRUE(runUntil([&] { return history.history().rowsInRange >= 1; }));
    const HistoryChart *power = history.charts().front();
    EXPECT_GT(power->pointCount(), 0);
    const qint64 readAt = history.history().columns.front().firstUnix;
    EXPECT_TRUE(power->valuesAt(readAt).contains(QStringLiteral("Forward power: 50.0 W")))
        << power->valuesAt(readAt).toStdString();
    EXPECT_TRUE(power->valuesAt(readAt).contains(QStringLiteral("Reflected power: 1.2 W")));
    EXPECT_EQ(history.history().alarms.size(), 2u);
    EXPECT_TRUE(history.summary().startsWith(QStringLiteral("1 reading, 2 alarms raised")))
        << history.summary().toStdString();

    // File > Station log again brings the same window forward.
    EXPECT_EQ(&openLog(), &w);
    EXPECT_EQ(window->findChildren<StationLogWindow *>().size(), 1);
}

// A gap in the readings (the program was closed) is a gap in the line.
TEST_F(StationLogWindowTest, GapsInTheHistoryBreakTheLine)
{
    start();
    const QDateTime now = QDateTime::currentDateTime();
    {
        LogStore store(window->stationLog().path());
        ASSERT_TRUE(store.open());
        std::vector<TelemetrySample> samples;
        // Readings from 50 to 10 minutes ago, none between 33 and 17.
        for (int s = 3000; s >= 600; --s) {
            if (s < 2000 && s > 1000)
                continue;
            TelemetrySample x;
            x.time = now.addSecs(-s);
            x.forwardW = 40;
            samples.push_back(x);
        }
        ASSERT_TRUE(store.append({}, samples));
    }
    StationLogWindow &w = openLog();
    w.history().range().setPeriod(TimeRangeBar::Period::LastHour);
    w.tabs()->setCurrentIndex(1);
    ASSERT_TRUE(runUntil([&] { return w.history().history().rowsInRange == 1402; }));
    EXPECT_EQ(w.history().charts().front()->seriesCount(), 2);
    EXPECT_EQ(w.history().charts()[1]->seriesCount(), 0);
}

// A log that cannot be written is reported once; the program goes on.
TEST_F(StationLogWindowTest, AnUnwritableLogIsReportedOnce)
{
    // Something that is not a folder stands where the log's folder would be.
    const QString blocked = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Kestrel Devices");
    QDir(blocked).removeRecursively();
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    auto &dev = useDevice();
    store(QStringLiteral("AutoRead"), QStringLiteral("True"));
    start();
    ASSERT_TRUE(runUntil([&] { return dev.state().counters.statusReplies >= 4; }, 15000));
    runFor(300);
    const QStringList told = boxes.texts().filter(QStringLiteral("The station log cannot be written"));
    EXPECT_EQ(told.size(), 1) << boxes.texts().join('|').toStdString();
    EXPECT_TRUE(told.value(0).contains(QStringLiteral("Kestrel Devices"))) << told.value(0).toStdString();
    EXPECT_EQ(find<QLabel>("txtOutputPower")->text(), QStringLiteral("50.0W"));
    window.reset();
    QFile::remove(blocked);
}
