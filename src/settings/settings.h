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
    // The last save failed only because another program held the store.
    bool storeHeldByAnother() const;

    // The port map as the store has it now, for the COM numbers whose device
    // this program has not changed since it last read or wrote them.
    void reloadPortMap();

    // The scheduler list <-> its 21 stored slots, tick values and SchemeEnable.
    void loadSchedule();
    void saveSchedule();

    SettingsRecord &record() { return record_; }

private:
    void savePortMap();

    SettingsRecord &record_;
    SettingsStore &store_;
    // The port map as last read from or written to the store.
    std::array<QString, kComPorts + 1> portMapStored_{};
    bool portMapKnown_ = false;
};

} // namespace zfm
