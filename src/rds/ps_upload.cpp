#include "rds/ps_upload.h"

#include "link/encodings.h"

#include <QLocale>

#include <cmath>

namespace zfm {

namespace {

// The whole list's frames; the progress bar goes 0.09 a frame, as far as 18.
constexpr int kWholeListFrames = 2 * kPsEntries;
constexpr double kProgressPerFrame = 0.09;

} // namespace

PsList PsList::of(const SettingsRecord &r)
{
    PsList list;
    list.texts = r.PS;
    std::copy_n(r.PSDelay.begin(), kPsEntries, list.delays.begin());
    return list;
}

PsEntries PsEntries::all()
{
    PsEntries e;
    for (int i = 0; i < kPsEntries; ++i) {
        e.texts.push_back(i);
        e.delays.push_back(i);
    }
    return e;
}

PsEntries PsEntries::changed(const PsList &from, const PsList &to)
{
    PsEntries e;
    for (int i = 0; i < kPsEntries; ++i) {
        const auto at = static_cast<size_t>(i);
        if (from.texts[at] != to.texts[at])
            e.texts.push_back(i);
        if (from.delays[at] != to.delays[at])
            e.delays.push_back(i);
    }
    return e;
}

QString framePercent(int sent, int total) { return QLocale().toString(std::round(1000.0 * sent / total) / 10, 'g', 4); }

QString halfPercent(int i) { return framePercent(i, kWholeListFrames); }

WireScript psFrames(const SettingsRecord &r, const PsEntries &entries)
{
    WireScript s;
    const int total = entries.frames();
    int sent = 0;
    // Where the whole list's bar would stand after as large a share of it;
    // its delays count on from 9, the way the whole list shows them.
    const auto progress = [&sent, total] {
        const double at = static_cast<double>(sent) * kWholeListFrames / total;
        return at < kPsEntries ? kProgressPerFrame * at : 9 + kProgressPerFrame * (at - kPsEntries);
    };
    for (const int i : entries.texts) {
        const QString text = QStringLiteral("Sending PS%1 to RDS encoder...%2%").arg(i).arg(framePercent(sent, total));
        s.frame(1, "PS" + paddedDecimal2(i), textValue(r.PS[static_cast<size_t>(i)]), step::Status{text, progress()});
        ++sent;
    }
    for (const int i : entries.delays) {
        const QString text
            = QStringLiteral("Sending DELAY%1 to RDS encoder...%2%").arg(i).arg(framePercent(sent, total));
        s.frame(1, "PD" + paddedDecimal2(i), decimalText(r.PSDelay[static_cast<size_t>(i)]),
            step::Status{text, progress()});
        ++sent;
    }
    return s;
}

WireScript dynamicPsFrames(const SettingsRecord &record) { return psFrames(record, PsEntries::all()); }

} // namespace zfm
