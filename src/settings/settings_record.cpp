#include "settings/settings_record.h"

namespace zfm {

std::array<QString, kPsEntries> SettingsRecord::defaultPsTexts()
{
    std::array<QString, kPsEntries> texts;
    texts.fill(QString(8, QLatin1Char(' ')));
    texts[0] = QStringLiteral("QRV5260+");
    return texts;
}

std::array<int16_t, kPsEntries + 1> SettingsRecord::defaultPsDelays()
{
    std::array<int16_t, kPsEntries + 1> delays{};
    delays[0] = 2;
    return delays;
}

std::array<QString, kMessages> SettingsRecord::defaultMessages()
{
    std::array<QString, kMessages> messages;
    for (int n = 0; n < kMessages; ++n)
        messages[n] = QStringLiteral("External message ") + QString::number(n + 1);
    return messages;
}

std::array<QString, 6> SettingsRecord::defaultRtLines()
{
    const QString pc = QStringLiteral("Turn your PC into a FM radio station!");
    return {QStringLiteral("Visit www.kestrel-devices.example for FM and RDS equipment"),
        QStringLiteral("Check out the ORVENTA5000+, worlds only PC based FM transmitter!"), pc, pc, pc, pc};
}

} // namespace zfm
