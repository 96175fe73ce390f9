#include "transmitter/transmitter_tables.h"

namespace zfm {

namespace {

// Labels exactly as the transmitter's manual lists them, position 0 first.
constexpr const char *kPilot[] = {
    "Pilot Off", "6,00KHz", "6,25KHz", "6,50KHz", "6,75KHz[D]", "7,00KHz", "7,25KHz", "7,50KHz", "7,75KHz", "8,00KHz"};
constexpr const char *kRdsPilot[] = {"Pilot Off", "1,75KHz", "2,00KHz", "2,25KHz", "2,50KHz", "2,75KHz", "3,00KHz [D]",
    "4,00KHz", "5,00KHz", "6,00KHz", "7,00KHz"};
constexpr const char *kMpxDev[] = {"0,0KHz", "5,0KHz", "10,0KHz", "15,0KHz", "20,0KHz", "25,0KHz", "50,0KHz", "55,0KHz",
    "60,0KHz", "65,0KHz", "68,5KHz[D]", "70,0KHz", "72,5KHz", "75,0KHz", "77,5KHz", "80,0KHz", "90,0KHz"};
constexpr const char *kPreemphasis[] = {"75uS/USA", "50uS/EU(D)", "None/OFF"};
constexpr const char *kComLim[] = {"Com=OFF, Lim=OFF", "Com=ON, Lim=OFF", "Com=OFF, Lim=ON", "Com=ON, Lim=ON [D]"};
constexpr const char *kAudioInput[] = {"Internal[D]", "External"};
constexpr const char *kInputMute[] = {"L=ON, R=ON [D]", "L=ON, R=OFF", "L=OFF, R=ON", "L=OFF, R=OFF"};
constexpr const char *kInputGain[] = {"4dBV(3,47Vpp)[D]", "-10dBV(0,89Vpp"};
constexpr const char *kAttack[] = {"1.7ms(Default)", "3.5ms", "6.7ms", "13ms", "26ms", "53ms", "106ms", "212ms"};
constexpr const char *kDecay[]
    = {"1.7ms", "3.5ms", "6.7ms", "13ms", "26ms", "53ms(Default)", "106ms", "212ms", "425ms", "850ms", "1700ms"};
constexpr const char *kIntegration[] = {"1.7ms", "3.5ms", "6.7ms", "13ms(Default)", "26ms", "53ms", "106ms"};
constexpr const char *kCompression[] = {"1:1.00", "1:1.07", "1:1.14", "1:1.23", "1:1.33", "1:1.45", "1:1.60", "1:1.78",
    "1:2.00(Default)", "1:2.29", "1:2.67", "1:3.20", "1:4.00"};
constexpr const char *kThreshold[] = {"0.0dB", "-1.50dB", "-3.00dB", "-4.50dB", "-6.00dB", "-7.50dB", "-9.00dB",
    "-10.50dB", "-12dB(75uS)", "-13.50dB", "-15dB(50uS)", "-16.50dB", "-18.00dB", "-19.50dB", "-21.00dB", "-22.50dB",
    "-24.00dB", "-25.50dB", "-27.00dB", "-28.50dB", "-30.00dB"};
constexpr const char *kTempAlarm[]
    = {"40degC", "50degC", "60degC", "65degC", "70degC", "75degC-Default", "80degC", "90degC"};
constexpr const char *kSwrAlarm[] = {">1W/>10W", ">2W/>20W", ">3W/>30W", ">4W/>40W", ">5W/>50W", ">6W/>60W",
    ">7W/>70W(Default)", ">8W/>80W", ">9W/>90W", ">9.9W/>99W"};
constexpr const char *kUampAlarm[] = {"24V", "26V", "28V", "30V", "32V", "34V", "36V", "38V", "40V", "41V", "42V",
    "43V", "44V", "45V", "46V", "47V", "48V", "49V", "50V-Default", "51V", "52V", "53V", "54V", "55V"};
constexpr const char *kIampAlarm[] = {">2.0A", ">3.0A", ">4.0A", ">5.0A", ">6.0A", ">7.0A", ">8.0A", ">9.0A", ">10.0A",
    ">11.0A", ">12.0A", ">13.0A", ">14.0A", ">15.0A", ">16.0A", ">17.0A", ">18.0A", ">19.0A", ">20.0A", ">21.0A",
    ">22.0A", ">23.0A", ">24.0A", ">25.0A", ">26.0A", ">27.0A", ">28.0A", ">29.0A", ">30.0A-Default"};

static_assert(std::size(kPilot) == 10 && std::size(kRdsPilot) == 11 && std::size(kMpxDev) == 17);
static_assert(std::size(kPreemphasis) == 3 && std::size(kComLim) == 4 && std::size(kAudioInput) == 2);
static_assert(std::size(kInputMute) == 4 && std::size(kInputGain) == 2 && std::size(kAttack) == 8);
static_assert(std::size(kDecay) == 11 && std::size(kIntegration) == 7 && std::size(kCompression) == 13);
static_assert(std::size(kThreshold) == 21 && std::size(kTempAlarm) == 8 && std::size(kSwrAlarm) == 10);
static_assert(std::size(kUampAlarm) == 24 && std::size(kIampAlarm) == 29);

constexpr ListEncoding D = ListEncoding::Decimal;
constexpr ListEncoding O = ListEncoding::Offset;
constexpr ListCommand kNotSent{nullptr, ListEncoding::NotSent};

using R = SettingsRecord;

const std::array<TransmitterList, 17> kLists = {{
    {"cmb19khz", "19KHz pilot:", "Pilot", &R::Pilot, 4, kPilot, {"FDP", D}, {"FDP", O}},
    {"cmbRDSPilot", "RDS carrier dev:", "RDSPilot", &R::RDSPilot, 6, kRdsPilot, kNotSent, {"FDX", O}},
    {"cmbMPXdev", "Mod deviation:", "MPXdev", &R::MPXdev, 10, kMpxDev, kNotSent, {"FDY", O}},
    {"cmbPreemphasis", "Preemphasis:", "Preemphasis", &R::Preemphasis, 1, kPreemphasis, {"FDR", D}, {"FDR", D}},
    {"cmbComLim", "Compressor & limiter:", "ComLim", &R::ComLim, 3, kComLim, {"FDB", O}, {"FDK", O}},
    {"cmbAudioInput", "Audio Input:", "AudioInput", &R::AudioInput, 0, kAudioInput, {"FDE", O}, {"FDE", O}},
    {"cmbInputMute", "Mute:", "InputMute", &R::InputMute, 0, kInputMute, {"FDGR", O}, {"FDM", O}},
    {"cmbInputGain", "Level L/R:", "InputGain", &R::InputGain, 0, kInputGain, {"FDGL", O}, {"FDG", O}},
    {"cmbAttack", "Attack:", "Attack", &R::Attack, 0, kAttack, {"FDA", O}, {"FDA", O}},
    {"cmbDecay", "Decay:", "Decay", &R::Decay, 5, kDecay, {"FDD", O}, {"FDD", O}},
    {"cmbIntegration", "Interval:", "Integration", &R::Integration, 3, kIntegration, {"FDI", O}, {"FDI", O}},
    {"cmbCompression", "Compression:", "Compression", &R::Compression, 8, kCompression, {"FDC", O}, {"FDC", O}},
    {"cmbThreshold", "Threshold:", "Threshold", &R::Threshold, 10, kThreshold, {"FDH", O}, {"FDH", O}},
    {"cmbTEMPAlarm", "Temperature alarm:", "TEMPAlarm", &R::TEMPAlarm, 5, kTempAlarm, {"FAT", O}, {"FAT", O}},
    {"cmbSWRAlarm", "SWR alarm:", "SWRAlarm", &R::SWRAlarm, 6, kSwrAlarm, {"FAS", O}, {"FAS", O}},
    {"cmbUampAlarm", "Uamp alarm:", "UampAlarm", &R::UampAlarm, 18, kUampAlarm, {"FAU", O}, {"FAU", O}},
    {"cmbIampAlarm", "Iamp alarm:", "IampAlarm", &R::IampAlarm, 28, kIampAlarm, {"FAC", O}, {"FAC", O}},
}};

} // namespace

QStringList TransmitterList::labelList() const
{
    QStringList out;
    for (const char *l : labels)
        out << QString::fromLatin1(l);
    return out;
}

const std::array<TransmitterList, 17> &transmitterLists() { return kLists; }

const TransmitterList *transmitterList(int16_t SettingsRecord::*field)
{
    for (const TransmitterList &l : kLists) {
        if (l.field == field)
            return &l;
    }
    return nullptr;
}

} // namespace zfm
