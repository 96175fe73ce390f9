#pragma once

#include <QString>

#include <memory>

class QTemporaryDir;

namespace zfm::vt {

// A pseudo-terminal pair standing in for a serial cable. The program under
// test opens the slave path as its serial port; we talk on the master.
// A slave descriptor is held open for the pair's whole life, so the program
// closing and reopening its port never makes the master read EIO.
// The program is given a link to the slave in a folder of our own, the way
// udev names a USB adapter: the kernel hands a freed /dev/pts number to the
// next pseudo-terminal at once, so after a hang-up the bare number may name
// someone else's line, while the link is simply gone.
class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    bool isValid() const { return master_ >= 0; }
    int masterFd() const { return master_; }
    // The path the program opens: the link to the slave.
    QString slavePath() const { return slavePath_; }

    // The line speed the program set on its end (0 when unknown). Read with
    // termios2 because non-standard rates such as 14400 are set through BOTHER.
    int baud() const;

    // Simulates pulling the cable: the program's next write or read fails.
    void hangUp();
    // Plugs it back in: a new line under the same path.
    bool reopen();

private:
    bool open();

    int master_ = -1;
    int heldSlave_ = -1;
    std::unique_ptr<QTemporaryDir> linkDir_;
    QString slavePath_;
};

} // namespace zfm::vt
