// The scheme editor and the list's buttons: modes, confirming in both modes,
// and the refusals. The window's side of the same is tested in the app folder.
#include "scheduler/scheme_editor.h"
#include "scheduler/scheme_list.h"
#include "transmitter/frequency.h"

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
} // namespace

// Captions and the filled-in controls are checked in the scheduler tab's tests.
TEST(SchemeEditor, AddStartsFromDefaultsEditNeedsASelectedLine)
{
    SettingsRecord r = withList({{kWeekly, true}});
    r.SchemeFrequencyKHz = 87500; // left from an earlier opening
    SchemeEditor add(r, 6, 45);
    EXPECT_EQ(add.line(), QStringLiteral("06:45  100.000MHz  50%  DAILY"));
    add.stepFrequency(kStepDown50kHz);
    EXPECT_EQ(add.frequencyDisplay(), QStringLiteral("99.950MHz"));

    auto edit = SchemeEditor::forEdit(r, 0);
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->line(), kWeekly);
    EXPECT_TRUE(r.SchemeEditMode);
    edit->close();
    EXPECT_FALSE(r.SchemeEditMode);
    EXPECT_FALSE(SchemeEditor::forEdit(r, 1)); // no line selected
    EXPECT_FALSE(r.SchemeEditMode);
}

// Adding appends an unticked line and keeps the editor open; modifying
// replaces the line in place, keeps its tick and closes; a refusal changes nothing.
TEST(SchemeEditor, ConfirmAddsModifiesOrRefuses)
{
    struct Row {
        size_t lines;
        bool edit, weeklyWithoutDay;
        const char *message;
    };
    const Row rows[] = {{3, false, false, ""}, {3, true, false, ""}, {20, false, false, kMaxSchemesMessage},
        {3, false, true, kSelectDayMessage}, {3, true, true, kSelectDayMessage}, {20, false, true, kMaxSchemesMessage}};
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.lines << " lines, edit " << row.edit << ", " << row.message);
        SettingsRecord r = withList(std::vector<SchemeEntry>(row.lines, SchemeEntry{kDaily, true}));
        std::vector<SchemeEntry> want = r.SchemeList;
        auto e = row.edit ? SchemeEditor::forEdit(r, 1) : std::optional(SchemeEditor(r, 23, 59));
        e->setDaily(!row.weeklyWithoutDay);
        e->setPower(0);
        const ConfirmOutcome out = e->confirm();
        const bool accepted = *row.message == '\0';
        if (accepted && row.edit)
            want[1].line = QStringLiteral("07:30   99.500MHz  00%  DAILY");
        if (accepted && !row.edit)
            want.push_back({QStringLiteral("23:59  100.000MHz  00%  DAILY"), false});
        EXPECT_EQ(out.message, QLatin1String(row.message));
        EXPECT_EQ(out.listChanged, accepted);
        EXPECT_EQ(r.ScheduleChanged, accepted);
        EXPECT_EQ(out.closeEditor, accepted && row.edit);
        EXPECT_EQ(r.SchemeEditMode, row.edit && !accepted);
        EXPECT_EQ(r.SchemeList, want);
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
