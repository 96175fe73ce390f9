// The main window through its real widgets: a port missing at start-up, bad
// stored values, the file choosers.
#include "support/wait.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

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
