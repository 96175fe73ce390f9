#pragma once

#include <QString>

#include <cstdint>
#include <functional>

namespace zfm {

// Finds the Winamp player's main window by its class name. The handle is kept
// for the life of the program; nothing else reads it or talks to the player.
class WinampWindow {
public:
    // A top-level window search by class name (no title); 0 when none is open.
    using WindowSearch = std::function<uintptr_t(const QString &className)>;

    // Creating the object searches once, as the player version says.
    explicit WinampWindow(const QString &winAmpVersion, WindowSearch search = platformWindowSearch());

    uintptr_t findWindow();
    bool isFound() const { return found_; }

    // The platform's own search: FindWindow on Windows; nothing elsewhere,
    // where top-level windows have no class names.
    static WindowSearch platformWindowSearch();

private:
    QString version_;
    WindowSearch search_;
    uintptr_t handle_ = 0;
    bool found_ = false;
};

} // namespace zfm
