#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace zfm {

// Number of dynamic PS entries (entry 0 is the static PS) and scheduler slots.
inline constexpr int kPsEntries = 100;
inline constexpr int kSchemeSlots = 21;
inline constexpr int kMessages = 8;
inline constexpr int kComPorts = 16;
// Alternative frequency lists "AF1".."AF7".
inline constexpr int kAfLists = 7;

// One line of the scheduler's list and its tick mark.
struct SchemeEntry {
    QString line;
    bool ticked = false;
    bool operator==(const SchemeEntry &) const = default;
};

// The one process-wide settings record. Stored fields are named after their
// store keys; families ("PS1".."PS99", "MG0".."MG7", ...) are arrays whose
// index is the number in the key. Defaults here equal the key table's.
struct SettingsRecord {
    // Transmitter lists (list positions).
    int16_t Preemphasis = 1;
    int16_t Pilot = 4;
    int16_t RDSPilot = 6;
    int16_t MPXdev = 10;
    int16_t AudioInput = 0;
    int16_t ComLim = 3;
    int16_t Attack = 0;
    int16_t Decay = 5;
    int16_t Integration = 3;
    int16_t Compression = 8;
    int16_t Threshold = 10;
    int16_t InputGain = 0;
    int16_t InputMute = 0;
    int16_t SWRAlarm = 6;
    int16_t TEMPAlarm = 5;
    int16_t IampAlarm = 28;
    int16_t UampAlarm = 18;
    int16_t PowerLimit = 6;
    QString LogoLine1 = QStringLiteral("Kestrel Devices ");
    QString LogoLine2 = QStringLiteral("<ZEPHYRINE FM+> ");
    bool AutoRead = false;
    int16_t GCT = 0;
    int16_t GRT = 0;
    int16_t GEON = 0;
    int16_t CountryCode = 3;
    int16_t ECC = 3;
    int16_t COMSelected = 2;
    int16_t COMSpeed = 3;
    int16_t AreaCoverage = 1;
    int16_t ProgramReference = 128;
    int16_t MODE = 0;
    int16_t TP = 0;
    bool TransmitAF = false;
    int16_t TA = 0;
    int16_t TXStereo = 0;
    int16_t TXPower = 100;
    int32_t TXFrequency = 100000;
    int16_t MS = 0;
    int16_t PTY = 10;
    int16_t AutoPS = 0;
    int16_t AutoPSDelay = 2;
    int16_t TurboPSDelay = 2;
    QString AutoPSPath = QStringLiteral("c:\\SongName.txt");
    QString AutoRTPath = QStringLiteral("c:\\SongName.txt");
    bool AutoPSSplit = true;
    bool ScrollPS = true;
    bool TrayAtStart = false;
    bool RDSActive = true;
    bool InsertTime = true;
    bool InsertDate = true;
    // PS[0] is "PS" (the static PS), PS[k] is "PSk".
    std::array<QString, kPsEntries> PS = defaultPsTexts();
    // PSDelay[0] is "PSDelay", PSDelay[k] is "PSDelayk"; "PSDelay100" is kept only.
    std::array<int16_t, kPsEntries + 1> PSDelay = defaultPsDelays();
    int16_t SETTOSAMEDELAY = 0;
    QString RT = QStringLiteral("ZephyrineFM+ 2026 - FM and RDS by Kestrel Devices");
    // MG[n] is "MGn".
    std::array<QString, kMessages> MG = defaultMessages();
    // RTn[k - 1] is "RTk", k = 1..6: kept for older versions, never used.
    std::array<QString, 6> RTn = defaultRtLines();
    int16_t RTSwitch = 1;
    int16_t AFNum = 0;
    // AF[k] is "AFk", k = 1..kAfLists; AF[0] is unused.
    std::array<int16_t, kAfLists + 1> AF = {0, 125, 0, 0, 0, 0, 0, 0};
    // DId[k] is "DIdk".
    std::array<int16_t, 4> DId = {1, 1, 1, 1};
    int16_t DynamicPS = 0;
    int16_t DynamicRT = 0;
    QString WinAmpVersion = QStringLiteral("Studio");
    QString GetMP3Tag = QStringLiteral("c:\\SongName.txt");
    bool ShutDown = false;
    bool SettingsAtStart = false;
    // A lost or missing port pauses the automatic work and is tried again.
    bool AutoReconnect = false;
    // Started when an alarm lamp lights or goes out; empty: none.
    QString AlarmCommand;
    // The automatic PS update sends only the entries that differ from the
    // list the device is known to hold.
    bool AutoPSChangedOnly = false;

    // Scheduler store: Scheme[i] is "Scheme i", SchemeValue[i] is "SchemeValue i".
    std::array<QString, kSchemeSlots> Scheme{};
    std::array<int16_t, kSchemeSlots> SchemeValue{};
    int16_t SchemeEnable = 0;

    // Port map: COMDevice[n] is "COMDevicen", n = 1..16; empty means the default device.
    std::array<QString, kComPorts + 1> COMDevice{};

    // ---- Run-time fields, never stored ----
    // The scheduler's list as the operator sees it (non-empty slots in order).
    std::vector<SchemeEntry> schemeList;
    bool shutDownInProgress = false;
    QString lastSentTitle;
    int16_t maxSchemeIndex = 20;
    bool schemeEditMode = false;
    bool scheduleChanged = false;
    int32_t schemeFrequencyKHz = 100000;

    bool operator==(const SettingsRecord &) const = default;

    static std::array<QString, kPsEntries> defaultPsTexts();
    static std::array<int16_t, kPsEntries + 1> defaultPsDelays();
    static std::array<QString, kMessages> defaultMessages();
    static std::array<QString, 6> defaultRtLines();
};

// Device families as stored in "MODE".
inline constexpr int16_t kModeClassic = 12;
inline constexpr int16_t kModeSmall = 13;
inline constexpr int16_t kModeClassicAlias = 11;

} // namespace zfm
