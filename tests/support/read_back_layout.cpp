#include "support/read_back_layout.h"

#include "link/windows1252.h"

namespace zfm::test {

namespace {

QByteArray padded(int value, int width) { return QByteArray::number(value).rightJustified(width, '0'); }

// Back to the bytes the texts were decoded from, also for the five bytes
// Windows-1252 leaves unassigned (decoded as the C1 controls of the same number).
QByteArray bytesOf(const QString &text, int length)
{
    QByteArray out;
    for (const QChar c : text.left(length)) {
        const char16_t u = c.unicode();
        out += (u >= 0x80 && u < 0xA0 && fromWindows1252(QByteArray(1, char(u))) == QString(c))
            ? QByteArray(1, char(u))
            : toWindows1252(QString(c));
    }
    return out.leftJustified(length, ' ');
}

void item(QByteArray &out, const QByteArray &key, const std::optional<int> &value, int width)
{
    if (value)
        out += key + '=' + padded(*value, width) + "\r\n";
}

void textItem(QByteArray &out, const QByteArray &key, const std::optional<QString> &value, int length)
{
    if (value)
        out += key + "=\"" + bytesOf(*value, length) + "\"\r\n";
}

} // namespace

QByteArray readBackLayout(const ReadBack &v)
{
    QByteArray out;
    for (int i = 0; i < kPsEntries; ++i)
        item(out, padded(i, 2) + "PD", v.psDelay[i], 1);
    for (int i = 0; i < kPsEntries; ++i)
        textItem(out, padded(i, 2) + "PS", v.ps[i], kPsTextLength);
    for (int n = 0; n < kReadBackAfItems; ++n)
        item(out, QByteArray::number(n) + "AF", v.af[n], 3);
    item(out, "PTY", v.pty, 2);
    textItem(out, "RT", v.rt, kLongTextLength);
    for (int n = 0; n < kMessages; ++n)
        textItem(out, QByteArray::number(n) + "MG", v.mg[n], kLongTextLength);
    if (v.rdsActive)
        out += QByteArray("PWR=") + (*v.rdsActive ? '1' : '0') + "\r\n";
    item(out, "ECC", v.ecc, 3);
    item(out, "CCAC", v.ccac, 3);
    item(out, "PREF", v.pref, 3);
    item(out, "TA", v.ta, 1);
    item(out, "TP", v.tp, 1);
    for (int k = 0; k < 4; ++k)
        item(out, "DID" + QByteArray::number(k), v.did[k], 1);
    item(out, "MS", v.ms, 1);
    return out;
}

ReadBack readBackOf(const SettingsRecord &r)
{
    ReadBack v;
    for (int i = 0; i < kPsEntries; ++i) {
        v.psDelay[i] = r.PSDelay[i];
        v.ps[i] = r.PS[i];
    }
    v.af[0] = 224 + r.AFNum + 4;
    for (int k = 1; k < kReadBackAfItems; ++k)
        v.af[k] = r.AF[k] + 4;
    v.pty = r.PTY;
    v.rt = r.RT;
    v.mg = {r.MG[0], r.MG[1], r.MG[2], r.MG[3], r.MG[4], r.MG[5], r.MG[6], r.MG[7]};
    v.rdsActive = r.RDSActive;
    v.ecc = r.ECC + 4;
    v.ccac = 16 * r.CountryCode + r.AreaCoverage;
    v.pref = r.ProgramReference;
    v.ta = r.TA;
    v.tp = r.TP;
    for (int k = 0; k < 4; ++k)
        v.did[k] = r.DId[k];
    v.ms = r.MS;
    return v;
}

} // namespace zfm::test
