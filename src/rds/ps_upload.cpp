#include "rds/ps_upload.h"

#include "link/encodings.h"

#include <QLocale>

namespace zfm {

QString halfPercent(int i) { return QLocale().toString(i / 2.0, 'g', 4); }

WireScript dynamicPsFrames(const SettingsRecord &r)
{
    WireScript s;
    for (int i = 0; i < kPsEntries; ++i) {
        const QString text = QStringLiteral("Sending PS%1 to RDS encoder...%2%").arg(i).arg(halfPercent(i));
        s.frame(1, "PS" + paddedDecimal2(i), textValue(r.PS[i]), step::Status{text, 0.09 * i});
    }
    for (int i = 0; i < kPsEntries; ++i) {
        const QString text = QStringLiteral("Sending DELAY%1 to RDS encoder...%2%").arg(i).arg(halfPercent(i + 100));
        s.frame(1, "PD" + paddedDecimal2(i), decimalText(r.PSDelay[i]), step::Status{text, 9 + 0.09 * i});
    }
    return s;
}

} // namespace zfm
