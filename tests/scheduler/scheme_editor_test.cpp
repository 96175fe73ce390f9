// The scheme editor and the list's buttons: modes, frequency limits and
// confirming in both modes.
#include "scheduler/scheme_editor.h"
#include "scheduler/scheme_list.h"
#include "transmitter/frequency.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace zfm;

namespace {
const QString kDaily = QStringLiteral("07:30   99.500MHz  50%  DAILY");
const QString kWeekly = QStringLiteral("18:05  107.900MHz 100%  MO WE FR");

SettingsRecord withList(std::vector<SchemeEntry> list)
{
    SettingsRecord r;
    r.SchemeList = std::move(list);
    return r;
}
QStringList captions(const SchemeEditor &e) { return {e.windowCaption(), e.confirmCaption(), e.closeCaption()}; }
} // namespace

TEST(SchemeEditor, OpensInAddOrEditMode)
{
    SettingsRecord r = withList({{kWeekly, true}});
    r.SchemeFrequencyKHz = 87500; // left from an earlier opening
    SchemeEditor add(r, 6, 45);
    EXPECT_EQ(captions(add), QStringList({"Add scheme", "ADD", "Close"}));
    EXPECT_EQ(add.line(), QStringLiteral("06:45  100.000MHz  50%  DAILY"));

    auto edit = SchemeEditor::forEdit(r, 0);
    ASSERT_TRUE(edit);
    EXPECT_EQ(captions(*edit), QStringList({"Modify scheme", "MODIFY", "Cancel"}));
    EXPECT_TRUE(r.SchemeEditMode);
    EXPECT_EQ(edit->frequencyDisplay(), QStringLiteral("107.900MHz"));
    EXPECT_EQ(edit->line(), kWeekly);
    edit->close();
    EXPECT_FALSE(r.SchemeEditMode);
    EXPECT_FALSE(SchemeEditor::forEdit(r, 1)); // no line selected
    EXPECT_FALSE(r.SchemeEditMode);
}

TEST(SchemeEditor, FrequencyButtonsStayWithinTheBand)
{
    const int32_t rows[][3] = {{87700, kStepDown1MHz, 87500}, {107800, kStepUp1MHz, 108000},
        {108000, kStepUp50kHz, 108000}, {87500, kStepDown50kHz, 87500}, {100000, kStepDown50kHz, 99950}};
    for (const auto &[from, step, to] : rows) {
        SettingsRecord r;
        SchemeEditor e(r);
        r.SchemeFrequencyKHz = from;
        e.stepFrequency(step);
        EXPECT_EQ(e.frequencyDisplay(), frequencyText(to)) << from << " " << step;
    }
}

TEST(SchemeEditor, AddAppendsUntickedAndStaysOpen)
{
    SettingsRecord r = withList({{kWeekly, true}});
    SchemeEditor e(r, 23, 59);
    e.setPower(0);
    e.setDaily(false);
    e.setDay(5, true);
    e.setDay(6, true);
    const ConfirmOutcome out = e.confirm();
    EXPECT_TRUE(out.message.isEmpty() && out.listChanged && !out.closeEditor);
    EXPECT_TRUE(r.ScheduleChanged);
    EXPECT_EQ(r.SchemeList,
        (std::vector<SchemeEntry>{{kWeekly, true}, {QStringLiteral("23:59  100.000MHz  00%  SA SU"), false}}));
}

TEST(SchemeEditor, ModifyReplacesInPlaceKeepingTheTickAndCloses)
{
    SettingsRecord r = withList({{kDaily, false}, {kWeekly, true}, {kDaily, false}});
    auto e = SchemeEditor::forEdit(r, 1);
    e->setDay(0, false);
    e->setDay(6, true);
    e->setPower(30);
    const ConfirmOutcome out = e->confirm();
    EXPECT_TRUE(out.message.isEmpty() && out.listChanged && out.closeEditor);
    EXPECT_TRUE(r.ScheduleChanged);
    EXPECT_FALSE(r.SchemeEditMode);
    EXPECT_EQ(r.SchemeList,
        (std::vector<SchemeEntry>{
            {kDaily, false}, {QStringLiteral("18:05  107.900MHz  30%  WE FR SU"), true}, {kDaily, false}}));
}

TEST(SchemeEditor, RefusedConfirmationsChangeNothing)
{
    struct Row {
        size_t lines;
        bool edit, weeklyWithoutDay;
        const char *message;
    };
    const Row rows[] = {{20, false, false, kMaxSchemesMessage}, {3, false, true, kSelectDayMessage},
        {3, true, true, kSelectDayMessage}, {20, false, true, kMaxSchemesMessage}};
    for (const Row &row : rows) {
        SettingsRecord r = withList(std::vector<SchemeEntry>(row.lines, SchemeEntry{kDaily, true}));
        const auto before = r.SchemeList;
        auto e = row.edit ? SchemeEditor::forEdit(r, 1) : std::optional(SchemeEditor(r));
        e->setDaily(!row.weeklyWithoutDay);
        const ConfirmOutcome out = e->confirm();
        EXPECT_EQ(out.message, QLatin1String(row.message)) << row.lines << row.edit;
        EXPECT_FALSE(out.listChanged || out.closeEditor || r.ScheduleChanged) << row.lines << row.edit;
        EXPECT_EQ(r.SchemeList, before);
    }
    // The limit is the record's and holds for adding only.
    SettingsRecord r = withList(std::vector<SchemeEntry>(2, SchemeEntry{kDaily, false}));
    r.MaxSchemeIndex = 2;
    EXPECT_EQ(SchemeEditor(r).confirm().message, QLatin1String(kMaxSchemesMessage));
    EXPECT_TRUE(SchemeEditor::forEdit(r, 1)->confirm().closeEditor);
}

TEST(SchemeList, RemoveAndTheButtonsEnabling)
{
    using C = SchemeListControls;
    EXPECT_EQ(C::forScheduler(true, 5), (C{false, false, false, false}));
    EXPECT_EQ(C::forScheduler(false, 0), (C{true, true, false, false}));
    EXPECT_EQ(C::forScheduler(false, 1), (C{true, true, true, true}));

    SettingsRecord r = withList({{kDaily, false}, {kWeekly, true}});
    C c = C::forScheduler(false, 2);
    EXPECT_FALSE(removeScheme(r, -1) || removeScheme(r, 2));
    ASSERT_TRUE(removeScheme(r, 1));
    c.afterRemove(r.SchemeList.size());
    EXPECT_EQ(r.SchemeList, (std::vector<SchemeEntry>{{kDaily, false}}));
    EXPECT_EQ(c, (C{true, true, true, true}));
    ASSERT_TRUE(removeScheme(r, 0));
    c.afterRemove(r.SchemeList.size());
    EXPECT_EQ(c, (C{true, true, false, false}));
    c.afterListClick({{kDaily, false}});
    EXPECT_FALSE(c.removeEnabled);
    c.afterListClick({{kDaily, false}, {kWeekly, true}});
    EXPECT_TRUE(c.removeEnabled);
}
