// The scheme editor and the list around it: captions, frequency limits,
// confirming in both modes, the enabling of the list's buttons, and the list
// as it comes back from a real settings file.
#include "scheduler/scheme_editor.h"
#include "scheduler/scheme_list.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "transmitter/frequency.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace zfm;

namespace {

const QString kDaily = QStringLiteral("07:30   99.500MHz  50%  DAILY");
const QString kWeekly = QStringLiteral("18:05  107.900MHz 100%  MO WE FR");
const QString kMidnight = QStringLiteral("00:00   99.000MHz  80%  MO");

SettingsRecord withList(std::vector<SchemeEntry> list)
{
    SettingsRecord r;
    r.SchemeList = std::move(list);
    return r;
}

} // namespace

TEST(SchemeEditor, CaptionsAndStartValuesFollowTheMode)
{
    SettingsRecord r = withList({{kWeekly, true}});
    r.SchemeFrequencyKHz = 87500; // left over from an earlier opening

    SchemeEditor add(r, 6, 45);
    EXPECT_EQ(add.windowCaption(), QStringLiteral("Add scheme"));
    EXPECT_EQ(add.confirmCaption(), QStringLiteral("ADD"));
    EXPECT_EQ(add.closeCaption(), QStringLiteral("Close"));
    EXPECT_EQ(add.frequencyDisplay(), QStringLiteral("100.000MHz"));
    EXPECT_EQ(add.power(), 50);
    EXPECT_EQ(add.line(), QStringLiteral("06:45  100.000MHz  50%  DAILY"));
    EXPECT_FALSE(r.SchemeEditMode);

    auto edit = SchemeEditor::forEdit(r, 0);
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->windowCaption(), QStringLiteral("Modify scheme"));
    EXPECT_EQ(edit->confirmCaption(), QStringLiteral("MODIFY"));
    EXPECT_EQ(edit->closeCaption(), QStringLiteral("Cancel"));
    EXPECT_TRUE(r.SchemeEditMode);
    // Filled from the line: confirming unchanged writes the same line.
    EXPECT_EQ(edit->frequencyDisplay(), QStringLiteral("107.900MHz"));
    EXPECT_EQ(r.SchemeFrequencyKHz, 107900);
    EXPECT_TRUE(edit->dayBoxesVisible());
    EXPECT_EQ(edit->line(), kWeekly);
    edit->close();
    EXPECT_FALSE(r.SchemeEditMode);
    EXPECT_EQ(r.SchemeList[0], (SchemeEntry{kWeekly, true}));

    // "Edit..." without a selected line opens nothing.
    EXPECT_FALSE(SchemeEditor::forEdit(r, -1));
    EXPECT_FALSE(SchemeEditor::forEdit(r, 1));
    EXPECT_FALSE(r.SchemeEditMode);
}

TEST(SchemeEditor, FrequencyButtonsStayWithinTheBand)
{
    struct Row {
        int32_t from, step, to;
        const char *display;
    };
    const Row rows[] = {
        {87700, kStepDown1MHz, 87500, "87.500MHz"},
        {107800, kStepUp1MHz, 108000, "108.000MHz"},
        {108000, kStepUp50kHz, 108000, "108.000MHz"},
        {87500, kStepDown50kHz, 87500, "87.500MHz"},
        {99950, kStepUp50kHz, 100000, "100.000MHz"},
        {100000, kStepDown50kHz, 99950, "99.950MHz"},
    };
    for (const Row &row : rows) {
        SettingsRecord r;
        SchemeEditor e(r);
        r.SchemeFrequencyKHz = row.from;
        e.stepFrequency(row.step);
        EXPECT_EQ(e.frequencyKHz(), row.to) << row.from << " " << row.step;
        EXPECT_EQ(e.frequencyDisplay(), QLatin1String(row.display));
    }
}

TEST(SchemeEditor, AddAppendsUntickedAndStaysOpen)
{
    SettingsRecord r = withList({{kWeekly, true}});
    SchemeEditor e(r, 5, 0);
    for (int i = 0; i < 10; ++i)
        e.stepFrequency(kStepDown1MHz);
    e.setPower(0);
    const ConfirmOutcome first = e.confirm();
    EXPECT_TRUE(first.message.isEmpty());
    EXPECT_TRUE(first.listChanged);
    EXPECT_FALSE(first.closeEditor);
    EXPECT_TRUE(r.ScheduleChanged);

    // The editor keeps its values for the next scheme.
    e.setTime(23, 59);
    e.stepFrequency(kStepUp1MHz);
    e.setDaily(false);
    e.setDay(5, true);
    e.setDay(6, true);
    EXPECT_FALSE(e.confirm().closeEditor);
    EXPECT_EQ(r.SchemeList,
        (std::vector<SchemeEntry>{{kWeekly, true}, {QStringLiteral("05:00   95.000MHz  00%  DAILY"), false},
            {QStringLiteral("23:59   95.500MHz  00%  SA SU"), false}}));
}

TEST(SchemeEditor, RefusedConfirmationsChangeNothing)
{
    struct Row {
        const char *what;
        size_t lines;
        bool edit;
        bool weeklyWithoutDay;
        const char *message;
    };
    const Row rows[] = {
        {"add to a full list", 20, false, false, kMaxSchemesMessage},
        {"add weekly without a day", 3, false, true, kSelectDayMessage},
        {"modify to weekly without a day", 3, true, true, kSelectDayMessage},
        {"full list and no day: the limit first", 20, false, true, kMaxSchemesMessage},
    };
    for (const Row &row : rows) {
        SettingsRecord r = withList(std::vector<SchemeEntry>(row.lines, SchemeEntry{kDaily, true}));
        const auto before = r.SchemeList;
        std::optional<SchemeEditor> e = row.edit ? SchemeEditor::forEdit(r, 1) : SchemeEditor(r);
        ASSERT_TRUE(e);
        if (row.weeklyWithoutDay)
            e->setDaily(false);
        const ConfirmOutcome out = e->confirm();
        EXPECT_EQ(out.message, QLatin1String(row.message)) << row.what;
        EXPECT_FALSE(out.listChanged) << row.what;
        EXPECT_FALSE(out.closeEditor) << row.what;
        EXPECT_EQ(r.SchemeList, before) << row.what;
        EXPECT_FALSE(r.ScheduleChanged) << row.what;
        EXPECT_EQ(r.SchemeEditMode, row.edit) << row.what;
    }

    // The limit is the record's, and only adding is limited.
    SettingsRecord r = withList(std::vector<SchemeEntry>(2, SchemeEntry{kDaily, false}));
    r.MaxSchemeIndex = 2;
    EXPECT_EQ(SchemeEditor(r).confirm().message, QLatin1String(kMaxSchemesMessage));
    EXPECT_TRUE(SchemeEditor::forEdit(r, 1)->confirm().closeEditor);
}

TEST(SchemeEditor, ModifyReplacesInPlaceKeepingTheTickAndCloses)
{
    SettingsRecord r = withList({{kDaily, false}, {kWeekly, true}, {kMidnight, false}});
    auto e = SchemeEditor::forEdit(r, 1);
    ASSERT_TRUE(e);
    e->setDay(0, false);
    e->setDay(6, true);
    e->setPower(30);
    const ConfirmOutcome out = e->confirm();
    EXPECT_TRUE(out.message.isEmpty());
    EXPECT_TRUE(out.listChanged);
    EXPECT_TRUE(out.closeEditor);
    EXPECT_TRUE(r.ScheduleChanged);
    EXPECT_FALSE(r.SchemeEditMode);
    EXPECT_EQ(r.SchemeList,
        (std::vector<SchemeEntry>{
            {kDaily, false}, {QStringLiteral("18:05  107.900MHz  30%  WE FR SU"), true}, {kMidnight, false}}));
}

// The edited list as the next start finds it in the real settings file.
TEST(SchemeEditor, EditedListComesBackFromTheSettingsFile)
{
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Kestrel Devices");
    QDir(folder).removeRecursively();
    {
        SettingsRecord r = withList({{kDaily, false}, {kWeekly, true}, {kMidnight, true}});
        auto e = SchemeEditor::forEdit(r, 1);
        e->setTime(18, 6);
        e->confirm();
        ASSERT_TRUE(removeScheme(r, 0));
        PlatformStore store;
        ASSERT_TRUE(Settings(r, store).SaveAllSettings());
    }
    SettingsRecord loaded;
    PlatformStore store;
    Settings(loaded, store).LoadAllSettings();
    EXPECT_EQ(loaded.SchemeList,
        (std::vector<SchemeEntry>{{QStringLiteral("18:06  107.900MHz 100%  MO WE FR"), true}, {kMidnight, true}}));
    QDir(folder).removeRecursively();
}

TEST(SchemeList, RemoveTakesTheSelectedLineOnly)
{
    SettingsRecord r = withList({{kDaily, false}, {kWeekly, true}});
    EXPECT_FALSE(removeScheme(r, -1));
    EXPECT_FALSE(removeScheme(r, 2));
    EXPECT_EQ(r.SchemeList.size(), 2u);
    EXPECT_TRUE(removeScheme(r, 0));
    EXPECT_EQ(r.SchemeList, (std::vector<SchemeEntry>{{kWeekly, true}}));
}

TEST(SchemeList, ButtonsFollowTheSchedulerAndTheList)
{
    using C = SchemeListControls;
    struct Row {
        bool schedulerOn;
        size_t lines;
        C expected;
    };
    const Row rows[] = {
        {true, 0, {false, false, false, false}},
        {true, 5, {false, false, false, false}},
        {false, 0, {true, true, false, false}},
        {false, 1, {true, true, true, true}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(C::forScheduler(row.schedulerOn, row.lines), row.expected) << row.schedulerOn << row.lines;

    C c = C::forScheduler(false, 2);
    c.afterRemove(1);
    EXPECT_EQ(c, (C{true, true, true, true}));
    c.afterRemove(0);
    EXPECT_EQ(c, (C{true, true, false, false}));
    c.afterListClick({{kDaily, false}});
    EXPECT_FALSE(c.removeEnabled);
    c.afterListClick({{kDaily, false}, {kWeekly, true}});
    EXPECT_TRUE(c.removeEnabled);
    c = C::forScheduler(false, 0);
    c.afterConfirm();
    EXPECT_EQ(c, (C{true, true, true, true}));
}
