#include "link/wire_script.h"

#include "link/clock.h"
#include "link/encodings.h"

namespace zfm {

int clockFieldValue(ClockField field, const QDateTime &now)
{
    switch (field) {
    case ClockField::Hour: return now.time().hour();
    case ClockField::Minute: return now.time().minute();
    case ClockField::Second: return now.time().second();
    case ClockField::Year: return now.date().year() - 2004;
    case ClockField::Month: return now.date().month();
    case ClockField::Day: return now.date().day();
    }
    return 0;
}

WireScript &WireScript::write(QByteArray bytes)
{
    steps_.emplace_back(step::Write{std::move(bytes)});
    return *this;
}

WireScript &WireScript::writeClock(ClockField field)
{
    steps_.emplace_back(step::WriteClock{field});
    return *this;
}

WireScript &WireScript::pause(int ms)
{
    steps_.emplace_back(step::Pause{ms});
    return *this;
}

WireScript &WireScript::status(const QString &text, double progress)
{
    steps_.emplace_back(step::Status{text, progress});
    return *this;
}

WireScript &WireScript::ready()
{
    steps_.emplace_back(step::Ready{});
    return *this;
}

WireScript &WireScript::open() { return open(step::Open{}); }

WireScript &WireScript::openWithLine(const QString &line, bool evenIfOpen)
{
    return open(step::Open{line, evenIfOpen});
}

WireScript &WireScript::open(const step::Open &how)
{
    steps_.emplace_back(how);
    return *this;
}

WireScript &WireScript::lineSettings(const QString &line)
{
    steps_.emplace_back(step::Line{line});
    return *this;
}

WireScript &WireScript::close()
{
    steps_.emplace_back(step::Close{});
    return *this;
}

WireScript &WireScript::confirm(const QString &text)
{
    steps_.emplace_back(step::Confirm{text});
    return *this;
}

WireScript &WireScript::append(const WireScript &other)
{
    steps_.insert(steps_.end(), other.steps_.begin(), other.steps_.end());
    return *this;
}

WireScript &WireScript::append(const Step &step)
{
    steps_.push_back(step);
    return *this;
}

WireScript &WireScript::frameHead(int leadIn, const QByteArray &name)
{
    for (int i = 0; i < leadIn; ++i)
        write(QByteArray(1, kLeadIn)).pause(kWritePauseMs);
    write(name).pause(kWritePauseMs);
    write(QByteArray(1, kSeparator)).pause(kWritePauseMs);
    return *this;
}

WireScript &WireScript::frame(
    int leadIn, const QByteArray &name, const QByteArray &value, const std::optional<step::Status> &inside)
{
    return frameWithExtraPause(leadIn, name, value, inside, 0);
}

WireScript &WireScript::frameWithExtraPause(
    int leadIn, const QByteArray &name, const QByteArray &value, const std::optional<step::Status> &inside, int extraMs)
{
    frameHead(leadIn, name);
    if (inside)
        status(inside->text, inside->progress);
    write(value).pause(kWritePauseMs);
    write(QByteArray(1, kTerminator));
    if (extraMs > 0)
        pause(extraMs);
    return pause(kFramePauseMs);
}

QByteArray WireScript::bytes() const
{
    QByteArray out;
    for (const Step &s : steps_) {
        if (const auto *w = std::get_if<step::Write>(&s))
            out += w->bytes;
        else if (std::holds_alternative<step::WriteClock>(s))
            out += '\xFF';
    }
    return out;
}

QByteArray WireScript::bytes(const Clock &clock) const
{
    QByteArray out;
    for (const Step &s : steps_) {
        if (const auto *w = std::get_if<step::Write>(&s))
            out += w->bytes;
        else if (const auto *c = std::get_if<step::WriteClock>(&s))
            out += offsetByte(clockFieldValue(c->field, clock.now()));
    }
    return out;
}

int WireScript::totalPauseMs() const
{
    int total = 0;
    for (const Step &s : steps_) {
        if (const auto *p = std::get_if<step::Pause>(&s))
            total += p->ms;
    }
    return total;
}

std::vector<step::Status> WireScript::statuses() const
{
    std::vector<step::Status> out;
    for (const Step &s : steps_) {
        if (const auto *st = std::get_if<step::Status>(&s))
            out.push_back(*st);
        else if (std::holds_alternative<step::Ready>(s))
            out.push_back({QStringLiteral("Ready"), 0});
    }
    return out;
}

} // namespace zfm
