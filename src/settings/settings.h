#pragma once

#include "settings/settings_record.h"

#include <QStringList>

namespace zfm {

class SettingsStore;

// Moves the whole record between memory and the store.
class Settings {
public:
    Settings(SettingsRecord &record, SettingsStore &store) : record_(record), store_(store) { }

    // Reads every key (a missing or unreadable one yields its default), then the
    // schedule, then normalises MODE. Returns
    // the keys whose stored text could not be converted and were given their default.
    QStringList loadAll();

    // Writes every stored field (TXPower not while the transmitter is being
    // switched off at exit), then the schedule. False when the store could not be written.
    bool saveAll();

    // The scheduler list <-> its 21 stored slots, tick values and SchemeEnable.
    void loadSchedule();
    void saveSchedule();

    SettingsRecord &record() { return record_; }

private:
    SettingsRecord &record_;
    SettingsStore &store_;
};

} // namespace zfm
