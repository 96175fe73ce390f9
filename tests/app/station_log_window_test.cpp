// The "Station log" window opened from the real main window (offscreen)
// against the virtual transmitter: the events with their filters and live
// updates, the history chart; a log that cannot be written.
#include "app/history_chart.h"
#include "app/history_tab.h"
#include "app/log_events_tab.h"
#include "app/station_log_window.h"
#include "support/wait.h"
#include "support/window_fixture.h"
#include "virtual_transmitter.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>

using namespace zfm;
using namespace zfm::test;

namespace {

class StationLogWindowTest : public WindowTest {
protected:
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
    window->findChild<QAction *>(QStringLiteral("mnuStationLog"))->trigger();
    ASSERT_NE(window->findChild<StationLogWindow *>(), nullptr);
    StationLogWindow &w = *window->findChild<StationLogWindow *>();
    ASSERT_TRUE(runUntil([&] { return kinds(w) == QStringList{"start"}; }));

    // Live: what happens while the window is open comes in on top.
    click("cmdReadTX");
    ASSERT_TRUE(runUntil([&] { return kinds(w).size() == 3; })) << kinds(w).join(',').toStdString();
    EXPECT_EQ(kinds(w), QStringList({"alarm-raised", "alarm-raised", "start"}));

    // The kind and the words narrow it down (the filters themselves, and the
    // export that follows them, are the store's).
    w.findChild<QComboBox *>(QStringLiteral("cmbKind"))->setCurrentText(QStringLiteral("Alarms"));
    ASSERT_TRUE(runUntil([&] { return kinds(w).size() == 2; }, 3000)) << kinds(w).join(',').toStdString();
    w.findChild<QLineEdit *>(QStringLiteral("txtSearch"))->setText(QStringLiteral("t exc"));
    EXPECT_TRUE(runUntil([&] { return kinds(w) == QStringList{"alarm-raised"}; }, 3000))
        << kinds(w).join(',').toStdString();

    // The history: the readings drawn, their values under the pointer.
    w.tabs()->setCurrentIndex(1);
    HistoryTab &history = w.history();
    ASSERT_TRUE(runUntil([&] { return history.history().rowsInRange >= 1; }));
    const HistoryChart *power = history.charts().front();
    const qint64 readAt = history.history().columns.front().firstUnix;
    EXPECT_TRUE(power->valuesAt(readAt).contains(QStringLiteral("Forward power: 50.0 W")))
        << power->valuesAt(readAt).toStdString();
    EXPECT_TRUE(power->valuesAt(readAt).contains(QStringLiteral("Reflected power: 1.2 W")));
    EXPECT_TRUE(history.summary().startsWith(QStringLiteral("1 reading, 2 alarms raised")))
        << history.summary().toStdString();
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
