// The main window through its real widgets: start-up, enabling, the
// transmitter and RDS pages, bad stored values, the file choosers.
#include "rds/rds_model.h"
#include "support/wait.h"
#include "support/window_fixture.h"
#include "transmitter/transmitter_tables.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

using namespace zfm;
using namespace zfm::test;

using MainWindowTest = WindowTest;

TEST_F(MainWindowTest, StartOpensThePortQuietlyAndTheFamilySetsItsSpeed)
{
    start();
    // (That start-up writes nothing and asks nothing is seen in every upload
    // test, which compares the whole line and every message.)
    EXPECT_TRUE(find<QRadioButton>("optClassic")->isChecked());
    EXPECT_EQ(capture.pty().baud(), 9600);
    EXPECT_EQ(window->statusText(), QStringLiteral("Ready"));
    // Choosing a family stores it at once and changes the open port's speed
    // as soon as the line is free.
    const std::tuple<const char *, int, const char *, const char *> rows[]
        = {{"optVesk", 38400, "13", "5"}, {"optClassic", 9600, "12", "2"}};
    for (const auto &[option, baud, mode, speed] : rows) {
        find<QRadioButton>(option)->click();
        EXPECT_TRUE(runUntil([&] { return capture.pty().baud() == baud; }, 1000)) << option;
        EXPECT_EQ(stored(QStringLiteral("MODE")), QLatin1String(mode));
        EXPECT_EQ(stored(QStringLiteral("COMSpeed")), QLatin1String(speed));
    }
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
    // The last row is a list's last entry, which must be kept.
    const std::tuple<const char *, const char *, const char *> rows[]
        = {{"Pilot", "99", "4"}, {"TXFrequency", "87501", "100000"}, {"TXPower", "150", "100"}, {"PTY", "45", "10"},
            {"ECC", "0", "3"}, {"AF1", "230", "125"}, {"Decay", "abc", "5"}, {"MODE", "7", "12"},
            {"ProgramReference", "256", "128"}, {"AreaCoverage", "15", "15"}};
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

TEST_F(MainWindowTest, TransmitterControlsShowAndStoreTheirValues)
{
    store(QStringLiteral("TXFrequency"), QStringLiteral("107800"));
    start();
    const std::pair<const char *, const char *> rows[] = {{"cmdUp1MHz", "108.000MHz"}, {"cmdUp50KHz", "108.000MHz"},
        {"cmdDown50KHz", "107.950MHz"}, {"cmdDown1MHz", "107.450MHz"}};
    for (const auto &[button, display] : rows) {
        click(button);
        EXPECT_EQ(find<QLabel>("lblFrequency")->text(), QLatin1String(display)) << button;
    }
    EXPECT_EQ(stored(QStringLiteral("TXFrequency")), QStringLiteral("107450"));

    find<QSlider>("sldPower")->setValue(42);
    EXPECT_EQ(stored(QStringLiteral("TXPower")), QStringLiteral("42"));
    find<QRadioButton>("optStereo")->click();
    EXPECT_EQ(stored(QStringLiteral("TXStereo")), QStringLiteral("1"));

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

TEST_F(MainWindowTest, RdsPageShowsThePiCodeAndStoresItsChoicesAndTexts)
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
    choose("cmbProgramReference", 224);
    EXPECT_EQ(pi->text(), QStringLiteral("FFE0"));
    choose("cmbECC", 19);
    choose("cmbPTY", 31);
    const std::pair<const char *, const char *> expected[]
        = {{"CountryCode", "15"}, {"AreaCoverage", "15"}, {"ProgramReference", "224"}, {"ECC", "20"}, {"PTY", "31"}};
    for (const auto &[key, text] : expected)
        EXPECT_EQ(stored(QLatin1String(key)), QLatin1String(text)) << key;

    // The hidden AF lists keep their values until the first list is emptied.
    window->station().record().AF = {0, 125, 130, 140, 0, 0, 0, 0};
    choose("cmbAF1", 0);
    EXPECT_EQ(window->station().record().AF, (std::array<int16_t, 8>{}));
    EXPECT_EQ(stored(QStringLiteral("AF3")), QStringLiteral("0"));

    find<QRadioButton>("optDId1Off")->click();
    find<QRadioButton>("optTPOn")->click();
    EXPECT_EQ(stored(QStringLiteral("DId1")), QStringLiteral("0"));
    EXPECT_EQ(stored(QStringLiteral("TP")), QStringLiteral("1"));
    EXPECT_EQ(diValue(window->station().record()), 13);

    // The static PS is padded to 8 at once, the RadioText to 64 when editing ends.
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

// "Send only changed entries" shows the stored choice, and stores and uses the operator's.
TEST_F(MainWindowTest, SendOnlyChangedEntriesIsStoredAndUsed)
{
    store(QStringLiteral("AutoPSChangedOnly"), QStringLiteral("True"));
    start();
    auto *box = find<QCheckBox>("chkAutoPSChangedOnly");
    EXPECT_EQ(box->text(), QStringLiteral("Send only changed entries"));
    EXPECT_TRUE(box->isChecked());
    for (const char *after : {"False", "True"}) {
        box->click();
        EXPECT_EQ(stored(QStringLiteral("AutoPSChangedOnly")), QLatin1String(after));
        EXPECT_EQ(window->station().autoUpdate().changedOnly(), box->isChecked());
    }
}

// The two "Browse" choosers: each stores its file in its own field and path
// box; cancelling changes nothing. A chooser opens in the stored file's folder,
// or at home when that folder does not exist (the default Windows path).
TEST_F(MainWindowTest, EachFileChooserFillsItsOwnFieldOnly)
{
    // Picks `file` once the chooser is open, or cancels when empty; returns its
    // folder, caption and filters.
    auto choose = [&](const char *button, const QString &file) {
        QString seen;
        QTimer::singleShot(0, [&, file] {
            runUntil([] { return QApplication::activeModalWidget() != nullptr; }, 3000);
            auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            seen = d->directory().absolutePath() + u'|' + d->windowTitle() + u'|' + d->nameFilters().join(u';');
            if (file.isEmpty())
                return d->reject();
            d->selectFile(file);
            QMetaObject::invokeMethod(d, "accept");
        });
        click(button);
        return seen;
    };
    QTemporaryDir dir;
    const QString news = dir.filePath(QStringLiteral("news.txt"));
    QFile(news).open(QIODevice::WriteOnly);
    store(QStringLiteral("AutoPSPath"), dir.filePath(QStringLiteral("old.txt")));
    start();
    const QString kind = QStringLiteral("|Browse to file with song name (*.txt) ...|*.txt");
    const std::tuple<const char *, const char *, const char *, const char *, QString> rows[]
        = {{"cmdBrowseRT", "txtAutoRTPath", "AutoRTPath", "AutoPSPath", QDir::homePath()},
            {"cmdBrowsePS", "txtAutoPSPath", "AutoPSPath", "AutoRTPath", QDir(dir.path()).absolutePath()}};
    for (const auto &[button, box, field, other, folder] : rows) {
        const QString before = stored(QLatin1String(field)), otherBefore = stored(QLatin1String(other));
        EXPECT_EQ(choose(button, QString()), folder + kind);
        EXPECT_EQ(stored(QLatin1String(field)), before) << button;
        EXPECT_EQ(find<QLineEdit>(box)->text(), before);
        choose(button, news);
        EXPECT_EQ(stored(QLatin1String(field)), news) << button;
        EXPECT_EQ(find<QLineEdit>(box)->text(), news);
        EXPECT_EQ(stored(QLatin1String(other)), otherBefore) << button;
    }
}

// The about box closes by itself after its fade (forty 30 ms steps); the tray
// round trip, or the minimised window where the desktop has no tray.
TEST_F(MainWindowTest, AboutBoxClosesByItselfAndTheTrayGivesTheWindowBack)
{
    start();
    QElapsedTimer shown;
    shown.start();
    window->showAbout();
    window->showAbout(); // the same box again
    EXPECT_EQ(window->findChildren<QWidget *>(QStringLiteral("FrmAbout")).size(), 1);
    EXPECT_TRUE(runUntil([&] { return !window->findChild<QWidget *>(QStringLiteral("FrmAbout")); }, 5000));
    EXPECT_GE(shown.elapsed(), 40 * 30);

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
