#include "link/status_request.h"

#include "link/encodings.h"

namespace zfm {

namespace {
const QByteArray kName = QByteArrayLiteral("FM");
const QByteArray kValue = QByteArrayLiteral(" ");
} // namespace

WireScript &statusRequestFrame(WireScript &s, RequestPacing pacing, const std::optional<step::Status> &inside)
{
    if (pacing == RequestPacing::Whole) {
        if (inside)
            s.status(inside->text, inside->progress);
        return s.write(commandFrame(1, kName, kValue));
    }
    s.write(QByteArray(1, kLeadIn)).pause(kWritePauseMs);
    s.write(kName).pause(kWritePauseMs);
    s.write(QByteArray(1, kSeparator)).pause(kWritePauseMs);
    if (inside)
        s.status(inside->text, inside->progress);
    s.write(kValue).pause(kWritePauseMs);
    return s.write(QByteArray(1, kTerminator));
}

} // namespace zfm
