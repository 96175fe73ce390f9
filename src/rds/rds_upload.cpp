#include "rds/rds_upload.h"

#include "link/encodings.h"
#include "rds/rds_model.h"
#include "rds/store_commands.h"

namespace zfm {

namespace {

using R = SettingsRecord;

// Status texts and steps of the RDS sequence: "Sending X to RDS encoder... p%".
step::Status sending(const char *what, const char *percent, double progress)
{
    return {
        QStringLiteral("Sending %1 to RDS encoder... %2%").arg(QLatin1String(what), QLatin1String(percent)), progress};
}

} // namespace

WireScript rdsSettingsSequence(const SettingsRecord &r, Attended attended)
{
    WireScript s;
    // Its own order: open first, then the (refused) port number and line settings.
    s.pause(kWritePauseMs).open();

    const auto settings = [&s](const char *percent) {
        s.status(QStringLiteral("Sending settings to RDS encoder... %1%").arg(QLatin1String(percent)), 1);
    };
    const auto afterFrame = [&s](const step::Status &st) { s.status(st.text, st.progress).pause(10).pause(50); };

    settings("5");
    s.frame(1, "PWR", flagText(r.RDSActive), sending("PWR", "15", 1));
    settings("10");
    s.frame(1, "CCAC", ccacValue(r), sending("CCAC", "15", 1));
    const step::Status pi = sending("PI", "20", 2);
    s.status(pi.text, pi.progress).frame(1, "PREF", paddedDecimal3(r.ProgramReference));
    const step::Status pty = sending("PTY", "25", 3);
    s.status(pty.text, pty.progress).frame(1, "PTY", paddedDecimal2(r.PTY));
    s.frameWithExtraPause(1, "TP", decimalText(r.TP), sending("TP", "30", 4), 100);
    s.frameWithExtraPause(1, "TA", decimalText(r.TA), sending("TA", "35", 5), 10);
    appendGctSwitch(s, r);
    afterFrame(sending("GCT", "36", 6));
    appendGrtSwitch(s, r);
    afterFrame(sending("GRT", "37", 6));
    appendGeonSwitch(s, r);
    afterFrame(sending("GEON", "38", 6));
    s.frame(1, "MS", decimalText(r.MS), sending("MS", "40", 6));

    const char *didPercent[] = {"45", "47", "49", "52"};
    const double didStep[] = {7, 7, 7, 8};
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "Did" + QByteArray::number(i);
        const QByteArray what = "DID" + QByteArray::number(i);
        s.frame(1, name, decimalText(r.DId[i]), sending(what.constData(), didPercent[i], didStep[i]));
    }
    s.frame(1, "AF0", offsetByte(kAfCountBase + r.AFNum), sending("AF0", "55", 8));
    const char *afPercent[] = {"57", "60", "65", "70", "75", "80", "85"};
    for (int k = 1; k <= kAfLists; ++k) {
        const QByteArray name = "AF" + QByteArray::number(k);
        s.frame(1, name, offsetByte(r.AF[k]), sending(name.constData(), afPercent[k - 1], 11 + k));
    }
    s.frame(1, "RT", rtBlockValue(r.RT), sending("RT", "0", 18));

    // The static PS: with the operator present its text is shown and the
    // frame's terminator waits until the box is closed.
    s.frameHead(1, "PS00");
    s.status(QStringLiteral("Sending PS to RDS encoder..."), 18);
    s.write(textValue(r.PS[0]));
    if (attended == Attended::Yes)
        s.confirm(r.PS[0]);
    s.pause(kWritePauseMs).write(QByteArray(1, kTerminator)).pause(kFramePauseMs);

    s.frame(1, "ECC", offsetByte(r.ECC), sending("ECC", "90", 19));
    appendSaveCommand(s);
    return s.pause(kWritePauseMs).ready();
}

} // namespace zfm
