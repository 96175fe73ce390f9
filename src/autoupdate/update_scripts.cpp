#include "autoupdate/update_scripts.h"

#include "autoupdate/char_text.h"
#include "link/encodings.h"
#include "rds/ps_upload.h"

namespace zfm {

namespace {
constexpr int kRtLeadInPauses = 4;
constexpr int kRtChars = 64;
} // namespace

WireScript autoPsUploadScript(const SettingsRecord &record)
{
    WireScript s;
    s.pause(kWritePauseMs).open(LineSource::ComSpeed);
    s.append(dynamicPsFrames(record));
    return s.pause(kWritePauseMs).close().ready();
}

WireScript rtLeadInScript()
{
    WireScript s;
    for (int i = 0; i < kRtLeadInPauses; ++i)
        s.pause(kFramePauseMs);
    return s;
}

QByteArray rtFrameValue(const QString &rt)
{
    qsizetype start = 0;
    while (start < rt.size() && rt[start] == u' ')
        ++start;
    const QString value = rt.mid(start) + QString(3, QChar(kCarriageReturn));
    return Text(leftChars(value, kRtChars));
}

WireScript autoRtUploadScript(const QString &rt)
{
    WireScript s;
    s.close().open(LineSource::ComSpeed, {}, true).pause(kWritePauseMs);
    s.frameHead(1, "RT").status(QStringLiteral("Sending RT to RDS encoder... 50%"), 1);
    s.write(rtFrameValue(rt)).pause(kWritePauseMs);
    s.write(QByteArray(1, kTerminator)).pause(kWritePauseMs);
    return s.ready();
}

} // namespace zfm
