#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace zfm {

class LineOwner;
class WireScript;

// Tries the port again after it was lost or could not be opened: every 5 s at
// first, then less and less often, down to once a minute. Each try is a job
// on the line that opens the port; the first that succeeds ends the trying.
class Reconnector : public QObject {
    Q_OBJECT
public:
    static constexpr int kFirstDelayMs = 5000;
    static constexpr int kQuickTries = 6;
    static constexpr int kLongestDelayMs = 60000;

    // `openScript` is built as each try begins.
    Reconnector(LineOwner &line, std::function<WireScript()> openScript, QObject *parent = nullptr);

    // Starts trying; nothing when already trying.
    void begin();
    void stop();
    bool isTrying() const { return trying_; }
    // The wait before the try after `failedTries` failed ones.
    static int delayAfter(int failedTries);

signals:
    void reconnected();

private:
    void tryNow();

    LineOwner &line_;
    std::function<WireScript()> openScript_;
    QTimer timer_;
    int failedTries_ = 0;
    bool trying_ = false;
};

} // namespace zfm
