// The one rule that gives the send and read buttons back, from what waits or
// runs on the line: the cases the real window's tests do not meet. (Idle,
// "Auto read TX", the uploads and a read-back are drilled there, tab switches
// at any moment by the random operator.)
#include "station/buttons.h"

#include <gtest/gtest.h>

#include <set>

using namespace zfm;

TEST(Buttons, OneRuleFromWhatWaitsOrRuns)
{
    struct Row {
        const char *what;
        std::set<JobKind> underWay;
        bool tabReleased;
        Buttons want; // sendRtAndPs, sendSettings, readRds, readTx
    };
    using K = JobKind;
    const Row rows[] = {
        {"a tab switch on an idle line changes nothing", {}, true, {true, true, true, true}},
        {"Send RT and PS", {K::SendRtAndPs}, false, {false, false, false, false}},
        {"exit's power-0 upload", {K::ShutDown}, false, {false, false, false, false}},
        {"a manual Read TX takes only itself", {K::StatusRequest}, false, {true, true, true, false}},
        {"automatic work takes nothing", {K::AutoPs, K::AutoRt, K::ClockSync, K::TestPower}, false,
            {true, true, true, true}},
        // The tab switch gives back the two send buttons, never one whose own job is under way.
        {"tab switch during a read-back", {K::ReadBack}, true, {true, true, false, false}},
        {"tab switch during Send RT and PS", {K::SendRtAndPs}, true, {false, true, false, false}},
        {"tab switch with Send settings waiting too", {K::SendRtAndPs, K::SendSettings}, true,
            {false, false, false, false}},
    };
    for (const Row &row : rows) {
        const auto has = [&](JobKind k) { return row.underWay.count(k) > 0; };
        EXPECT_EQ(buttonsFor(has, false, row.tabReleased), row.want) << row.what;
    }
}
