// The one rule that gives the send and read buttons back, from what waits or
// runs on the line.
#include "station/buttons.h"

#include <gtest/gtest.h>

#include <set>

using namespace zfm;

TEST(Buttons, OneRuleFromWhatWaitsOrRuns)
{
    struct Row {
        const char *what;
        std::set<JobKind> underWay;
        bool autoRead, tabReleased;
        Buttons want; // sendRtAndPs, sendSettings, readRds, readTx
    };
    using K = JobKind;
    const Row rows[] = {
        {"idle", {}, false, false, {true, true, true, true}},
        {"idle with Auto read TX", {}, true, false, {true, true, true, false}},
        {"a tab switch on an idle line changes nothing", {}, false, true, {true, true, true, true}},
        {"Send settings", {K::SendSettings}, false, false, {false, false, false, false}},
        {"Send RT and PS", {K::SendRtAndPs}, false, false, {false, false, false, false}},
        {"a read-back", {K::ReadBack}, false, false, {false, false, false, false}},
        {"exit's power-0 upload", {K::ShutDown}, false, false, {false, false, false, false}},
        {"a manual Read TX takes only itself", {K::StatusRequest}, false, false, {true, true, true, false}},
        {"automatic work takes nothing", {K::AutoPs, K::AutoRt, K::ClockSync, K::TestPower}, false, false,
            {true, true, true, true}},
        // The tab switch gives back the two send buttons, never one whose own job is under way.
        {"tab switch during a read-back", {K::ReadBack}, false, true, {true, true, false, false}},
        {"tab switch during Send RT and PS", {K::SendRtAndPs}, false, true, {false, true, false, false}},
        {"tab switch with both uploads under way", {K::SendRtAndPs, K::SendSettings}, false, true,
            {false, false, false, false}},
    };
    for (const Row &row : rows) {
        const auto has = [&](JobKind k) { return row.underWay.count(k) > 0; };
        EXPECT_EQ(buttonsFor(has, row.autoRead, row.tabReleased), row.want) << row.what;
    }
}
