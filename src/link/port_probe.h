#pragma once

#include "link/link_failure.h"
#include "link/link_runner.h"
#include "link/serial_link.h"

#include <QByteArray>
#include <QObject>

#include <functional>
#include <optional>

namespace zfm {

class Clock;
struct SettingsRecord;

// The communication test and the port search of setup, on a test port of its
// own while setup has the line. Each step is a paced script on the event
// loop, so nothing waits in a nested loop; the caller only shows the status
// texts and the result.
class PortProbe : public QObject {
    Q_OBJECT
public:
    struct Result {
        enum class Kind {
            Answered, // the test: something came back
            Silent, // the test: nothing came back
            Unusable, // the test: the port could not be used
            Found, // the search: a transmitter answered on `comNumber`
            NotFound, // the search: none on ports 1 to 15
            Stopped, // stop() ended it
        };
        Kind kind = Kind::Stopped;
        int comNumber = 0;
        int16_t comSpeed = 0; // the speed code the transmitter answered at (Found)
        // For the operator: the result box's caption ("OK", "notOK") and
        // text, or a message (caption empty); nothing when stopped.
        QString caption;
        QString text;
    };

    // The half-second the port is given between steps, and the time a
    // transmitter has to answer during the search.
    static constexpr int kPauseShortMs = 500;
    static constexpr int kAnswerWaitMs = 400;
    // Ports 1 to 15 are searched; the last number is never tried.
    static constexpr int kLastSearchedPort = 15;

    PortProbe(const SettingsRecord &record, const Clock &clock, QObject *parent = nullptr);

    // "Communication test tool": the status request on COM `comNumber` at the
    // speed of `speedText` ("9600"; another text keeps the port's speed); any
    // answer counts.
    void testPort(int comNumber, const QString &speedText);
    // "Autoscan": COM 1 to 15 at the family's speed (MODE; 2400 with no
    // family) until one answers with a status reply beginning "Alarm".
    void search(int16_t mode);
    // Ends a test or search at its next step; finished() says Stopped.
    void stop();
    bool isRunning() const { return running_; }

signals:
    // Every status text, in order (also " " and the empty text).
    void statusChanged(const QString &text);
    void finished(const zfm::PortProbe::Result &result);

private:
    using Next = std::function<void(LinkRunner::Outcome)>;
    void run(const WireScript &script, Next next);
    void searchPort(int comNumber);
    void askPort(int comNumber);
    void finish(Result result);

    SerialLink port_;
    LinkRunner runner_;
    QByteArray answer_;
    std::optional<LinkFailure> failure_;
    QString speedLine_;
    QString speedText_;
    int16_t speedCode_ = 0;
    bool running_ = false;
    bool stopAsked_ = false;
};

} // namespace zfm
