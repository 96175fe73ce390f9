#include "device_fixture.h"

#include "support/wait.h"

namespace zfm::test {

WireScript withoutPauses(const WireScript &script)
{
    WireScript out;
    for (const Step &s : script.steps()) {
        if (const auto *w = std::get_if<step::Write>(&s))
            out.write(w->bytes);
        else if (const auto *c = std::get_if<step::WriteClock>(&s))
            out.writeClock(c->field);
        else if (const auto *st = std::get_if<step::Status>(&s))
            out.status(st->text, st->progress);
        else if (std::holds_alternative<step::Ready>(s))
            out.ready();
        else if (const auto *o = std::get_if<step::Open>(&s))
            out.open(o->line, o->fixedLine, o->evenIfOpen);
        else if (std::holds_alternative<step::Close>(s))
            out.close();
        else if (const auto *cf = std::get_if<step::Confirm>(&s))
            out.confirm(cf->text);
    }
    return out;
}

DeviceOnLink::DeviceOnLink()
{
    QObject::connect(&link, &SerialLink::received, [this](char c) { received += c; });
}

void DeviceOnLink::start(vt::Options options, const QString &programLine)
{
    options.echo = false;
    const int baud = options.lineBaud();
    device = std::make_unique<vt::VirtualTransmitter>(options);
    ASSERT_TRUE(device->isValid());
    record.COMSelected = kCom;
    record.COMDevice[kCom] = device->path();
    record.LineSettings = programLine.isEmpty() ? QStringLiteral("%1,N,8,1").arg(baud) : programLine;
}

LinkRunner::Outcome DeviceOnLink::run(const WireScript &script, int timeoutMs)
{
    std::optional<LinkRunner::Outcome> outcome;
    EXPECT_TRUE(runner.start(script, [&](LinkRunner::Outcome o) { outcome = o; }));
    EXPECT_TRUE(runUntil([&] { return outcome.has_value(); }, timeoutMs));
    return outcome.value_or(LinkRunner::Outcome::Failed);
}

bool DeviceOnLink::waitForFrames(int count, int timeoutMs)
{
    return runUntil([&] { return state().counters.total + state().counters.malformed >= count; }, timeoutMs);
}

bool DeviceOnLink::waitForReplies(int timeoutMs)
{
    return runUntil([&] { return device->repliesDone() && received.size() >= device->repliedCharacters(); }, timeoutMs);
}

} // namespace zfm::test
