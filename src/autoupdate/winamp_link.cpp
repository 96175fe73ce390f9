#include "autoupdate/winamp_link.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace zfm {

WinampWindow::WinampWindow(const QString &winAmpVersion, WindowSearch search)
    : version_(winAmpVersion), search_(std::move(search))
{
    findWindow();
}

uintptr_t WinampWindow::findWindow()
{
    uintptr_t handle = 0;
    // Exact, case-sensitive names: the default "Studio" matches neither and searches nothing.
    if (version_ == QLatin1String("Winamp v1.x"))
        handle = search_(QStringLiteral("Winamp v1.x"));
    if (version_ == QLatin1String("studio"))
        handle = search_(QStringLiteral("STUDIO"));
    handle_ = handle;
    found_ = handle_ != 0;
    return handle_;
}

WinampWindow::WindowSearch WinampWindow::platformWindowSearch()
{
#ifdef Q_OS_WIN
    return [](const QString &className) {
        return reinterpret_cast<uintptr_t>(FindWindowW(reinterpret_cast<LPCWSTR>(className.utf16()), nullptr));
    };
#else
    return [](const QString &) { return uintptr_t{0}; };
#endif
}

} // namespace zfm
