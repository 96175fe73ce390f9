// The main window through its real widgets: start-up, tabs and enabling,
// the transmitter and RDS pages, bad stored values, the about box, the tray.
#include "rds/rds_model.h"
#include "support/wait.h"
#include "support/window_fixture.h"
#include "transmitter/transmitter_tables.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTabWidget>

using namespace zfm;
using namespace zfm::test;

using MainWindowTest = WindowTest;

TEST_F(MainWindowTest, FirstStartSelectsTheClassicFamilyAndOpensThePortQuietly)
{
    start();
    EXPECT_TRUE(window->startedUp());
    EXPECT_TRUE(find<QRadioButton>("optClassic")->isChecked());
    EXPECT_EQ(stored(QStringLiteral("MODE")), QStringLiteral("12"));
    EXPECT_EQ(stored(QStringLiteral("COMSpeed")), QStringLiteral("2"));
    EXPECT_EQ(window->station().port().openComNumber(), 2);
    EXPECT_EQ(capture.pty().baud(), 9600);
    runFor(200);
    EXPECT_TRUE(capture.bytes().isEmpty());
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_EQ(window->statusText(), QStringLiteral("Ready"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("ZephyrineFM+"));
}

TEST_F(MainWindowTest, SmallFamilyOpensAtItsOwnSpeed)
{
    store(QStringLiteral("MODE"), QStringLiteral("13"));
    store(QStringLiteral("COMSpeed"), QStringLiteral("5"));
    start();
    EXPECT_TRUE(find<QRadioButton>("optVesk")->isChecked());
    EXPECT_EQ(capture.pty().baud(), 38400);
    // Choosing the classic family changes the open port's speed at once.
    find<QRadioButton>("optClassic")->click();
    EXPECT_EQ(capture.pty().baud(), 9600);
    EXPECT_EQ(stored(QStringLiteral("MODE")), QStringLiteral("12"));
    EXPECT_EQ(stored(QStringLiteral("COMSpeed")), QStringLiteral("2"));
}

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
    const std::pair<const char *, const char *> bad[] = {
        {"Pilot", "99"},
        {"TXFrequency", "87501"},
        {"TXPower", "150"},
        {"PTY", "45"},
        {"ECC", "0"},
        {"AF1", "230"},
        {"Decay", "abc"},
        {"MODE", "7"},
    };
    for (const auto &[key, text] : bad)
        store(QLatin1String(key), QLatin1String(text));
    start();
    EXPECT_TRUE(window->startedUp());
    EXPECT_TRUE(boxes.texts().isEmpty());
    const std::pair<const char *, const char *> repaired[] = {
        {"Pilot", "4"},
        {"TXFrequency", "100000"},
        {"TXPower", "100"},
        {"PTY", "10"},
        {"ECC", "3"},
        {"AF1", "125"},
        {"Decay", "5"},
        {"MODE", "12"},
    };
    for (const auto &[key, text] : repaired)
        EXPECT_EQ(stored(QLatin1String(key)), QLatin1String(text)) << key;
    EXPECT_EQ(find<QComboBox>("cmb19khz")->currentIndex(), 4);
    EXPECT_EQ(find<QLabel>("lblFrequency")->text(), QStringLiteral("100.000MHz"));
}

TEST_F(MainWindowTest, TabsShowOnePageAndSetTheirHelpContext)
{
    start();
    auto *tabs = window->tabs();
    const std::pair<const char *, int> rows[] = {{"FM T&X main", 20}, {"FM TX &alarms", 40}, {"PI, PT&Y...", 60},
        {"AUTO &PS, RT", 160}, {"A&bout", 180}, {"Scheduler", 300}};
    ASSERT_EQ(tabs->count(), 6);
    for (int i = tabs->count() - 1; i >= 0; --i) {
        tabs->setCurrentIndex(i);
        EXPECT_EQ(tabs->tabText(i), QLatin1String(rows[i].first));
        EXPECT_EQ(window->helpContext(), rows[i].second) << rows[i].first;
        for (int j = 0; j < tabs->count(); ++j)
            EXPECT_EQ(tabs->widget(j)->isVisible(), i == j) << i << " " << j;
    }
    EXPECT_EQ(tabs->tabToolTip(1), QStringLiteral("FM transmitter alarms"));
}

TEST_F(MainWindowTest, ButtonsFollowTheEnablingRules)
{
    start();
    Station &s = window->station();
    auto enabled = [&](const char *name) { return find<QPushButton>(name)->isEnabled(); };
    // An operation in progress: switching tabs gives back only the two send buttons.
    s.disableSendButtons();
    window->tabs()->setCurrentIndex(2);
    EXPECT_TRUE(enabled("cmdSendRTPS"));
    EXPECT_TRUE(enabled("cmdSendSettings"));
    EXPECT_FALSE(enabled("cmdReadRDS"));
    EXPECT_FALSE(enabled("cmdReadTX"));
    // With "Auto read TX" ticked, "Read TX" stays disabled.
    find<QCheckBox>("chkAutoRead")->click();
    EXPECT_EQ(stored(QStringLiteral("AutoRead")), QStringLiteral("True"));
    s.disableSendButtons();
    s.EnableButtons2();
    EXPECT_TRUE(enabled("cmdSendRTPS") && enabled("cmdSendSettings") && enabled("cmdReadRDS"));
    EXPECT_FALSE(enabled("cmdReadTX"));
    find<QCheckBox>("chkAutoRead")->click();
    EXPECT_TRUE(enabled("cmdReadTX"));
}

TEST_F(MainWindowTest, FrequencyButtonsStepAndStopAtTheBandEdges)
{
    store(QStringLiteral("TXFrequency"), QStringLiteral("107800"));
    start();
    struct Row {
        const char *button;
        const char *display;
    };
    const Row rows[] = {{"cmdUp1MHz", "108.000MHz"}, {"cmdUp50KHz", "108.000MHz"}, {"cmdDown50KHz", "107.950MHz"},
        {"cmdDown1MHz", "107.450MHz"}};
    for (const Row &row : rows) {
        click(row.button);
        EXPECT_EQ(find<QLabel>("lblFrequency")->text(), QLatin1String(row.display)) << row.button;
    }
    EXPECT_EQ(stored(QStringLiteral("TXFrequency")), QStringLiteral("107450"));
    for (int i = 0; i < 50; ++i)
        click("cmdDown1MHz");
    EXPECT_EQ(find<QLabel>("lblFrequency")->text(), QStringLiteral("87.500MHz"));
    EXPECT_EQ(find<QPushButton>("cmdUp1MHz")->toolTip(), QStringLiteral("Up 1 MHz"));
    EXPECT_EQ(find<QPushButton>("cmdDown50KHz")->toolTip(), QStringLiteral("Down 50KHz"));

    find<QSlider>("sldPower")->setValue(42);
    EXPECT_EQ(stored(QStringLiteral("TXPower")), QStringLiteral("42"));
    find<QRadioButton>("optStereo")->click();
    EXPECT_EQ(stored(QStringLiteral("TXStereo")), QStringLiteral("1"));
}

TEST_F(MainWindowTest, EveryTransmitterListShowsItsLabelsAndStoresTheChoice)
{
    start();
    for (const TransmitterList &l : transmitterLists()) {
        auto *combo = find<QComboBox>(l.objectName);
        ASSERT_NE(combo, nullptr);
        QStringList shown;
        for (int i = 0; i < combo->count(); ++i)
            shown << combo->itemText(i);
        EXPECT_EQ(shown, l.labelList()) << l.key;
        EXPECT_EQ(combo->currentIndex(), l.defaultPosition) << l.key;
        const int last = combo->count() - 1;
        combo->setCurrentIndex(last);
        emit combo->activated(last);
        EXPECT_EQ(stored(QLatin1String(l.key)), QString::number(last)) << l.key;
    }
}

TEST_F(MainWindowTest, PiCodeFollowsItsListsAndAfListsChain)
{
    start();
    auto choose = [&](const char *name, int index) {
        auto *combo = find<QComboBox>(name);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    };
    auto *pi = find<QLabel>("lblPICode");
    EXPECT_EQ(pi->text(), QStringLiteral("3180"));
    choose("cmbCountry", 14);
    choose("cmbAreaCoverage", 15);
    choose("cmbProgramReference", 255);
    EXPECT_EQ(pi->text(), QStringLiteral("FFFF"));
    EXPECT_EQ(stored(QStringLiteral("CountryCode")), QStringLiteral("15"));
    EXPECT_EQ(stored(QStringLiteral("AreaCoverage")), QStringLiteral("15"));
    choose("cmbProgramReference", 224);
    EXPECT_EQ(pi->text(), QStringLiteral("FFE0"));
    choose("cmbECC", 19);
    choose("cmbPTY", 31);
    EXPECT_EQ(stored(QStringLiteral("ECC")), QStringLiteral("20"));
    EXPECT_EQ(stored(QStringLiteral("PTY")), QStringLiteral("31"));

    // The hidden AF lists keep their values until the first list is emptied.
    window->station().record().AF = {0, 125, 130, 140, 0, 0, 0, 0};
    choose("cmbAF1", 0);
    EXPECT_EQ(window->station().record().AF, (std::array<int16_t, 8>{}));
    EXPECT_EQ(stored(QStringLiteral("AF3")), QStringLiteral("0"));

    find<QRadioButton>("optDId1Off")->click();
    find<QRadioButton>("optTPOn")->click();
    EXPECT_EQ(stored(QStringLiteral("DId1")), QStringLiteral("0"));
    EXPECT_EQ(stored(QStringLiteral("TP")), QStringLiteral("1"));
    EXPECT_EQ(DIValue(window->station().record()), 13);
}

TEST_F(MainWindowTest, AboutBoxClosesByItself)
{
    start();
    QElapsedTimer shown;
    shown.start();
    window->showAbout();
    QWidget *box = window->findChild<QWidget *>(QStringLiteral("FrmAbout"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("About ZephyrineFM+"));
    window->showAbout(); // the same box again
    EXPECT_EQ(window->findChildren<QWidget *>(QStringLiteral("FrmAbout")).size(), 1);
    EXPECT_TRUE(runUntil([&] { return !window->findChild<QWidget *>(QStringLiteral("FrmAbout")); }, 5000));
    // Forty 30 ms steps, then it closes; timers never fire early.
    EXPECT_GE(shown.elapsed(), 40 * 30);
}

TEST_F(MainWindowTest, MoveToTrayAndBack)
{
    start();
    click("cmdMoveToTray");
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        EXPECT_TRUE(window->isMinimized());
        EXPECT_TRUE(window->statusText().contains(QLatin1String("no tray")));
        return;
    }
    EXPECT_FALSE(window->isVisible());
    window->restoreFromTray();
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, StaticPsAndRadioTextFollowTheirTextRules)
{
    start();
    auto *ps = find<QLineEdit>("txtPS0");
    ps->setText(QStringLiteral("AB"));
    emit ps->editingFinished();
    EXPECT_EQ(stored(QStringLiteral("PS")), QStringLiteral("AB      "));
    auto *rt = find<QLineEdit>("txtRT");
    rt->setText(QStringLiteral("News at six"));
    emit rt->textEdited(rt->text());
    EXPECT_EQ(stored(QStringLiteral("RT")), QStringLiteral("News at six"));
    emit rt->editingFinished();
    EXPECT_EQ(stored(QStringLiteral("RT")), QStringLiteral("News at six").leftJustified(64));
}
