#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zfm {

// What an entry of the station log is about. The names are the `kind` column's
// values, part of the store's public schema: never rename one.
enum class EventKind {
    Upload,
    UploadFailed,
    AlarmRaised,
    AlarmCleared,
    LinkLost,
    LinkBack,
    Scheme,
    ClockSync,
    Title,
    ReadBack,
    Message,
    Start,
    Exit,
};

struct EventKindInfo {
    EventKind kind;
    std::string_view name; // as stored
    std::string_view caption; // as the log window lists it
};
// Chosen here; the log window offers them in this order.
inline constexpr std::array<EventKindInfo, 13> kEventKinds = {{
    {EventKind::Upload, "upload", "Uploads"},
    {EventKind::UploadFailed, "upload-failed", "Failed uploads"},
    {EventKind::AlarmRaised, "alarm-raised", "Alarms raised"},
    {EventKind::AlarmCleared, "alarm-cleared", "Alarms cleared"},
    {EventKind::LinkLost, "link-lost", "Link lost"},
    {EventKind::LinkBack, "link-back", "Link back"},
    {EventKind::Scheme, "scheme", "Schemes"},
    {EventKind::ClockSync, "clock-sync", "Clock synchronisations"},
    {EventKind::Title, "title", "Titles"},
    {EventKind::ReadBack, "readback", "Read-backs"},
    {EventKind::Message, "message", "Messages"},
    {EventKind::Start, "start", "Start"},
    {EventKind::Exit, "exit", "Exit"},
}};
static_assert(kEventKinds.size() == static_cast<size_t>(EventKind::Exit) + 1);
static_assert([] {
    for (size_t i = 0; i < kEventKinds.size(); ++i) {
        if (static_cast<size_t>(kEventKinds[i].kind) != i)
            return false;
    }
    return true;
}());

QString eventKindName(EventKind kind);
QString eventKindCaption(EventKind kind);
std::optional<EventKind> eventKindFromName(const QString &name);

// A set of kinds, one bit each (bit n is the kind of value n).
using EventKinds = uint32_t;
inline constexpr EventKinds kAllEventKinds = (1u << kEventKinds.size()) - 1;
inline constexpr EventKinds eventKindBit(EventKind kind) { return 1u << static_cast<unsigned>(kind); }

// One entry, as the program hands it to the store.
struct LogEvent {
    QDateTime time;
    EventKind kind = EventKind::Message;
    QString text;
};

// The moment as the store keeps it: ISO 8601 local time with its offset,
// whole seconds ("2026-03-07T14:05:09+01:00").
QString storedTime(const QDateTime &time);

} // namespace zfm
