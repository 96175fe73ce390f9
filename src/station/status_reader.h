#pragma once

#include "link/status_reply.h"

#include <QObject>
#include <QTimer>

namespace zfm {

class LineOwner;
struct SettingsRecord;

// "Read TX" and "Auto read TX": the transmitter's status request and its
// reply. A request waits for its reply up to a second after the last
// character; a manual one that gets none says so, the automatic one keeps quiet.
class StatusReader : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 1000;
    static constexpr int kWatchdogMs = 1000;

    StatusReader(LineOwner &line, const SettingsRecord &record, QObject *parent = nullptr);

    // The automatic read's once-a-second timer.
    void start();
    void stop();

    // "Read TX": nothing while a read-back waits or runs.
    void readTx();
    // The automatic read: with "Auto read TX" ticked, one request when none is
    // under way, no read-back waits or runs and the setup window is closed.
    void tick();

signals:
    void replyReceived(const zfm::StatusReply &reply);
    void message(const QString &text);

private:
    void request(bool quiet);

    LineOwner &line_;
    const SettingsRecord &record_;
    QTimer timer_;
};

} // namespace zfm
