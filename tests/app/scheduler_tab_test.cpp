// The scheduler tab and the scheme editor in the real window: adding,
// editing and removing through the editor's controls, the buttons' enabling,
// and the list's stored form. The editor's rules themselves (the limit among
// them) are unit-tested with the scheduler.
#include "scheduler/scheme_line.h"
#include "station/station.h"
#include "support/printers.h"
#include "support/scheduler_window.h"

#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QTimeEdit>

using namespace zfm;
using namespace zfm::test;

class SchedulerTab : public SchedulerWindowTest {
protected:
    // Every slot's line and tick as stored: `lines` from slot 0, the rest empty.
    void expectSlots(const QStringList &lines, const std::vector<bool> &ticks) const
    {
        for (int i = 0; i < kSchemeSlots; ++i) {
            EXPECT_EQ(stored(QStringLiteral("Scheme %1").arg(i)), i < lines.size() ? lines[i] : QString()) << i;
            const bool ticked = i < int(ticks.size()) && ticks[i];
            EXPECT_EQ(stored(QStringLiteral("SchemeValue %1").arg(i)), QLatin1String(ticked ? "1" : "0")) << i;
        }
    }
};

// The stored switch locks the list; editing keeps a line's tick and
// position; added lines come unticked; edits, ticks, removals and additions
// are stored slot by slot (the start of this test reads that stored form back).
TEST_F(SchedulerTab, EditsTicksRemovalsAndAdditionsAreStoredSlotBySlot)
{
    storeThreeLines();
    store(QStringLiteral("SchemeEnable"), QStringLiteral("1"));
    start();
    EXPECT_TRUE(enableBox()->isChecked());
    EXPECT_EQ(shownLines(), kThreeLines);
    EXPECT_EQ(shownTicks(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(enabling(), QStringLiteral("0000"));
    enableBox()->click();
    EXPECT_EQ(enabling(), QStringLiteral("1111"));
    EXPECT_EQ(stored(QStringLiteral("SchemeEnable")), QStringLiteral("0"));

    list()->setCurrentRow(1);
    listButton("cmdEdit")->click();
    ASSERT_TRUE(editor());
    // Filled from "18:05  107.900MHz 100%  MO WE FR".
    EXPECT_EQ(editorControl<QLabel>("lblFrequency")->text(), QStringLiteral("107.900MHz"));
    EXPECT_EQ(editorControl<QSlider>("Slider1")->value(), 100);
    EXPECT_EQ(editorControl<QTimeEdit>("DTTimeStart")->time(), QTime(18, 5));
    EXPECT_TRUE(editorControl<QRadioButton>("optMode1")->isChecked());
    QString days;
    for (int d = 0; d < kWeekdays; ++d)
        days += editorControl<QCheckBox>(QStringLiteral("chkDay%1").arg(d))->isChecked() ? '1' : '0';
    EXPECT_EQ(days, QStringLiteral("1010100"));

    // "Cancel" leaves the line as it was.
    editorControl<QSlider>("Slider1")->setValue(10);
    press("cmdOK");
    EXPECT_FALSE(editor());
    EXPECT_EQ(shownLines(), kThreeLines);
    EXPECT_FALSE(window->station().record().schemeEditMode);

    listButton("cmdEdit")->click();
    fillEditor(QStringLiteral("06:30"), 99000, 80, QStringLiteral("SU"));
    press("cmdAdd");
    EXPECT_FALSE(editor()) << "MODIFY closes the editor";
    const QStringList modified = {kThreeLines[0], QStringLiteral("06:30   99.000MHz  80%  SU"), kThreeLines[2]};
    EXPECT_EQ(shownLines(), modified);
    EXPECT_EQ(shownTicks(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(list()->currentRow(), 1);
    expectSlots(modified, {false, true, false});

    list()->item(2)->setCheckState(Qt::Checked); // as a click on the tick mark does
    EXPECT_EQ(stored(QStringLiteral("SchemeValue 2")), QStringLiteral("1"));
    list()->setCurrentRow(0);
    listButton("cmdRemove")->click();
    expectSlots({modified[1], kThreeLines[2]}, {true, true});

    // Removing the last line leaves only "Add..." with the frame.
    for (int i = 0; i < 2; ++i) {
        list()->setCurrentRow(0);
        listButton("cmdRemove")->click();
    }
    EXPECT_EQ(enabling(), QStringLiteral("1100"));
    expectSlots({}, {});

    // "Add..." starts at the clock's time; the editor stays open for further schemes.
    listButton("cmdAdd")->click();
    ASSERT_TRUE(editor());
    EXPECT_EQ(editorControl<QTimeEdit>("DTTimeStart")->time(), QTime(14, 0));
    QStringList added;
    const std::tuple<const char *, int32_t, int, const char *, const char *> rows[]
        = {{"05:00", 87500, 0, "", "05:00   87.500MHz  00%  DAILY"},
            {"23:59", 108000, 100, "SA SU", "23:59  108.000MHz 100%  SA SU"}};
    for (const auto &[time, kHz, power, days, line] : rows) {
        fillEditor(QLatin1String(time), kHz, power, QLatin1String(days));
        EXPECT_EQ(editorControl<QCheckBox>("chkDay6")->isVisible(), *days != 0) << line;
        press("cmdAdd");
        added << QLatin1String(line);
        ASSERT_TRUE(editor()) << line;
    }
    EXPECT_EQ(shownLines(), added);
    EXPECT_EQ(shownTicks(), std::vector<bool>(2, false));
    EXPECT_EQ(enabling(), QStringLiteral("1111"));
    expectSlots(added, {});
    press("cmdOK");
    EXPECT_FALSE(editor());
}
