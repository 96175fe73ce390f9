#pragma once

#include "link/clock.h"
#include "link/link_runner.h"
#include "link/serial_link.h"
#include "link/wire_script.h"
#include "settings/settings_record.h"
#include "virtual_transmitter.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace zfm::test {

// The same writes without any pause: decoding does not depend on pacing, and
// the suite stays fast.
WireScript withoutPauses(const WireScript &script);

// The program's side of the line (settings record, serial link, runner) and
// the virtual transmitter on the other end of a real pseudo-terminal.
class DeviceOnLink : public ::testing::Test {
protected:
    static constexpr int kCom = 7;

    DeviceOnLink();
    // Starts the device and opens the program's line at the device's speed
    // (or at `programLine` when given).
    void start(vt::Options options, const QString &programLine = {});
    LinkRunner::Outcome run(const WireScript &script, int timeoutMs = 10000);
    // Waits until the device has taken `count` frames, well-formed or not.
    bool waitForFrames(int count, int timeoutMs = 5000);
    // Waits until every reply is out and has reached the program.
    bool waitForReplies(int timeoutMs = 10000);

    const vt::DeviceState &state() const { return device->state(); }

    SettingsRecord record;
    ManualClock clock;
    SerialLink link{record, &record.LineSettings};
    LinkRunner runner{link, clock};
    std::unique_ptr<vt::VirtualTransmitter> device;
    QByteArray received; // what the program received, in order
};

} // namespace zfm::test
