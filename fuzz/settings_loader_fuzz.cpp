// libFuzzer target for start-up with a hostile settings store.
//
// Input: lines "name=value" (the value as UTF-8) or "name~value" (the value's
// bytes as UTF-16LE units, so lone surrogates get in too); a line without
// either is a name with an empty value. A name that is a stored key picks that
// key, any other name picks one by its hash, so every line stores some real key.
//
// The store is loaded as start-up does (Settings::loadAll, repairStoredValues,
// the automatic update's restore). Then every value the window shows must be
// one it can show: list positions inside their lists, the frequency on the
// band and its raster, power 0..100, MODE a family, the AF lists an unbroken
// run of codes, PS delays 0..9, RTSwitch 0 or 1, flags 0 or 1. The repaired
// record saved into an empty store and loaded again is the same record, with
// nothing left to repair; and the uploads built from it put nothing on the
// wire but well-formed frames.
#include "fuzz_check.h"

#include "autoupdate/auto_update_engine.h"
#include "link/clock.h"
#include "link/encodings.h"
#include "rds/rds_model.h"
#include "rds/rt_ps_upload.h"
#include "settings/key_table.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "station/stored_values.h"
#include "transmitter/frequency.h"
#include "transmitter/send_settings.h"
#include "transmitter/transmitter_tables.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

using namespace zfm;

namespace {

using fuzz::check;

const QStringList &allKeys()
{
    static const QStringList keys = [] {
        SettingsRecord r;
        QStringList k;
        for (const KeyBinding &b : recordKeys(r))
            k << b.key;
        for (const KeyBinding &b : scheduleKeys(r))
            k << b.key;
        return k;
    }();
    return keys;
}

QString pickKey(std::string_view name)
{
    const QString exact = QString::fromUtf8(name.data(), qsizetype(name.size()));
    if (allKeys().contains(exact))
        return exact;
    uint32_t hash = 2166136261u; // FNV-1a
    for (const char c : name)
        hash = (hash ^ uint8_t(c)) * 16777619u;
    return allKeys()[qsizetype(hash % uint32_t(allKeys().size()))];
}

QString utf16Units(std::string_view bytes)
{
    QString text(qsizetype(bytes.size() / 2), QChar());
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8));
    return text;
}

void fill(MemoryStore &store, std::string_view input)
{
    while (!input.empty()) {
        const size_t end = std::min(input.find('\n'), input.size());
        const std::string_view line = input.substr(0, end);
        input.remove_prefix(std::min(end + 1, input.size()));
        const size_t sep = line.find_first_of("=~");
        const std::string_view name = line.substr(0, sep);
        const std::string_view value = sep == std::string_view::npos ? std::string_view() : line.substr(sep + 1);
        const bool units = sep != std::string_view::npos && line[sep] == '~';
        store.setValue(
            pickKey(name), units ? utf16Units(value) : QString::fromUtf8(value.data(), qsizetype(value.size())));
    }
}

bool isFlag(int16_t v) { return v == 0 || v == 1; }

void checkShowable(const SettingsRecord &r, const AutoUpdateEngine &engine)
{
    for (const TransmitterList &list : transmitterLists())
        check(list.contains(r.*(list.field)), "transmitter list positions inside their lists");
    check(isValidFrequency(r.TXFrequency), "frequency on the band and raster");
    check(r.TXPower >= 0 && r.TXPower <= 100, "power 0..100");
    check(r.MODE == kModeClassicAlias || r.MODE == kModeClassic || r.MODE == kModeSmall, "MODE is a family");
    check(r.CountryCode >= 1 && r.CountryCode <= 15, "country 1..15");
    check(r.AreaCoverage >= 0 && r.AreaCoverage <= 15, "area 0..15");
    check(r.ProgramReference >= 0 && r.ProgramReference <= 255, "programme reference 0..255");
    check(r.ECC >= 1 && r.ECC <= 20, "ECC 1..20");
    check(r.PTY >= 0 && r.PTY <= 31, "PTY 0..31");
    check(r.COMSelected >= 1 && r.COMSelected <= kComPorts, "COM 1..16");
    check(r.AutoPS >= 0 && r.AutoPS <= 2, "AutoPS 0..2");
    check(static_cast<int16_t>(engine.type()) == r.AutoPS, "the type choice shows AutoPS");
    check(r.AutoPSDelay >= 0 && r.AutoPSDelay <= kMaxPsDelay, "AutoPSDelay 0..9");
    check(r.SETTOSAMEDELAY >= 0 && r.SETTOSAMEDELAY <= kMaxPsDelay, "SETTOSAMEDELAY 0..9");
    check(isFlag(r.RTSwitch), "RTSwitch 0 or 1");
    for (int i = 0; i < kPsEntries; ++i)
        check(r.PSDelay[i] >= 0 && r.PSDelay[i] <= kMaxPsDelay, "PS delays 0..9");
    bool emptied = false;
    for (int k = 1; k <= 7; ++k) {
        check(r.AF[k] >= 0 && r.AF[k] <= kAfCodeMax, "AF codes 0..204");
        check(!emptied || r.AF[k] == 0, "AF lists an unbroken run");
        emptied = emptied || r.AF[k] == 0;
    }
    for (const int16_t flag :
        {r.TP, r.TA, r.MS, r.DId[0], r.DId[1], r.DId[2], r.DId[3], r.GCT, r.GRT, r.GEON, r.TXStereo})
        check(isFlag(flag), "flags 0 or 1");
    check(r.schemeList.size() <= size_t(kSchemeSlots), "at most one list line per slot");
    for (const SchemeEntry &e : r.schemeList)
        check(!e.line.isEmpty(), "no empty list lines");
}

// Every byte a script writes belongs to a frame: one or two lead-in bytes, a
// name of letters and digits, the separator, a value without any of the three
// framing bytes, the terminator. A framing byte inside a value would end the
// frame early and hand the rest to the device as a command of its own.
void checkFrames(const WireScript &script)
{
    const QByteArray wire = script.bytes();
    qsizetype i = 0;
    const auto isFraming = [](char c) { return c == kLeadIn || c == kSeparator || c == kTerminator; };
    while (i < wire.size()) {
        const qsizetype start = i;
        while (i < wire.size() && wire[i] == kLeadIn)
            ++i;
        check(i - start == 1 || i - start == 2, "a frame starts with one or two lead-in bytes");
        const qsizetype name = i;
        while (i < wire.size() && std::isalnum(static_cast<unsigned char>(wire[i])))
            ++i;
        check(i > name && i < wire.size() && wire[i] == kSeparator, "a frame name ends at the separator");
        ++i;
        while (i < wire.size() && !isFraming(wire[i]))
            ++i;
        check(i < wire.size() && wire[i] == kTerminator, "a frame value holds no framing byte");
        ++i;
    }
}

// Start-up's part of the settings, as the window runs it.
struct StartedUp {
    QStringList unreadable;
    QStringList repaired;
    std::unique_ptr<AutoUpdateEngine> engine;
};

StartedUp startUp(Settings &settings, const Clock &clock)
{
    StartedUp s;
    s.unreadable = settings.loadAll();
    const int16_t mode = settings.record().MODE;
    check(mode == kModeClassicAlias || mode == kModeClassic || mode == kModeSmall, "loading leaves a family");
    s.repaired = repairStoredValues(settings.record());
    s.engine = std::make_unique<AutoUpdateEngine>(settings, clock);
    s.engine->restore();
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ManualClock clock;
    MemoryStore store;
    fill(store, std::string_view(reinterpret_cast<const char *>(data), size));

    SettingsRecord r;
    Settings settings(r, store);
    checkShowable(r, *startUp(settings, clock).engine);

    // What is saved is read back the same, with nothing left to repair.
    MemoryStore saved;
    Settings(r, saved).saveAll();
    SettingsRecord again;
    Settings reloaded(again, saved);
    const StartedUp second = startUp(reloaded, clock);
    check(second.unreadable.isEmpty(), "a saved value is always readable");
    check(second.repaired.isEmpty(), "a saved value never needs repair");
    check(again == r, "a saved record loads as the same record");

    // The uploads built from it (with the 100 PS entries and delays): every
    // value encodes without overflow and stays inside its frame.
    SettingsRecord copy = r;
    checkFrames(sendSettingsScript(copy, Attended::No));
    checkFrames(sendRtAndPsScript(r));
    return 0;
}
