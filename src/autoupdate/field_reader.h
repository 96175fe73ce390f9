#pragma once

#include <QStringList>
#include <QStringView>

namespace zfm {

// Free-format field input, the way playout programs write their title files:
// - a field ends at a comma or at a line end (CR, LF or CR LF);
// - blanks (space, tab) in front of a field are skipped, and dropped after an
//   unquoted one, so "Artist , Title" gives "Artist" and "Title";
// - a field that begins with a double quote runs to the next double quote and
//   may hold commas; the quotes are not part of it. A line end also closes it,
//   so a stray quote never swallows the rest of the file. Anything between the
//   closing quote and the next comma or line end is ignored;
// - a line holding nothing but blanks gives no field, and neither does a comma
//   right before a line end or the end of the text; "A,,B" gives three fields,
//   the middle one empty.
// At most `maxFields` fields are read; the rest of the text is not looked at.
QStringList readFields(QStringView text, int maxFields = 3);

} // namespace zfm
