#include "settings/line_speed.h"

#include "settings/settings_record.h"

namespace zfm {

namespace {
constexpr int16_t kClassicComSpeed = 2;
constexpr int16_t kSmallComSpeed = 5;
} // namespace

const LineSpeed *lineSpeedOfCode(int comSpeed)
{
    for (const LineSpeed &s : kLineSpeeds) {
        if (s.comSpeed == comSpeed)
            return &s;
    }
    return nullptr;
}

const LineSpeed *lineSpeedOfText(const QString &text)
{
    for (const LineSpeed &s : kLineSpeeds) {
        if (text == QLatin1String(s.text))
            return &s;
    }
    return nullptr;
}

QString lineSettingsForSpeed(int comSpeed)
{
    const LineSpeed *s = lineSpeedOfCode(comSpeed);
    return s ? QStringLiteral("%1,N,8,1").arg(s->baud) : QString();
}

int16_t familyComSpeed(int16_t mode) { return mode == kModeSmall ? kSmallComSpeed : kClassicComSpeed; }

const LineSpeed &searchLineSpeed(int16_t mode)
{
    if (mode == kModeSmall || mode == kModeClassic || mode == kModeClassicAlias)
        return *lineSpeedOfCode(familyComSpeed(mode));
    return kLineSpeeds.front();
}

} // namespace zfm
