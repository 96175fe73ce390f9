#include "settings/key_table.h"

#include <limits>

namespace zfm {

namespace {

QString numbered(const char *prefix, int n) { return QLatin1String(prefix) + QString::number(n); }

std::optional<qint64> parseWhole(const QString &text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

template <typename Int>
bool assignInt(Int *field, const QString &text)
{
    const auto v = parseWhole(text);
    if (!v || *v < std::numeric_limits<Int>::min() || *v > std::numeric_limits<Int>::max())
        return false;
    *field = static_cast<Int>(*v);
    return true;
}

} // namespace

std::vector<KeyBinding> recordKeys(SettingsRecord &r)
{
    std::vector<KeyBinding> k;
    k.reserve(300);
    auto add = [&k](const char *key, FieldRef field, bool keptOnly = false) {
        k.push_back({QLatin1String(key), field, keptOnly, false});
    };
    add("Preemphasis", &r.Preemphasis);
    add("Pilot", &r.Pilot);
    add("RDSPilot", &r.RDSPilot);
    add("MPXdev", &r.MPXdev);
    add("AudioInput", &r.AudioInput);
    add("ComLim", &r.ComLim);
    add("Attack", &r.Attack);
    add("Decay", &r.Decay);
    add("Integration", &r.Integration);
    add("Compression", &r.Compression);
    add("Threshold", &r.Threshold);
    add("InputGain", &r.InputGain);
    add("InputMute", &r.InputMute);
    add("SWRAlarm", &r.SWRAlarm);
    add("TEMPAlarm", &r.TEMPAlarm);
    add("IampAlarm", &r.IampAlarm);
    add("UampAlarm", &r.UampAlarm);
    add("PowerLimit", &r.PowerLimit, true);
    add("LogoLine1", &r.LogoLine1, true);
    add("LogoLine2", &r.LogoLine2, true);
    add("AutoRead", &r.AutoRead);
    add("GCT", &r.GCT);
    add("GRT", &r.GRT);
    add("GEON", &r.GEON);
    add("CountryCode", &r.CountryCode);
    add("ECC", &r.ECC);
    add("COMSelected", &r.COMSelected);
    add("COMSpeed", &r.COMSpeed);
    add("AreaCoverage", &r.AreaCoverage);
    add("ProgramReference", &r.ProgramReference);
    add("MODE", &r.MODE);
    add("TP", &r.TP);
    add("TransmitAF", &r.TransmitAF, true);
    add("TA", &r.TA);
    add("TXStereo", &r.TXStereo);
    add("TXPower", &r.TXPower);
    add("TXFrequency", &r.TXFrequency);
    add("MS", &r.MS);
    add("PTY", &r.PTY);
    add("AutoPS", &r.AutoPS);
    add("AutoPSDelay", &r.AutoPSDelay);
    add("TurboPSDelay", &r.TurboPSDelay, true);
    add("AutoPSPath", &r.AutoPSPath);
    add("AutoRTPath", &r.AutoRTPath);
    add("AutoPSSplit", &r.AutoPSSplit, true);
    add("ScrollPS", &r.ScrollPS, true);
    add("TrayAtStart", &r.TrayAtStart);
    add("RDSActive", &r.RDSActive);
    add("InsertTime", &r.InsertTime, true);
    add("InsertDate", &r.InsertDate);
    // Entry 0 of each PS family has the bare key; entry k appends k.
    for (int i = 0; i < kPsEntries; ++i)
        k.push_back({i == 0 ? QStringLiteral("PS") : numbered("PS", i), &r.PS[i]});
    for (int i = 0; i <= kPsEntries; ++i)
        k.push_back({i == 0 ? QStringLiteral("PSDelay") : numbered("PSDelay", i), &r.PSDelay[i], i == kPsEntries});
    add("SETTOSAMEDELAY", &r.SETTOSAMEDELAY);
    add("RT", &r.RT);
    for (int i = 0; i < kMessages; ++i)
        k.push_back({numbered("MG", i), &r.MG[i]});
    for (int i = 0; i < 6; ++i)
        k.push_back({numbered("RT", i + 1), &r.RTn[i], true});
    add("RTSwitch", &r.RTSwitch);
    add("AFNum", &r.AFNum);
    for (int i = 1; i <= kAfLists; ++i)
        k.push_back({numbered("AF", i), &r.AF[i]});
    for (int i = 0; i < 4; ++i)
        k.push_back({numbered("DId", i), &r.DId[i]});
    add("DynamicPS", &r.DynamicPS, true);
    add("DynamicRT", &r.DynamicRT, true);
    add("WinAmpVersion", &r.WinAmpVersion);
    add("GetMP3Tag", &r.GetMP3Tag);
    add("ShutDown", &r.ShutDown);
    add("SettingsAtStart", &r.SettingsAtStart);
    add("AutoReconnect", &r.AutoReconnect);
    // No alarm command is no key, as an unassigned port is.
    k.push_back({QStringLiteral("AlarmCommand"), &r.AlarmCommand, false, true});
    add("AutoPSChangedOnly", &r.AutoPSChangedOnly);
    return k;
}

std::vector<KeyBinding> portMapKeys(SettingsRecord &r)
{
    // A COM number without a key uses its default device.
    std::vector<KeyBinding> k;
    k.reserve(kComPorts);
    for (int n = 1; n <= kComPorts; ++n)
        k.push_back({numbered("COMDevice", n), &r.COMDevice[n], false, true});
    return k;
}

std::vector<KeyBinding> scheduleKeys(SettingsRecord &r)
{
    std::vector<KeyBinding> k;
    k.reserve(2 * kSchemeSlots + 1);
    for (int i = 0; i < kSchemeSlots; ++i)
        k.push_back({numbered("Scheme ", i), &r.Scheme[i]});
    for (int i = 0; i < kSchemeSlots; ++i)
        k.push_back({numbered("SchemeValue ", i), &r.SchemeValue[i]});
    k.push_back({QStringLiteral("SchemeEnable"), &r.SchemeEnable});
    return k;
}

QString storedText(const FieldRef &field)
{
    struct {
        QString operator()(int16_t *v) const { return QString::number(*v); }
        QString operator()(int32_t *v) const { return QString::number(*v); }
        QString operator()(bool *v) const { return *v ? QStringLiteral("True") : QStringLiteral("False"); }
        QString operator()(QString *v) const { return *v; }
    } visitor;
    return std::visit(visitor, field);
}

bool assignStoredText(const FieldRef &field, const QString &text)
{
    struct {
        const QString &text;
        bool operator()(int16_t *v) const { return assignInt(v, text); }
        bool operator()(int32_t *v) const { return assignInt(v, text); }
        bool operator()(bool *v) const
        {
            const QString t = text.trimmed();
            if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
                *v = true;
                return true;
            }
            if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
                *v = false;
                return true;
            }
            const auto n = parseWhole(t);
            if (!n)
                return false;
            *v = *n != 0;
            return true;
        }
        bool operator()(QString *v) const
        {
            *v = text;
            return true;
        }
    } visitor{text};
    return std::visit(visitor, field);
}

} // namespace zfm
