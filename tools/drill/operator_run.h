#pragma once

#include "link/line_owner.h"

#include <QObject>
#include <QPointer>
#include <QRandomGenerator>
#include <QStringList>
#include <QTimer>

#include <map>
#include <optional>

class QWidget;

namespace zfm {
class MainWindow;
namespace vt {
class VirtualTransmitter;
}
} // namespace zfm

class QMessageBox;

namespace zfm::drill {

// Closes a message box as the operator would: with its default button, its
// first one, or by closing it.
void acknowledge(QMessageBox *box);

// A seeded random operator at the real window while the automatic work runs:
// every so often it uses a control an operator could use at that moment
// (the side panel's buttons, the test buttons, the family options, tab
// switches, bursts of "Read RDS settings", "Auto read TX", the setup window
// with its test, "Move To Tray", and the OK of every message). Meanwhile it
// watches both sides of the line and notes every broken invariant:
//   - no malformed frame reaches the transmitter;
//   - every frame arrives at the speed of the family chosen when its job began;
//   - jobs never overlap: each one ends before the next begins;
//   - every reply the transmitter sends is decoded by the request that asked;
//   - with the line idle the four buttons are all back ("Read TX" unless
//     "Auto read TX" is ticked);
//   - RTSwitch, AutoPS and AutoRead keep the values the operator gave them.
class OperatorRun : public QObject {
    Q_OBJECT
public:
    struct Counters {
        int actions = 0;
        std::map<QString, int> actionsByName;
        int jobs = 0;
        int checks = 0;
        int repliesDecoded = 0;
    };

    OperatorRun(
        MainWindow &window, vt::VirtualTransmitter &device, quint32 seed, int meanGapMs, QObject *parent = nullptr);

    void start();
    // No more actions; a window left open is closed, a message answered.
    void stop();
    // Whether nothing the operator started is still open or under way.
    bool settled() const;
    // The checks that hold once everything is over (the line idle, the
    // transmitter's replies all out).
    void checkAtRest();

    quint32 seed() const { return seed_; }
    const Counters &counters() const { return counters_; }
    // Frames and replies as the transmitter counted them.
    int frames() const;
    int replies() const;
    const QStringList &violations() const { return violations_; }
    // One line of the counters, for a report.
    QString summary() const;

private:
    void act();
    void windDown();
    bool answerMessage();
    void actInSetup(QWidget *setup);
    void actInWindow();
    void note(const QString &action);
    void check(bool holds, const QString &what);
    void onFrameLogged();
    void onJobStarted(JobKind kind);
    void onJobEnded(JobKind kind, JobEnd::Outcome outcome);
    void checkIdleButtons();
    void checkChoices();
    int familyBaud() const;
    QWidget *openSetup() const;

    MainWindow &window_;
    vt::VirtualTransmitter &device_;
    quint32 seed_;
    QRandomGenerator random_;
    int meanGapMs_;
    QTimer actions_;
    QTimer watch_;
    Counters counters_;
    QStringList violations_;

    // What the operator chose last.
    bool autoRead_ = false;
    int16_t autoPs_ = 0;
    int16_t rtSwitch_ = 0;

    bool jobRunning_ = false;
    std::optional<JobKind> runningKind_;
    // The speed every frame must arrive at: the family's when the job on the
    // line began (a speed change itself writes nothing).
    int expectedBaud_ = 0;
    size_t logSeen_ = 0;
    bool minimised_ = false;
    bool stopped_ = false;
};

} // namespace zfm::drill
