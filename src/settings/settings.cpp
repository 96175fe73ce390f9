#include "settings/settings.h"

#include "settings/key_table.h"
#include "settings/settings_store.h"

namespace zfm {

namespace {

// Reads each binding; an unconvertible text leaves the field at its default.
void loadKeys(const std::vector<KeyBinding> &keys, const std::vector<KeyBinding> &defaults, const SettingsStore &store,
    QStringList &repaired)
{
    for (size_t i = 0; i < keys.size(); ++i) {
        const auto text = store.value(keys[i].key);
        const QString defaultText = storedText(defaults[i].field);
        assignStoredText(keys[i].field, defaultText);
        if (text && !assignStoredText(keys[i].field, *text))
            repaired << keys[i].key;
    }
}

void saveKeys(const std::vector<KeyBinding> &keys, SettingsStore &store, const QString &skip = {})
{
    for (const KeyBinding &k : keys) {
        if (k.key == skip)
            continue;
        const QString text = storedText(k.field);
        if (k.absentWhenEmpty && text.isEmpty())
            store.remove(k.key);
        else
            store.setValue(k.key, text);
    }
}

} // namespace

QStringList Settings::loadAll()
{
    QStringList repaired;
    SettingsRecord defaults;
    loadKeys(recordKeys(record_), recordKeys(defaults), store_, repaired);
    loadKeys(scheduleKeys(record_), scheduleKeys(defaults), store_, repaired);
    loadKeys(portMapKeys(record_), portMapKeys(defaults), store_, repaired);
    portMapStored_ = record_.COMDevice;
    portMapKnown_ = true;
    loadSchedule();

    if (record_.MODE != kModeClassicAlias && record_.MODE != kModeClassic && record_.MODE != kModeSmall)
        record_.MODE = kModeClassic;
    return repaired;
}

bool Settings::storeHeldByAnother() const { return store_.heldByAnother(); }

bool Settings::saveAll()
{
    // At exit the transmitter is sent power 0 without forgetting the operator's power.
    saveKeys(recordKeys(record_), store_, record_.shutDownInProgress ? QStringLiteral("TXPower") : QString());
    saveSchedule();
    savePortMap();
    return store_.sync();
}

// Another program may assign a device to a COM number while this one runs
// (the virtual transmitter does), so only what changed here is written.
void Settings::savePortMap()
{
    const std::vector<KeyBinding> keys = portMapKeys(record_);
    for (int n = 1; n <= kComPorts; ++n) {
        if (portMapKnown_ && record_.COMDevice[n] == portMapStored_[n])
            continue;
        saveKeys({keys[n - 1]}, store_);
        portMapStored_[n] = record_.COMDevice[n];
    }
    portMapKnown_ = true;
}

void Settings::reloadPortMap()
{
    store_.sync();
    const std::vector<KeyBinding> keys = portMapKeys(record_);
    for (int n = 1; n <= kComPorts; ++n) {
        if (record_.COMDevice[n] != portMapStored_[n])
            continue; // changed here and not written yet: this program's choice stands
        const QString text = store_.value(keys[n - 1].key).value_or(QString());
        record_.COMDevice[n] = portMapStored_[n] = text;
    }
}

void Settings::loadSchedule()
{
    record_.schemeList.clear();
    for (int i = 0; i < kSchemeSlots; ++i) {
        if (!record_.Scheme[i].isEmpty())
            record_.schemeList.push_back({record_.Scheme[i], false});
    }
    // Tick values belong to list lines, which the writer always keeps packed from slot 0.
    for (size_t j = 0; j < record_.schemeList.size(); ++j)
        record_.schemeList[j].ticked = record_.SchemeValue[j] != 0;
}

void Settings::saveSchedule()
{
    const auto &list = record_.schemeList;
    for (int i = 0; i < kSchemeSlots; ++i) {
        const bool used = i < static_cast<int>(list.size());
        record_.Scheme[i] = used ? list[i].line : QString();
        record_.SchemeValue[i] = used && list[i].ticked ? 1 : 0;
    }
    record_.SchemeEnable = record_.SchemeEnable != 0 ? 1 : 0;
    saveKeys(scheduleKeys(record_), store_);
}

} // namespace zfm
