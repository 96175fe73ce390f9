#include "link/link_failure.h"

namespace zfm {

QString LinkFailure::message() const
{
    const QString port = QStringLiteral("COM %1 (%2)").arg(comNumber).arg(device);
    switch (kind) {
    case Kind::PortMissing: return kPortMissingMessage;
    case Kind::PermissionDenied:
        return QStringLiteral("%1 cannot be opened: permission denied.\n\nYour user must be a member of the "
                              "group that owns the device, usually \"dialout\" (sudo usermod -aG dialout "
                              "$USER), then log out and in again. Nothing was sent.")
            .arg(port);
    case Kind::PortBusy:
        return QStringLiteral("%1 is in use by another program. Close that program, or select another port "
                              "under File > Setup. Nothing was sent.")
            .arg(port);
    case Kind::NotSerial:
        return QStringLiteral("%1 is not a serial port. Select another port under File > Setup. Nothing was sent.")
            .arg(port);
    case Kind::LineLost:
        return QStringLiteral("The connection to the transmitter on %1 was lost while sending. The transmitter "
                              "may have received only part of it; check the cable or adapter and send again.")
            .arg(port);
    case Kind::Other: break;
    }
    return QStringLiteral("%1 cannot be opened: %2. Nothing was sent.").arg(port, detail);
}

} // namespace zfm
