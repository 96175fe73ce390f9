#include "autoupdate/field_reader.h"
#include "autoupdate/ps_rebuild.h"

#include <gtest/gtest.h>

using namespace zfm;

TEST(FieldReader, FieldsAndTitleOfTitleFiles)
{
    const std::pair<const char *, QStringList> rows[] = {
        {"Artist,Title,Album,Year", {"Artist", "Title", "Album"}},
        {"Artist - Title", {"Artist - Title"}},
        {"Artist\r\nTitle\r\n", {"Artist", "Title"}},
        {"Artist\rTitle", {"Artist", "Title"}},
        {"\"Smith, John\",\"Song, Live\"", {"Smith, John", "Song, Live"}},
        {"  Artist  ,\tTitle \r\n", {"Artist", "Title"}},
        {"\r\n  \r\n\r\nArtist\r\n\r\nTitle", {"Artist", "Title"}},
        {"  \"  kept  \" , x", {"  kept  ", "x"}},
        {"A,,B", {"A", "", "B"}},
        {"Artist,\r\nTitle,\r\n", {"Artist", "Title"}},
        // Quotes: what follows the closing quote is dropped; a line end closes an open one.
        {"\"Artist\" feat. X,Title", {"Artist", "Title"}},
        {"\"Artist, no end\nTitle", {"Artist, no end", "Title"}},
        {"in\"side,x", {"in\"side", "x"}},
        {"  \r\n\t\r\n", {}},
        {",", {""}},
        {"\"", {""}},
    };
    for (const auto &[text, fields] : rows)
        EXPECT_EQ(readFields(QString::fromUtf8(text)), fields) << text;

    // The first three fields make the title, cut to 64 characters; the rest is never read.
    EXPECT_EQ(composeTitle(readFields(QStringLiteral("a,b,c,\"") + QString(99999, u'x'))), QStringLiteral("a b c"));
    EXPECT_EQ(composeTitle({QString(40, u'a'), QString(40, u'b')}), QString(40, u'a') + u' ' + QString(23, u'b'));
}
