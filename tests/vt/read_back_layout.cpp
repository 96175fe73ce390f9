#include "read_back_layout.h"

#include <vector>

namespace zfm::test {

namespace {

// One item of the layout: key, where its value starts counted from the key's
// first character, the value's length, and whether the value is a quoted text.
struct Item {
    QByteArray key;
    int valueAt;
    int length;
    bool text;
};

std::vector<Item> layout()
{
    std::vector<Item> items;
    auto two = [](int i) { return QByteArray::number(i).rightJustified(2, '0'); };
    for (int i = 0; i < 100; ++i)
        items.push_back({two(i) + "PD", 5, 1, false});
    for (int i = 0; i < 100; ++i)
        items.push_back({two(i) + "PS", 6, 8, true});
    for (int n = 0; n < 8; ++n)
        items.push_back({QByteArray::number(n) + "AF", 4, 3, false});
    items.push_back({"PTY", 4, 2, false});
    items.push_back({"RT", 4, 64, true});
    for (int n = 0; n < 8; ++n)
        items.push_back({QByteArray::number(n) + "MG", 5, 64, true});
    items.push_back({"PWR", 4, 1, false});
    items.push_back({"ECC", 4, 3, false});
    items.push_back({"CCAC", 5, 3, false});
    items.push_back({"PREF", 5, 3, false});
    items.push_back({"TA", 3, 1, false});
    items.push_back({"TP", 3, 1, false});
    for (int i = 0; i < 4; ++i)
        items.push_back({"DID" + QByteArray::number(i), 5, 1, false});
    items.push_back({"MS", 3, 1, false});
    return items;
}

bool insideAny(qsizetype pos, const std::vector<std::pair<qsizetype, qsizetype>> &spans)
{
    for (const auto &[from, to] : spans) {
        if (pos >= from && pos < to)
            return true;
    }
    return false;
}

int number(const QByteArray &v)
{
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok ? n : -1;
}

} // namespace

ReadBackItems checkReadBack(const QByteArray &reply)
{
    ReadBackItems r;
    const std::vector<Item> items = layout();
    if (!reply.endsWith('$'))
        r.problems << QStringLiteral("does not end with $");
    const QByteArray body = reply.endsWith('$') ? reply.chopped(1) : reply;
    if (body.size() != 3313)
        r.problems << QStringLiteral("%1 characters before the $, not 3313").arg(body.size());
    if (body.contains('$'))
        r.problems << QStringLiteral("a $ before the end");

    // Walk the items in order: each is key, "=", value (quoted for texts), CR LF.
    std::vector<qsizetype> at;
    std::vector<std::pair<qsizetype, qsizetype>> textSpans;
    qsizetype pos = 0;
    for (const Item &item : items) {
        at.push_back(pos);
        const qsizetype valueEnd = pos + item.valueAt + item.length;
        QByteArray expectedFrame = item.key + '=' + (item.text ? "\"" : "");
        if (body.mid(pos, item.valueAt) != expectedFrame)
            r.problems << QStringLiteral("item %1 not at %2").arg(QString::fromLatin1(item.key)).arg(pos);
        if (item.text)
            textSpans.push_back({pos + item.valueAt, valueEnd});
        const QByteArray tail = QByteArray(item.text ? "\"" : "") + "\r\n";
        if (body.mid(valueEnd, tail.size()) != tail)
            r.problems << QStringLiteral("item %1 not closed at %2").arg(QString::fromLatin1(item.key)).arg(valueEnd);
        pos = valueEnd + tail.size();
    }
    // The parser's view: the first occurrence outside text values is the item.
    for (size_t i = 0; i < items.size(); ++i) {
        qsizetype found = body.indexOf(items[i].key);
        while (found >= 0 && insideAny(found, textSpans))
            found = body.indexOf(items[i].key, found + 1);
        if (found != at[i])
            r.problems << QStringLiteral("key %1 first found at %2, its item is at %3")
                              .arg(QString::fromLatin1(items[i].key))
                              .arg(found)
                              .arg(at[i]);
    }

    auto value = [&](size_t i) { return body.mid(at[i] + items[i].valueAt, items[i].length); };
    size_t i = 0;
    for (int k = 0; k < 100; ++k)
        r.pd[k] = value(i++);
    for (int k = 0; k < 100; ++k)
        r.ps[k] = value(i++);
    for (int n = 0; n < 8; ++n)
        r.af[n] = number(value(i++));
    r.pty = number(value(i++));
    r.rt = value(i++);
    for (int n = 0; n < 8; ++n)
        r.mg[n] = value(i++);
    r.pwr = value(i++);
    r.ecc = number(value(i++));
    r.ccac = number(value(i++));
    r.pref = number(value(i++));
    r.ta = number(value(i++));
    r.tp = number(value(i++));
    for (int k = 0; k < 4; ++k)
        r.did[k] = number(value(i++));
    r.ms = number(value(i++));
    return r;
}

} // namespace zfm::test
