#include "rds/store_commands.h"

#include "link/encodings.h"

namespace zfm {

WireScript &SendSaveCommand(WireScript &s)
{
    s.pause(100);
    s.frameHead(1, "SAVE");
    s.status(QStringLiteral("Sending store settings command..."), 19);
    s.write("0").write(QByteArray(1, kTerminator));
    return s.pause(10).pause(100);
}

WireScript &SendGCT(WireScript &s, const SettingsRecord &r) { return s.frame(1, "GCT", DecimalText(r.GCT)); }

WireScript &SendGRT(WireScript &s, const SettingsRecord &r)
{
    return s.frameWithExtraPause(1, "GRT", DecimalText(r.GRT), std::nullopt, 10);
}

WireScript &SendGEON(WireScript &s, const SettingsRecord &r) { return s.frame(1, "GEON", DecimalText(r.GEON)); }

} // namespace zfm
