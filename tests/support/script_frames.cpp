#include "support/script_frames.h"

#include "link/encodings.h"
#include "settings/settings.h"
#include "settings/settings_store.h"

namespace zfm::test {

std::vector<FrameView> framesOf(const WireScript &script)
{
    // The writes of one frame: lead-in bytes, the name, 0x01, the value (one
    // write, possibly empty or clock bytes), 0x02.
    enum class Part { Idle, Name, Separator, Value, Terminator, After };
    std::vector<FrameView> frames;
    FrameView f;
    Part part = Part::Idle;
    auto flush = [&] {
        if (part != Part::Idle && part != Part::After)
            return;
        if (!f.name.isEmpty())
            frames.push_back(f);
        f = FrameView{};
    };
    for (const Step &s : script.steps()) {
        if (const auto *w = std::get_if<step::Write>(&s)) {
            const QByteArray &b = w->bytes;
            if ((part == Part::Idle || part == Part::After) && b == QByteArray(1, kLeadIn)) {
                flush();
                part = Part::Name;
                f.leadIn = 1;
            } else if (part == Part::Name && b == QByteArray(1, kLeadIn)) {
                ++f.leadIn;
            } else if (part == Part::Name) {
                f.name = b;
                part = Part::Separator;
            } else if (part == Part::Separator && b == QByteArray(1, kSeparator)) {
                part = Part::Value;
            } else if (part == Part::Value && b == QByteArray(1, kTerminator)) {
                part = Part::After; // an empty value
            } else if (part == Part::Value) {
                f.value += b;
                part = Part::Terminator;
            } else if (part == Part::Terminator && b == QByteArray(1, kTerminator)) {
                part = Part::After;
            } else if (part == Part::Terminator && b.endsWith(kTerminator)) {
                f.value += b.chopped(1); // value and terminator in one write
                part = Part::After;
            } else {
                f.value += b;
            }
        } else if (std::holds_alternative<step::WriteClock>(s)) {
            f.value += '\xFF';
            part = Part::Terminator;
        } else if (const auto *p = std::get_if<step::Pause>(&s)) {
            if (part == Part::Terminator)
                f.pauseBeforeTerminatorMs += p->ms;
            else if (part == Part::After)
                f.pauseAfterMs += p->ms;
        } else if (std::holds_alternative<step::Confirm>(s)) {
            f.confirmed = true;
        }
    }
    part = Part::After;
    flush();
    return frames;
}

QByteArray hex(const QByteArray &bytes) { return bytes.toHex(' '); }

SettingsRecord loadedDefaults()
{
    SettingsRecord r;
    MemoryStore store;
    Settings(r, store).loadAll();
    return r;
}

} // namespace zfm::test
