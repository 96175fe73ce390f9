#include "virtual_transmitter.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace zfm::vt {

namespace {

constexpr int kGarbageLength = 16;

} // namespace

VirtualTransmitter::VirtualTransmitter(Options options, QObject *parent) : QObject(parent), options_(std::move(options))
{
    started_.start();
    listen();
}

void VirtualTransmitter::listen()
{
    if (!pty_.isValid())
        return;
    // Reads must never block the event loop; the reply thread waits for room itself.
    const int fd = pty_.masterFd();
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &VirtualTransmitter::onReadable);
    sender_ = std::make_unique<ReplySender>(fd);
}

bool VirtualTransmitter::plugIn()
{
    if (!hungUp_)
        return true;
    if (!pty_.reopen())
        return false;
    hungUp_ = false;
    options_.faults.hangupAfter = 0; // the fault has happened
    listen();
    log(QStringLiteral("line back"), false, 0);
    writeStateFile();
    return true;
}

VirtualTransmitter::~VirtualTransmitter()
{
    if (sender_)
        sender_->stop();
    notifier_.reset();
}

QJsonObject VirtualTransmitter::stateJson() const
{
    return vt::stateJson(state_, DeviceInfo{options_.family, options_.lineBaud(), path(), hungUp_});
}

bool VirtualTransmitter::writeStateFile() const
{
    if (options_.stateFile.isEmpty())
        return true;
    return writeJsonFile(options_.stateFile, stateJson());
}

void VirtualTransmitter::hangUp()
{
    if (hungUp_)
        return;
    if (sender_)
        sender_->stop();
    notifier_.reset();
    for (const FrameEvent &e : decoder_.finish())
        handle(e);
    pty_.hangUp();
    hungUp_ = true;
    log(QStringLiteral("line cut"), false, 0);
    writeStateFile();
    emit lineCut();
}

void VirtualTransmitter::onReadable()
{
    char buf[4096];
    bool changed = false;
    for (;;) {
        const ssize_t n = ::read(pty_.masterFd(), buf, sizeof buf);
        if (n > 0) {
            for (const FrameEvent &e : decoder_.feed(QByteArray(buf, static_cast<qsizetype>(n)))) {
                handle(e);
                changed = true;
                if (hungUp_)
                    return;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && notifier_)
            notifier_->setEnabled(false); // the line is gone; nothing more will come
        break;
    }
    // Only whole frames (or errors) change the state; most reads are parts of one.
    if (changed)
        writeStateFile();
}

void VirtualTransmitter::handle(const FrameEvent &event)
{
    if (const auto *frame = std::get_if<RawFrame>(&event)) {
        onFrame(*frame);
        return;
    }
    const auto &error = std::get<FrameError>(event);
    ++state_.counters.malformed;
    log(QStringLiteral("malformed: %1: %2").arg(error.reason, QString::fromLatin1(error.bytes.toHex(' '))), true,
        pty_.baud());
}

void VirtualTransmitter::onFrame(const RawFrame &frame)
{
    const int baud = pty_.baud();
    const Decoded d = applyFrame(state_, options_.family, frame);
    if (!d.ok) {
        ++state_.counters.malformed;
        log(QStringLiteral("malformed: ") + d.text, true, baud);
        return;
    }
    Counters &c = state_.counters;
    ++c.frames[frame.name];
    ++c.total;
    QString text = d.text;
    if (baud != options_.lineBaud()) {
        ++c.wrongSpeedFrames;
        text += QStringLiteral(" [line at %1 bit/s]").arg(baud);
    }
    log(text, false, baud);
    if (d.request != Request::None)
        answer(d.request, baud);
    if (options_.faults.hangupAfter > 0 && c.total >= options_.faults.hangupAfter)
        hangUp();
}

void VirtualTransmitter::answer(Request request, int programBaud)
{
    const Faults &f = options_.faults;
    const QString what = request == Request::Status ? QStringLiteral("status reply") : QStringLiteral("read-back");
    if (f.silent || programBaud != options_.lineBaud()) {
        ++state_.counters.unansweredRequests;
        log(f.silent ? QStringLiteral("  no %1: silent").arg(what)
                     : QStringLiteral("  no %1: the line runs at %2 bit/s, the device at %3")
                           .arg(what)
                           .arg(programBaud)
                           .arg(options_.lineBaud()),
            false, programBaud);
        return;
    }
    QByteArray bytes = request == Request::Status ? statusReply(state_, options_.status, started_.elapsed() / 1000)
                                                  : readBackReply(state_, f.badDelay);
    if (request == Request::Status)
        ++state_.counters.statusReplies;
    else
        ++state_.counters.readBackReplies;
    QStringList notes;
    if (f.noDollar) {
        bytes.chop(1);
        notes << QStringLiteral("no \"$\"");
    }
    if (f.stall) {
        bytes.truncate(bytes.size() / 2);
        notes << QStringLiteral("stalls half way");
    }
    if (f.garbage) {
        bytes.prepend(garbage());
        notes << QStringLiteral("garbage first");
    }
    ReplySender::Job job{bytes, options_.lineBaud(), 0, 0};
    if (f.slow) {
        job.gapEvery = f.gapEvery;
        job.gapMs = f.gapMs;
        notes << QStringLiteral("slow");
    }
    log(QStringLiteral("  %1, %2 characters%3")
            .arg(what)
            .arg(bytes.size())
            .arg(notes.isEmpty() ? QString()
                                 : QStringLiteral(" (") + notes.join(QStringLiteral(", ")) + QLatin1Char(')')),
        false, programBaud);
    sender_->send(std::move(job));
}

QByteArray VirtualTransmitter::garbage()
{
    // Printable characters and a few controls, never the reply's end mark.
    QByteArray g;
    while (g.size() < kGarbageLength) {
        const char c = static_cast<char>(random_.bounded(1, 127));
        if (c != '$')
            g += c;
    }
    return g;
}

void VirtualTransmitter::log(const QString &text, bool malformed, int baud)
{
    state_.addLog(LogEntry{started_.elapsed(), text, malformed, baud});
    if (options_.echo) {
        std::fputs(text.toLocal8Bit().constData(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    emit logged(text);
}

} // namespace zfm::vt
