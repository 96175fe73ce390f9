#include "autoupdate/winamp_link.h"
#include "support/printers.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace zfm;

// Which player names make the program look for a window, and for which class
// (none: no search at all). The default "Studio" differs from "studio" in case.
TEST(WinampLink, SearchesOnlyForTheExactPlayerNames)
{
    const std::pair<const char *, const char *> rows[] = {{"Studio", nullptr}, {"studio", "STUDIO"},
        {"Winamp v1.x", "Winamp v1.x"}, {"winamp v1.x", nullptr}, {"", nullptr}};
    for (const auto &[version, searchedClass] : rows) {
        QStringList searched;
        WinampWindow player(QLatin1String(version), [&](const QString &c) { return searched << c, uintptr_t{0}; });
        EXPECT_FALSE(player.isFound() || player.findWindow()) << version;
        EXPECT_EQ(searched, searchedClass ? QStringList(2, QLatin1String(searchedClass)) : QStringList{}) << version;
    }
    // A window that is there is found and kept.
    EXPECT_TRUE(WinampWindow(QStringLiteral("studio"), [](const QString &) { return uintptr_t{0x1234}; }).isFound());
}
