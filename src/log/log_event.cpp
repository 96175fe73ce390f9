#include "log/log_event.h"

#include <cstdlib>

namespace zfm {

namespace {

const EventKindInfo &info(EventKind kind) { return kEventKinds[static_cast<size_t>(kind)]; }

QString latin1(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

} // namespace

QString eventKindName(EventKind kind) { return latin1(info(kind).name); }

QString eventKindCaption(EventKind kind) { return latin1(info(kind).caption); }

std::optional<EventKind> eventKindFromName(const QString &name)
{
    for (const EventKindInfo &k : kEventKinds) {
        if (name == latin1(k.name))
            return k.kind;
    }
    return std::nullopt;
}

QString storedTime(const QDateTime &time)
{
    // Written out by hand: Qt writes a zero offset as "Z", and a local time without one.
    const QDateTime local = time.toLocalTime();
    const int offset = local.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
        + QStringLiteral("%1%2:%3")
              .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
              .arg(minutes / 60, 2, 10, QLatin1Char('0'))
              .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace zfm
