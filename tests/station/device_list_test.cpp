// What the station knows of the device's PS list, against the virtual
// transmitter: "Send RT and PS" makes its list the known one; whatever may
// change the device's list unseen makes it unknown.
#include "link/clock.h"
#include "settings/settings_store.h"
#include "station/station.h"
#include "support/wait.h"
#include "virtual_transmitter.h"

#include <gtest/gtest.h>

#include <functional>

using namespace zfm;
using namespace zfm::test;

namespace {

class DeviceList : public ::testing::Test {
protected:
    DeviceList()
    {
        vt::Options o;
        o.family = vt::Family::Small; // a read-back takes a second at its speed
        device = std::make_unique<vt::VirtualTransmitter>(o);
        store.setValue(QStringLiteral("MODE"), QString::number(kModeSmall));
        store.setValue(QStringLiteral("COMDevice2"), device->path());
        station.loadSettings();
        QObject::connect(&station, &Station::confirmationRequested, &station, &Station::confirm);
        station.start();
        EXPECT_TRUE(idle());
    }
    bool idle()
    {
        return runUntil([this] { return station.line().isIdle(); }, 30000);
    }
    const PsList *known() { return station.autoUpdate().deviceList().known(clock.now()); }

    std::unique_ptr<vt::VirtualTransmitter> device;
    MemoryStore store;
    ManualClock clock;
    Station station{store, clock};
};

} // namespace

TEST_F(DeviceList, KeptByWholeUploadsForgottenByWhatMayChangeItUnseen)
{
    station.sendRtAndPs();
    ASSERT_TRUE(idle());
    ASSERT_NE(known(), nullptr);
    EXPECT_EQ(*known(), PsList::of(station.record()));

    struct Row {
        const char *what;
        std::function<void()> action;
        bool keeps;
    };
    const auto throughSetup = [&](const std::function<void()> &choose) {
        station.openSetup();
        ASSERT_TRUE(runUntil([&] { return station.hasSetup() && !station.line().isPortOpen(); }));
        choose();
        station.closeSetup();
    };
    const Row rows[] = {
        {"the same family", [&] { station.chooseFamily(kModeSmall); }, true},
        {"another family", [&] { station.chooseFamily(kModeClassic); }, false},
        {"and back", [&] { station.chooseFamily(kModeSmall); }, false},
        {"setup without a change", [&] { throughSetup([] {}); }, true},
        {"setup chose another port",
            [&] {
                throughSetup([&] {
                    station.record().COMSelected = 3;
                    station.record().COMDevice[3] = device->path();
                });
            },
            false},
        {"Read RDS settings", [&] { station.readRds(); }, false},
        {"a lost line",
            [&] {
                device->hangUp();
                station.readTx();
            },
            false},
        // "Send settings" sends the static PS alone: entry 0 of the known list follows.
        {"Send settings",
            [&] {
                station.record().PS[0] = QStringLiteral("STATION ");
                station.sendSettings();
            },
            true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        if (device->isHungUp()) {
            ASSERT_TRUE(device->plugIn());
        }
        station.autoUpdate().deviceListSent(PsList::of(station.record()));
        row.action();
        ASSERT_TRUE(idle());
        EXPECT_EQ(known() != nullptr, row.keeps);
    }
    ASSERT_NE(known(), nullptr);
    EXPECT_EQ(known()->texts[0], QStringLiteral("STATION "));
}
