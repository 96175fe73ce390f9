#include "operator_run.h"

#include "app/main_window.h"
#include "settings/line_speed.h"
#include "station/station.h"
#include "virtual_transmitter.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace zfm::drill {

namespace {

constexpr int kWatchMs = 20;
constexpr int kWindDownMs = 100;

QString baudText(int baud) { return QString::number(baud); }

} // namespace

OperatorRun::OperatorRun(
    MainWindow &window, vt::VirtualTransmitter &device, quint32 seed, int meanGapMs, QObject *parent)
    : QObject(parent), window_(window), device_(device), seed_(seed), random_(seed), meanGapMs_(meanGapMs)
{
    Station &station = window_.station();
    const SettingsRecord &r = station.record();
    autoRead_ = r.AutoRead;
    autoPs_ = r.AutoPS;
    rtSwitch_ = r.RTSwitch;
    expectedBaud_ = familyBaud();
    runningKind_ = station.line().runningKind();
    jobRunning_ = runningKind_.has_value();

    actions_.setSingleShot(true);
    connect(&actions_, &QTimer::timeout, this, &OperatorRun::act);
    watch_.setInterval(kWatchMs);
    connect(&watch_, &QTimer::timeout, this, [this] {
        checkIdleButtons();
        checkChoices();
    });
    connect(&station.line(), &LineOwner::jobStarted, this, &OperatorRun::onJobStarted);
    connect(&station.line(), &LineOwner::jobEnded, this, &OperatorRun::onJobEnded);
    connect(&station, &Station::statusReplyReceived, this, [this] { ++counters_.repliesDecoded; });
    connect(&station.portProbe(), &PortProbe::finished, this, [this](const PortProbe::Result &result) {
        if (result.kind == PortProbe::Result::Kind::Answered)
            ++counters_.repliesDecoded;
    });
    connect(&device_, &vt::VirtualTransmitter::logged, this, &OperatorRun::onFrameLogged);
}

void OperatorRun::start()
{
    stopped_ = false;
    watch_.start();
    actions_.start(meanGapMs_);
}

void OperatorRun::stop()
{
    stopped_ = true;
    actions_.start(kWindDownMs);
}

int OperatorRun::frames() const { return device_.state().counters.total + device_.state().counters.malformed; }

int OperatorRun::replies() const
{
    return device_.state().counters.statusReplies + device_.state().counters.readBackReplies;
}

QWidget *OperatorRun::openSetup() const
{
    for (QDialog *d : window_.findChildren<QDialog *>(QStringLiteral("frmSetup"))) {
        if (d->isVisible())
            return d;
    }
    return nullptr;
}

bool OperatorRun::settled() const
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox *>(w) && w->isVisible())
            return false;
    }
    return !openSetup() && !minimised_ && window_.station().line().isIdle();
}

void OperatorRun::note(const QString &action)
{
    ++counters_.actions;
    ++counters_.actionsByName[action];
}

void OperatorRun::check(bool holds, const QString &what)
{
    ++counters_.checks;
    if (holds || violations_.size() > 50)
        return;
    violations_ << what;
}

void OperatorRun::act()
{
    if (stopped_) {
        windDown();
        return;
    }
    if (!answerMessage()) {
        if (QWidget *setup = openSetup())
            actInSetup(setup);
        else
            actInWindow();
    }
    const int gap = static_cast<int>(random_.bounded(meanGapMs_ / 2, meanGapMs_ * 3 / 2 + 1));
    actions_.start(gap);
}

void OperatorRun::windDown()
{
    // What is open is closed, nothing new begins.
    if (!answerMessage()) {
        if (QWidget *setup = openSetup()) {
            auto *ok = setup->findChild<QPushButton *>(QStringLiteral("cmdOK"));
            if (ok && ok->isEnabled()) {
                ok->click();
                note(QStringLiteral("setup OK"));
            }
        } else if (minimised_) {
            window_.restoreFromTray();
            minimised_ = false;
            note(QStringLiteral("restore"));
        }
    }
    if (!settled())
        actions_.start(kWindDownMs);
}

void acknowledge(QMessageBox *box)
{
    QAbstractButton *ok = box->defaultButton();
    if (!ok && !box->buttons().isEmpty())
        ok = box->buttons().first();
    if (ok)
        ok->click();
    else
        box->close();
}

bool OperatorRun::answerMessage()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (!box || !box->isVisible())
            continue;
        acknowledge(box);
        note(QStringLiteral("OK of a message"));
        return true;
    }
    return false;
}

void OperatorRun::actInSetup(QWidget *setup)
{
    auto *test = setup->findChild<QPushButton *>(QStringLiteral("cmdTest"));
    auto *ok = setup->findChild<QPushButton *>(QStringLiteral("cmdOK"));
    // A test under way is waited for: its reply is the transmitter's too.
    if (!ok || !ok->isEnabled())
        return;
    switch (random_.bounded(4)) {
    case 0:
        test->click();
        note(QStringLiteral("Communication test tool"));
        return;
    case 1:
        setup->close();
        note(QStringLiteral("setup closed"));
        return;
    default:
        ok->click();
        note(QStringLiteral("setup OK"));
        return;
    }
}

void OperatorRun::actInWindow()
{
    if (minimised_) {
        window_.restoreFromTray();
        minimised_ = false;
        note(QStringLiteral("restore"));
        return;
    }
    auto button = [this](const char *name) { return window_.findChild<QAbstractButton *>(QLatin1String(name)); };
    auto press = [&](const char *name, const QString &action) {
        QAbstractButton *b = button(name);
        if (!b || !b->isEnabled())
            return false;
        b->click();
        note(action);
        return true;
    };
    struct Choice {
        int weight;
        std::function<void()> run;
    };
    const Choice choices[] = {
        {3, [&] { press("cmdSendSettings", QStringLiteral("Send settings")); }},
        {3, [&] { press("cmdSendRTPS", QStringLiteral("Send RT and PS")); }},
        {3,
            [&] {
                const int clicks = static_cast<int>(random_.bounded(1, 4));
                for (int i = 0; i < clicks; ++i)
                    press("cmdReadRDS", QStringLiteral("Read RDS settings"));
            }},
        {3, [&] { press("cmdReadTX", QStringLiteral("Read TX")); }},
        {3, [&] { press("cmdFreqTest", QStringLiteral("103")); }},
        {3, [&] { press("cmdPowerTestP", QStringLiteral("32%")); }},
        {1, [&] { press(random_.bounded(2) ? "optVesk" : "optClassic", QStringLiteral("family option")); }},
        {5,
            [&] {
                QTabWidget *tabs = window_.tabs();
                tabs->setCurrentIndex(static_cast<int>(random_.bounded(tabs->count())));
                note(QStringLiteral("tab"));
            }},
        {1,
            [&] {
                if (press("chkAutoRead", QStringLiteral("Auto read TX")))
                    autoRead_ = qobject_cast<QCheckBox *>(button("chkAutoRead"))->isChecked();
            }},
        {1,
            [&] {
                window_.findChild<QAction *>(QStringLiteral("mnuSetup"))->trigger();
                note(QStringLiteral("File > Setup"));
            }},
        {1,
            [&] {
                if (press("cmdMoveToTray", QStringLiteral("Move To Tray")))
                    minimised_ = true;
            }},
    };
    int total = 0;
    for (const Choice &c : choices)
        total += c.weight;
    int pick = static_cast<int>(random_.bounded(total));
    for (const Choice &c : choices) {
        if (pick < c.weight) {
            c.run();
            return;
        }
        pick -= c.weight;
    }
}

int OperatorRun::familyBaud() const
{
    const LineSpeed *speed = lineSpeedOfCode(familyComSpeed(window_.station().record().MODE));
    return speed ? speed->baud : 0;
}

void OperatorRun::onJobStarted(JobKind kind)
{
    check(!jobRunning_, QStringLiteral("a job began while another was on the line"));
    jobRunning_ = true;
    runningKind_ = kind;
    ++counters_.jobs;
    // A speed change writes nothing; the last frames of the job before may
    // still be on their way to the transmitter.
    if (kind != JobKind::LineSpeed)
        expectedBaud_ = familyBaud();
}

void OperatorRun::onJobEnded(JobKind kind, JobEnd::Outcome outcome)
{
    check(jobRunning_ && kind == runningKind_, QStringLiteral("a job ended that had not begun"));
    jobRunning_ = false;
    if (kind == JobKind::ReadBack && outcome == JobEnd::Outcome::Completed)
        ++counters_.repliesDecoded;
}

void OperatorRun::onFrameLogged()
{
    const auto &log = device_.state().log;
    if (log.empty())
        return;
    const vt::LogEntry &e = log.back();
    // The transmitter's own notes (its replies, a cut line) are no frames.
    if (e.text.startsWith(QLatin1String("  ")) || e.text == QLatin1String("line cut"))
        return;
    // A family the transmitter is not of sends commands it reads otherwise
    // ("FDP" is decimal text to one family, an offset byte to the other).
    const bool ownFamily = expectedBaud_ == device_.options().lineBaud();
    check(!e.malformed || !ownFamily, QStringLiteral("the transmitter took a malformed frame: %1").arg(e.text));
    check(e.baud == expectedBaud_,
        QStringLiteral("frame at %1 bit/s where the family's %2 was due: %3")
            .arg(baudText(e.baud), baudText(expectedBaud_), e.text));
}

void OperatorRun::checkIdleButtons()
{
    const Station &station = window_.station();
    if (!station.line().isIdle())
        return;
    auto enabled = [this](const char *name) {
        const auto *b = window_.findChild<QAbstractButton *>(QLatin1String(name));
        return b && b->isEnabled();
    };
    const bool readTx = !station.record().AutoRead;
    check(
        enabled("cmdSendSettings") && enabled("cmdSendRTPS") && enabled("cmdReadRDS") && enabled("cmdReadTX") == readTx,
        QStringLiteral("buttons not all back with the line idle"));
}

void OperatorRun::checkChoices()
{
    const Station &station = window_.station();
    if (!station.line().isIdle())
        return;
    const SettingsRecord &r = station.record();
    check(r.AutoRead == autoRead_,
        QStringLiteral("AutoRead is %1, the operator left it %2").arg(r.AutoRead).arg(autoRead_));
    check(r.AutoPS == autoPs_, QStringLiteral("AutoPS is %1, the operator left it %2").arg(r.AutoPS).arg(autoPs_));
    check(r.RTSwitch == rtSwitch_,
        QStringLiteral("RTSwitch is %1, the operator left it %2").arg(r.RTSwitch).arg(rtSwitch_));
}

void OperatorRun::checkAtRest()
{
    checkIdleButtons();
    checkChoices();
    check(replies() == counters_.repliesDecoded,
        QStringLiteral("the transmitter sent %1 replies, %2 were decoded")
            .arg(replies())
            .arg(counters_.repliesDecoded));
}

QString OperatorRun::summary() const
{
    QStringList byName;
    for (const auto &[name, count] : counters_.actionsByName)
        byName << QStringLiteral("%1 %2").arg(count).arg(name);
    return QStringLiteral("seed %1: %2 actions (%3); %4 jobs; %5 frames; %6 replies sent, %7 decoded; %8 invariant "
                          "checks, %9 broken")
        .arg(seed_)
        .arg(counters_.actions)
        .arg(byName.join(QStringLiteral(", ")))
        .arg(counters_.jobs)
        .arg(frames())
        .arg(replies())
        .arg(counters_.repliesDecoded)
        .arg(counters_.checks)
        .arg(violations_.size());
}

} // namespace zfm::drill
