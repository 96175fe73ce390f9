#pragma once

#include <QByteArray>
#include <QStringList>

#include <array>

namespace zfm::test {

// The read-back as the program's parser sees it, decoded by the layout agreed
// with the parser: each key found by its first occurrence outside text values,
// each value at a fixed distance from the key's first character.
struct ReadBackItems {
    std::array<QByteArray, 100> pd; // one character each
    std::array<QByteArray, 100> ps; // 8 characters each
    std::array<int, 8> af{}; // as sent: af[0] = AFNum + 228, af[n] = AFn + 4
    int pty = -1;
    QByteArray rt; // 64 characters
    std::array<QByteArray, 8> mg; // 64 characters each
    QByteArray pwr;
    int ecc = -1; // list number + 4
    int ccac = -1;
    int pref = -1;
    int ta = -1, tp = -1, ms = -1;
    std::array<int, 4> did{-1, -1, -1, -1};
    // Every way the reply departs from the layout; empty when it keeps it.
    QStringList problems;
};

ReadBackItems checkReadBack(const QByteArray &reply);

} // namespace zfm::test
