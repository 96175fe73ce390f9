#include "autoupdate/winamp_link.h"
#include "support/printers.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace zfm;

// Which player names make the program look for a window, and for which class.
TEST(WinampLink, SearchesOnlyForTheExactPlayerNames)
{
    // Player name, class searched for (nullptr: no search at all). The default
    // "Studio" differs from "studio" in case.
    const std::pair<const char *, const char *> rows[] = {{"Studio", nullptr}, {"studio", "STUDIO"},
        {"Winamp v1.x", "Winamp v1.x"}, {"winamp v1.x", nullptr}, {"", nullptr}};
    for (const auto &[version, searchedClass] : rows) {
        QStringList searched;
        const auto search = [&](const QString &className) {
            searched << className;
            return uintptr_t{0};
        };
        clsWinAMP player(QLatin1String(version), search);
        EXPECT_FALSE(player.GotWnd()) << version;
        EXPECT_EQ(player.GetWinAMPWnd(), 0u);
        const QStringList expected
            = searchedClass ? QStringList{QLatin1String(searchedClass), QLatin1String(searchedClass)} : QStringList{};
        EXPECT_EQ(searched, expected) << version;
    }
    // A window that is there is found and kept.
    clsWinAMP found(QStringLiteral("studio"), [](const QString &) { return uintptr_t{0x1234}; });
    EXPECT_TRUE(found.GotWnd());
    // On this platform top-level windows have no class names: nothing is found.
    EXPECT_EQ(clsWinAMP::platformWindowSearch()(QStringLiteral("STUDIO")), 0u);
}
