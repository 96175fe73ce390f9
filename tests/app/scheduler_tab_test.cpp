// The scheduler tab and the scheme editor in the real window: adding,
// editing and removing through the editor's controls, the refusals, the
// buttons' enabling, and the list's stored form across runs.
#include "app/station.h"
#include "scheduler/scheme_line.h"
#include "support/printers.h"
#include "support/scheduler_window.h"

#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QTimeEdit>

using namespace zfm;
using namespace zfm::test;

using SchedulerTab = SchedulerWindowTest;

namespace {
QString key(const char *family, int i) { return QStringLiteral("%1 %2").arg(QLatin1String(family)).arg(i); }
} // namespace

TEST_F(SchedulerTab, AddedSchemesAreListedUntickedAndStored)
{
    start();
    EXPECT_EQ(enabling(), QStringLiteral("1100"));
    listButton("cmdAdd")->click();
    ASSERT_TRUE(editor());
    EXPECT_EQ(editor()->windowTitle(), QStringLiteral("Add scheme"));
    EXPECT_TRUE(editor()->isModal());
    EXPECT_EQ(editorControl<QPushButton>("cmdAdd")->text(), QStringLiteral("ADD"));
    EXPECT_EQ(editorControl<QPushButton>("cmdOK")->text(), QStringLiteral("Close"));
    EXPECT_EQ(editorControl<QLabel>("lblFrequency")->text(), QStringLiteral("100.000MHz"));
    EXPECT_EQ(editorControl<QSlider>("Slider1")->value(), 50);
    EXPECT_EQ(editorControl<QTimeEdit>("DTTimeStart")->time(), QTime(14, 0)); // the clock's
    EXPECT_FALSE(editorControl<QCheckBox>("chkDay0")->isVisible());

    struct Row {
        const char *time;
        int32_t kHz;
        int power;
        const char *days;
        const char *line;
    };
    const Row rows[] = {
        {"05:00", 87500, 0, "", "05:00   87.500MHz  00%  DAILY"},
        {"23:59", 108000, 100, "SA SU", "23:59  108.000MHz 100%  SA SU"},
        {"18:05", 107900, 100, "MO WE FR", "18:05  107.900MHz 100%  MO WE FR"},
    };
    QStringList expected;
    for (const Row &r : rows) {
        fillEditor(QLatin1String(r.time), r.kHz, r.power, QLatin1String(r.days));
        EXPECT_EQ(editorControl<QCheckBox>("chkDay6")->isVisible(), *r.days != 0) << r.line;
        press("cmdAdd");
        expected << QLatin1String(r.line);
        ASSERT_TRUE(editor()) << "the editor stays open for further schemes";
    }
    EXPECT_EQ(shownLines(), expected);
    EXPECT_EQ(shownTicks(), std::vector<bool>(expected.size(), false));
    EXPECT_EQ(enabling(), QStringLiteral("1111"));
    for (int i = 0; i < kSchemeSlots; ++i) {
        EXPECT_EQ(stored(key("Scheme", i)), i < expected.size() ? expected[i] : QString()) << i;
        EXPECT_EQ(stored(key("SchemeValue", i)), QStringLiteral("0")) << i;
    }

    press("cmdOK");
    EXPECT_FALSE(editor());
    EXPECT_EQ(shownLines(), expected);
}

TEST_F(SchedulerTab, TheTwentyFirstSchemeIsRefused)
{
    start();
    listButton("cmdAdd")->click();
    fillEditor(QStringLiteral("12:00"), 100000, 50, QString());
    for (int i = 0; i < 21; ++i)
        press("cmdAdd");
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("Maximum number of schemes reached.")});
    EXPECT_EQ(list()->count(), 20);
    EXPECT_TRUE(editor());
    EXPECT_EQ(stored(QStringLiteral("Scheme 19")), QStringLiteral("12:00  100.000MHz  50%  DAILY"));
    EXPECT_EQ(stored(QStringLiteral("Scheme 20")), QString());
}

TEST_F(SchedulerTab, WeeklyWithoutADayChangesNothing)
{
    storeThreeLines();
    start();
    list()->setCurrentRow(1);
    for (const char *opener : {"cmdAdd", "cmdEdit"}) {
        boxes.clear();
        listButton(opener)->click();
        ASSERT_TRUE(editor()) << opener;
        fillEditor(QStringLiteral("09:15"), 95000, 20, QString());
        editorControl<QRadioButton>("optMode1")->click(); // Weekly, no day ticked
        press("cmdAdd");
        EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("Please select at least one day.")}) << opener;
        EXPECT_TRUE(editor()) << opener;
        EXPECT_EQ(shownLines(), kThreeLines) << opener;
        EXPECT_EQ(stored(QStringLiteral("Scheme 1")), kThreeLines[1]) << opener;
        EXPECT_EQ(stored(QStringLiteral("Scheme 3")), QString()) << opener;
        press("cmdOK");
        EXPECT_FALSE(editor()) << opener;
    }
    EXPECT_FALSE(window->station().record().SchemeEditMode);
}

TEST_F(SchedulerTab, EditingKeepsTheTickAndThePosition)
{
    storeThreeLines();
    start();
    list()->setCurrentRow(1);
    listButton("cmdEdit")->click();
    ASSERT_TRUE(editor());
    EXPECT_EQ(editor()->windowTitle(), QStringLiteral("Modify scheme"));
    EXPECT_EQ(editorControl<QPushButton>("cmdAdd")->text(), QStringLiteral("MODIFY"));
    EXPECT_EQ(editorControl<QPushButton>("cmdOK")->text(), QStringLiteral("Cancel"));
    // Filled from "18:05  107.900MHz 100%  MO WE FR".
    EXPECT_EQ(editorControl<QLabel>("lblFrequency")->text(), QStringLiteral("107.900MHz"));
    EXPECT_EQ(editorControl<QSlider>("Slider1")->value(), 100);
    EXPECT_EQ(editorControl<QTimeEdit>("DTTimeStart")->time(), QTime(18, 5));
    EXPECT_TRUE(editorControl<QRadioButton>("optMode1")->isChecked());
    QString days;
    for (int d = 0; d < kWeekdays; ++d)
        days += editorControl<QCheckBox>(QStringLiteral("chkDay%1").arg(d).toLatin1().constData())->isChecked() ? '1'
                                                                                                                : '0';
    EXPECT_EQ(days, QStringLiteral("1010100"));

    // "Cancel" leaves the line as it was.
    editorControl<QSlider>("Slider1")->setValue(10);
    press("cmdOK");
    EXPECT_FALSE(editor());
    EXPECT_EQ(shownLines(), kThreeLines);
    EXPECT_FALSE(window->station().record().SchemeEditMode);

    listButton("cmdEdit")->click();
    fillEditor(QStringLiteral("06:30"), 99000, 80, QStringLiteral("SU"));
    press("cmdAdd");
    EXPECT_FALSE(editor()) << "MODIFY closes the editor";
    const QString modified = QStringLiteral("06:30   99.000MHz  80%  SU");
    EXPECT_EQ(shownLines(), QStringList({kThreeLines[0], modified, kThreeLines[2]}));
    EXPECT_EQ(shownTicks(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(list()->currentRow(), 1);
    EXPECT_EQ(stored(QStringLiteral("Scheme 1")), modified);
    EXPECT_EQ(stored(QStringLiteral("SchemeValue 1")), QStringLiteral("1"));
    EXPECT_TRUE(window->station().record().ScheduleChanged);
    EXPECT_FALSE(window->station().record().SchemeEditMode);
}

TEST_F(SchedulerTab, ButtonsFollowTheSchedulerSwitchAndTheList)
{
    store(QStringLiteral("Scheme 0"), kThreeLines[0]);
    store(QStringLiteral("SchemeEnable"), QStringLiteral("1"));
    start();
    EXPECT_TRUE(enableBox()->isChecked());
    struct Row {
        const char *what;
        std::function<void()> act;
        const char *enabling; // frame, Add..., Edit..., Remove
        const char *stored; // SchemeEnable
    };
    const Row rows[] = {
        {"restored with the scheduler on", [] {}, "0000", "1"},
        {"scheduler off", [&] { enableBox()->click(); }, "1111", "0"},
        {"last line removed",
            [&] {
                list()->setCurrentRow(0);
                listButton("cmdRemove")->click();
            },
            "1100", "0"},
        {"a line added",
            [&] {
                listButton("cmdAdd")->click();
                press("cmdAdd");
                press("cmdOK");
            },
            "1111", "0"},
        {"scheduler on", [&] { enableBox()->click(); }, "0000", "1"},
    };
    for (const Row &r : rows) {
        r.act();
        EXPECT_EQ(enabling(), QLatin1String(r.enabling)) << r.what;
        EXPECT_EQ(stored(QStringLiteral("SchemeEnable")), QLatin1String(r.stored)) << r.what;
    }
}

TEST_F(SchedulerTab, TickMarksAndRemovalAreStoredSlotBySlot)
{
    storeThreeLines();
    start();
    EXPECT_EQ(shownLines(), kThreeLines);
    EXPECT_EQ(shownTicks(), (std::vector<bool>{false, true, false}));

    list()->item(2)->setCheckState(Qt::Checked); // as a click on the tick mark does
    EXPECT_EQ(window->station().record().SchemeList[2].ticked, true);
    EXPECT_EQ(stored(QStringLiteral("SchemeValue 2")), QStringLiteral("1"));

    list()->setCurrentRow(0);
    listButton("cmdRemove")->click();
    enableBox()->click();
    const QStringList left = {kThreeLines[1], kThreeLines[2]};
    for (int i = 0; i < kSchemeSlots; ++i) {
        EXPECT_EQ(stored(key("Scheme", i)), i < 2 ? left[i] : QString()) << i;
        EXPECT_EQ(stored(key("SchemeValue", i)), i < 2 ? QStringLiteral("1") : QStringLiteral("0")) << i;
    }
    EXPECT_EQ(stored(QStringLiteral("SchemeEnable")), QStringLiteral("1"));

    // The next run shows the same list, ticks and switch, locked.
    restart();
    EXPECT_EQ(shownLines(), left);
    EXPECT_EQ(shownTicks(), (std::vector<bool>{true, true}));
    EXPECT_TRUE(enableBox()->isChecked());
    EXPECT_EQ(enabling(), QStringLiteral("0000"));
}
