#pragma once

#include <QString>

namespace zfm::test {

// The store's file in the test program's private configuration folder, named
// without opening the store: opening it would write whatever changes are pending.
QString settingsFile();

// A key's text as the file on disk holds it, "<absent>" or "<no file>". (A
// store object in this process would answer from the changes not written yet.)
QString onDisk(const char *key);

} // namespace zfm::test
