#pragma once

#include "link/clock.h"
#include "link/link_runner.h"
#include "link/serial_link.h"
#include "link/wire_script.h"
#include "settings/settings_record.h"
#include "support/wait.h"
#include "virtual_transmitter.h"

#include <gtest/gtest.h>

#include <memory>

namespace zfm::test {

// The same writes without any pause: decoding does not depend on pacing, and
// the suite stays fast.
inline WireScript withoutPauses(const WireScript &script)
{
    WireScript out;
    for (const Step &s : script.steps()) {
        if (!std::holds_alternative<step::Pause>(s))
            out.append(s);
    }
    return out;
}

// The program's side of the line (settings record, serial link, runner) and
// the virtual transmitter on the other end of a real pseudo-terminal.
class DeviceOnLink : public ::testing::Test {
protected:
    static constexpr int kCom = 7;

    // Starts the device and opens the program's line at the device's speed
    // (or at `programLine` when given).
    void start(vt::Options options, const QString &programLine = {})
    {
        options.echo = false;
        device = std::make_unique<vt::VirtualTransmitter>(options);
        ASSERT_TRUE(device->isValid());
        record.COMSelected = kCom;
        record.COMDevice[kCom] = device->path();
        link.applyLineSettings(
            programLine.isEmpty() ? QStringLiteral("%1,N,8,1").arg(options.lineBaud()) : programLine);
    }

    LinkRunner::Outcome run(const WireScript &script)
    {
        std::optional<LinkRunner::Outcome> outcome;
        EXPECT_TRUE(runner.start(script, [&](LinkRunner::Outcome o) { outcome = o; }));
        EXPECT_TRUE(runUntil([&] { return outcome.has_value(); }, 10000));
        return outcome.value_or(LinkRunner::Outcome::Failed);
    }

    // Waits until the device has taken `count` frames, well-formed or not.
    bool waitForFrames(int count)
    {
        return runUntil([&] { return state().counters.total + state().counters.malformed >= count; }, 5000);
    }

    // Waits until every reply is out and has reached the program.
    bool waitForReplies(int timeoutMs = 10000)
    {
        return runUntil(
            [&] { return device->repliesDone() && received.size() >= device->repliedCharacters(); }, timeoutMs);
    }

    const vt::DeviceState &state() const { return device->state(); }

    SettingsRecord record;
    ManualClock clock;
    SerialLink link{record};
    LinkRunner runner{link, clock};
    std::unique_ptr<vt::VirtualTransmitter> device;
    QByteArray received; // what the program received, in order
    QMetaObject::Connection receiving
        = QObject::connect(&link, &SerialLink::received, [this](char c) { received += c; });
};

} // namespace zfm::test
