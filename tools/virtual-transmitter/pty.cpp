#include "pty.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

// termios2 lives in the kernel's headers; glibc's <termios.h> clashes with them.
#include <asm/termbits.h>

namespace zfm::vt {

Pty::Pty() { open(); }

bool Pty::open()
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return false;
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        ::close(master_);
        master_ = -1;
        return false;
    }
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        ::close(master_);
        master_ = -1;
        return false;
    }
    slavePath_ = QString::fromLocal8Bit(name);
    // The same link every time, as an adapter's by-id name.
    if (!linkDir_)
        linkDir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/zfm-vt-XXXXXX"));
    const QString link = linkDir_->filePath(QStringLiteral("ttyVT"));
    QFile::remove(link);
    if (linkDir_->isValid() && QFile::link(slavePath_, link))
        slavePath_ = link;
    heldSlave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    // Raw line discipline, so every byte passes unchanged in both directions.
    struct termios2 t { };
    if (::ioctl(heldSlave_, TCGETS2, &t) == 0) {
        t.c_iflag = 0;
        t.c_oflag = 0;
        t.c_lflag = 0;
        t.c_cflag = (t.c_cflag & ~(CSIZE | PARENB)) | CS8 | CREAD | CLOCAL;
        t.c_cc[VMIN] = 1;
        t.c_cc[VTIME] = 0;
        ::ioctl(heldSlave_, TCSETS2, &t);
    }
    return true;
}

bool Pty::reopen()
{
    hangUp();
    return open();
}

Pty::~Pty()
{
    if (heldSlave_ >= 0)
        ::close(heldSlave_);
    if (master_ >= 0)
        ::close(master_);
}

int Pty::baud() const
{
    struct termios2 t { };
    if (master_ < 0 || ::ioctl(master_, TCGETS2, &t) != 0)
        return 0;
    if ((t.c_cflag & CBAUD) == BOTHER)
        return static_cast<int>(t.c_ospeed);
    switch (t.c_cflag & CBAUD) {
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return static_cast<int>(t.c_ospeed);
    }
}

void Pty::hangUp()
{
    // The adapter is gone: its name goes first, as when a USB adapter is pulled.
    if (linkDir_)
        QFile::remove(linkDir_->filePath(QStringLiteral("ttyVT")));
    if (heldSlave_ >= 0) {
        ::close(heldSlave_);
        heldSlave_ = -1;
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

} // namespace zfm::vt
