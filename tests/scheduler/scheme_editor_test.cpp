// The scheme editor's and the list's rules the scheduler tab's tests do not
// reach: leftovers from an earlier opening, a missing selection, the order of
// the refusals, refusing in edit mode, the record's limit, and removal.
#include "scheduler/scheme_editor.h"
#include "scheduler/scheme_list.h"
#include "transmitter/frequency.h"

#include <gtest/gtest.h>

using namespace zfm;

namespace {
const QString kDaily = QStringLiteral("07:30   99.500MHz  50%  DAILY");

SettingsRecord withList(std::vector<SchemeEntry> list)
{
    SettingsRecord r;
    r.schemeList = std::move(list);
    return r;
}
} // namespace

TEST(SchemeEditor, AddStartsFromDefaultsEditNeedsASelectedLine)
{
    SettingsRecord r = withList({{kDaily, true}});
    r.schemeFrequencyKHz = 87500; // left from an earlier opening
    SchemeEditor add(r, 6, 45);
    EXPECT_EQ(add.line(), QStringLiteral("06:45  100.000MHz  50%  DAILY"));
    add.stepFrequency(kStepDown50kHz);
    EXPECT_EQ(add.frequencyDisplay(), QStringLiteral("99.950MHz"));
    EXPECT_FALSE(SchemeEditor::forEdit(r, 1)); // no line selected
    EXPECT_FALSE(r.schemeEditMode);
}

// A refusal changes nothing and leaves an edit open; the limit comes before
// the day check, is the record's, and holds for adding only.
TEST(SchemeEditor, RefusalsChangeNothing)
{
    const std::tuple<size_t, bool, const char *> rows[]
        = {{20, false, kMaxSchemesMessage}, {3, true, kSelectDayMessage}};
    for (const auto &[lines, edit, message] : rows) {
        SCOPED_TRACE(message);
        SettingsRecord r = withList(std::vector<SchemeEntry>(lines, SchemeEntry{kDaily, true}));
        const std::vector<SchemeEntry> before = r.schemeList;
        auto e = edit ? SchemeEditor::forEdit(r, 1) : std::optional(SchemeEditor(r, 23, 59));
        e->setDaily(false);
        const ConfirmOutcome out = e->confirm();
        EXPECT_EQ(out.message, QLatin1String(message));
        EXPECT_FALSE(out.listChanged || out.closeEditor || r.scheduleChanged);
        EXPECT_EQ(r.schemeEditMode, edit);
        EXPECT_EQ(r.schemeList, before);
    }
    SettingsRecord r = withList(std::vector<SchemeEntry>(2, SchemeEntry{kDaily, false}));
    r.maxSchemeIndex = 2;
    EXPECT_EQ(SchemeEditor(r).confirm().message, QLatin1String(kMaxSchemesMessage));
    EXPECT_TRUE(SchemeEditor::forEdit(r, 1)->confirm().closeEditor);
}

// "Remove" with no line selected, or past the end, removes nothing.
TEST(SchemeList, RemoveOutOfRange)
{
    SettingsRecord r = withList({{kDaily, false}});
    EXPECT_FALSE(removeScheme(r, -1) || removeScheme(r, 1));
    EXPECT_EQ(r.schemeList.size(), 1u);
}
