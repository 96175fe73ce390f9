// The main window through its real widgets: a port missing at start-up, bad
// stored values.
#include "support/wait.h"
#include "support/window_fixture.h"

#include <QCheckBox>

using namespace zfm;
using namespace zfm::test;

using MainWindowTest = WindowTest;

TEST_F(MainWindowTest, MissingPortAtStartIsReportedOnceAndSwitchesAutomaticWorkOff)
{
    store(QStringLiteral("COMSelected"), QStringLiteral("7"));
    store(QStringLiteral("COMDevice7"), QStringLiteral("/dev/zfm-absent"));
    store(QStringLiteral("AutoRead"), QStringLiteral("True"));
    store(QStringLiteral("AutoPS"), QStringLiteral("1"));
    store(QStringLiteral("SettingsAtStart"), QStringLiteral("True"));
    start();
    runUntil([&] { return !boxes.texts().isEmpty(); }, 3000);
    runFor(100);
    EXPECT_EQ(boxes.texts(), QStringList{kPortMissingMessage});
    EXPECT_FALSE(window->startedUp());
    EXPECT_EQ(stored(QStringLiteral("AutoRead")), QStringLiteral("False"));
    EXPECT_EQ(stored(QStringLiteral("AutoPS")), QStringLiteral("0"));
    EXPECT_EQ(stored(QStringLiteral("RTSwitch")), QStringLiteral("0"));
    EXPECT_FALSE(find<QCheckBox>("chkAutoRead")->isChecked());
}

TEST_F(MainWindowTest, BadStoredValuesFallBackToTheirDefaults)
{
    // One row per kind of check (a list, the frequency's steps, above and below
    // a range). The last row is a list's last entry, which must be kept.
    const std::tuple<const char *, const char *, const char *> rows[] = {{"Pilot", "99", "4"},
        {"TXFrequency", "87501", "100000"}, {"TXPower", "150", "100"}, {"ECC", "0", "3"}, {"AreaCoverage", "15", "15"}};
    for (const auto &[key, bad, repaired] : rows)
        store(QLatin1String(key), QLatin1String(bad));
    start();
    EXPECT_TRUE(window->startedUp());
    EXPECT_TRUE(boxes.texts().isEmpty());
    for (const auto &[key, bad, repaired] : rows)
        EXPECT_EQ(stored(QLatin1String(key)), QLatin1String(repaired)) << key;
    EXPECT_EQ(find<QComboBox>("cmb19khz")->currentIndex(), 4);
    EXPECT_EQ(find<QLabel>("lblFrequency")->text(), QStringLiteral("100.000MHz"));
}
