#pragma once

#include "app/main_window.h"
#include "link/clock.h"
#include "station/station.h"
#include "support/message_boxes.h"
#include "support/printers.h"
#include "support/pty_capture.h"
#include "virtual_transmitter.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>

#include <gtest/gtest.h>

#include <memory>

namespace zfm::test {

// The real main window, offscreen, on a real settings file in the test's
// private configuration folder, with a pseudo-terminal standing in for the
// serial port on COM 2 (the default port).
class WindowTest : public ::testing::Test {
protected:
    WindowTest();
    ~WindowTest() override;

    // Puts a virtual transmitter on COM 2 instead of the bare pseudo-terminal.
    vt::VirtualTransmitter &useDevice(vt::Options options = {});
    // Values stored before the program starts, as a previous run would have left them.
    void store(const QString &key, const QString &text);
    // Starts the program (no splash) and waits until start-up has opened the port.
    MainWindow &start();
    // Closes the window as the operator would and waits until it has exited.
    void exitProgram();

    // Widgets by object name.
    template <typename T>
    T *find(const char *name) const
    {
        T *w = window->findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char *name);
    QString stored(const QString &key) const;
    // Waits until the link has finished what it was asked to do.
    bool waitIdle(int timeoutMs = 30000);

    PtyCapture capture;
    MessageBoxes boxes;
    ManualClock clock;
    bool useManualClock = false;
    std::unique_ptr<vt::VirtualTransmitter> device;
    std::unique_ptr<MainWindow> window;
};

} // namespace zfm::test
