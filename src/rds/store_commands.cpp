#include "rds/store_commands.h"

#include "link/encodings.h"

namespace zfm {

WireScript &appendSaveCommand(WireScript &s)
{
    s.pause(100);
    s.frameHead(1, "SAVE");
    s.status(QStringLiteral("Sending store settings command..."), 19);
    s.write("0").write(QByteArray(1, kTerminator));
    return s.pause(10).pause(100);
}

WireScript &appendGctSwitch(WireScript &s, const SettingsRecord &r) { return s.frame(1, "GCT", decimalText(r.GCT)); }

WireScript &appendGrtSwitch(WireScript &s, const SettingsRecord &r)
{
    return s.frameWithExtraPause(1, "GRT", decimalText(r.GRT), std::nullopt, 10);
}

WireScript &appendGeonSwitch(WireScript &s, const SettingsRecord &r) { return s.frame(1, "GEON", decimalText(r.GEON)); }

} // namespace zfm
