#pragma once

#include <QByteArray>
#include <QString>

namespace zfm {

// A text file written by another program (the playout system's title and
// RadioText files), read a bounded prefix at a time.
struct TextFile {
    enum class Status {
        Ok,
        NotFound, // nothing at the path, or a folder on the way does not exist
        Unreadable, // a folder, a device or pipe, no permission, or not text at all
        TimedOut, // the read did not answer in time (a share that hangs)
    };
    Status status = Status::NotFound;
    QString text;
};

// Reads at most `maxBytes` from the start of the file and decodes them with
// decodeText(). Only regular files are opened, so a pipe never blocks the
// caller. A file holding NUL characters is not a text file: Unreadable.
TextFile readTextFile(const QString &path, qsizetype maxBytes);

// UTF-8 when the bytes are valid UTF-8, else Windows-1252; a UTF-8 byte-order
// mark is dropped and one of UTF-16 selects that encoding. `truncated` says the
// bytes stop inside the file, so a character cut in half at the end is dropped
// rather than taken for a sign of Windows-1252. The result is in composed form
// (NFC), and control characters (C0, DEL and C1) other than line ends become
// blanks, so they can never reach a frame.
QString decodeText(QByteArray bytes, bool truncated);

// The text up to its first line end (CR or LF).
QString firstLine(const QString &text);

} // namespace zfm
