#pragma once

#include <QString>

namespace zfm {

// Why the link could not do what a script asked.
struct LinkFailure {
    enum class Kind {
        PortMissing, // the device path does not exist
        PermissionDenied, // the user may not open the device
        PortBusy, // another program holds it
        NotSerial, // the path is not a serial device
        LineLost, // a write failed while a script ran (adapter unplugged)
        Other,
    };
    Kind kind = Kind::Other;
    int comNumber = 0;
    QString device;
    QString detail; // the platform's own words, for Other

    // The sentence shown to the operator.
    QString message() const;
};

inline const QString kPortMissingMessage
    = QStringLiteral("The selected COM port does not exist, please select another port under File > Setup");

} // namespace zfm
