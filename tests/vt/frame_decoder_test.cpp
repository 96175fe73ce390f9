// The frame decoder on its own: however the line splits the bytes, the same
// frames and errors come out.
#include "frame_decoder.h"
#include "options.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace zfm::vt;

namespace {

QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

RawFrame frame(int leadIn, const char *name, const QByteArray &value) { return RawFrame{leadIn, name, value}; }

// Errors compare by their bytes; the reason is for people.
bool sameEvents(const std::vector<FrameEvent> &a, const std::vector<FrameEvent> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].index() != b[i].index())
            return false;
        if (const auto *f = std::get_if<RawFrame>(&a[i]); f && !(*f == std::get<RawFrame>(b[i])))
            return false;
        if (const auto *e = std::get_if<FrameError>(&a[i]); e && e->bytes != std::get<FrameError>(b[i]).bytes)
            return false;
    }
    return true;
}

std::vector<FrameEvent> feedInPieces(const QByteArray &stream, const std::vector<qsizetype> &cuts)
{
    FrameDecoder d;
    std::vector<FrameEvent> all;
    qsizetype from = 0;
    for (const qsizetype cut : cuts) {
        for (auto &e : d.feed(stream.mid(from, cut - from)))
            all.push_back(e);
        from = cut;
    }
    for (auto &e : d.feed(stream.mid(from)))
        all.push_back(e);
    for (auto &e : d.finish())
        all.push_back(e);
    return all;
}

struct StreamRow {
    const char *name;
    QByteArray stream;
    std::vector<FrameEvent> expected;
};

} // namespace

TEST(FrameDecoder, SameFramesHoweverTheLineSplitsTheBytes)
{
    // Byte sequences as the program puts them on the wire.
    const std::vector<StreamRow> rows = {
        {"stereo", hex("00004653013102"), {frame(2, "FS", "1")}},
        {"pilot", hex("00464450010802"), {frame(1, "FDP", "\x08")}},
        {"read-back request", hex("00580102"), {frame(1, "X", {})}},
        {"status request", hex("00464d012002"), {frame(1, "FM", " ")}},
        {"PS 7", hex("0050533037014e4557532020202002"), {frame(1, "PS07", "NEWS    ")}},
        {"test button 103", hex("004646017ca402"), {frame(1, "FF", hex("7ca4"))}},
        {"time", hex("0054494d450112090d02"), {frame(1, "TIME", hex("12090d"))}},
        {"three lead-ins",
            hex("000000465301"
                "3102"),
            {FrameError{hex("00"), {}}, frame(2, "FS", "1")}},
        {"terminator lost",
            hex("00465301"
                "31"
                "00464d012002"),
            {FrameError{hex("0046530131"), {}}, frame(1, "FM", " ")}},
        {"stray bytes", QByteArray("xy") + hex("00580102"), {FrameError{"xy", {}}, frame(1, "X", {})}},
        {"long name", hex("00") + "FDGLX" + hex("010402") + hex("00580102"),
            {FrameError{hex("00") + "FDGLX" + hex("010402"), {}}, frame(1, "X", {})}},
        {"cut short at the end", hex("0046530131"), {FrameError{hex("0046530131"), {}}}},
    };
    QRandomGenerator random(7);
    for (const StreamRow &row : rows) {
        const QByteArray &s = row.stream;
        EXPECT_TRUE(sameEvents(feedInPieces(s, {}), row.expected)) << row.name;
        std::vector<qsizetype> everyByte;
        for (qsizetype i = 1; i < s.size(); ++i)
            everyByte.push_back(i);
        EXPECT_TRUE(sameEvents(feedInPieces(s, everyByte), row.expected)) << row.name << " byte by byte";
        for (int trial = 0; trial < 20; ++trial) {
            std::vector<qsizetype> cuts;
            for (qsizetype i = 1; i < s.size(); ++i) {
                if (random.bounded(3) == 0)
                    cuts.push_back(i);
            }
            EXPECT_TRUE(sameEvents(feedInPieces(s, cuts), row.expected)) << row.name << " trial " << trial;
        }
    }
}

TEST(SimulatorOptions, CommandLine)
{
    struct Row {
        QStringList args;
        bool ok;
        std::function<bool(const Options &)> holds;
    };
    auto args = [](const char *line) { return QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts); };
    const std::vector<Row> rows = {
        {args(""), true, [](const Options &o) { return o.family == Family::Classic && o.lineBaud() == 9600; }},
        {args("--family small"), true, [](const Options &o) { return o.lineBaud() == 38400; }},
        {args("--family=small --baud 14400"), true, [](const Options &o) { return o.lineBaud() == 14400; }},
        {args("--com 2 --config-home /tmp/x"), true,
            [](const Options &o) { return o.com == 2 && o.configHome == QLatin1String("/tmp/x"); }},
        {args("--fault silent --fault bad-pd"), true,
            [](const Options &o) { return o.faults.silent && o.faults.badDelay && !o.faults.stall; }},
        {args("--fault hangup-after=5"), true, [](const Options &o) { return o.faults.hangupAfter == 5; }},
        {args("--fault slow --gap-ms 999 --gap-every 10"), true,
            [](const Options &o) { return o.faults.slow && o.faults.gapMs == 999 && o.faults.gapEvery == 10; }},
        {args("--alarm 37 --audio 0 --power-limit 300"), true,
            [](const Options &o) { return o.status.alarmMask == 37 && o.status.audioLevel == 0; }},
        {args("--quiet"), true, [](const Options &o) { return !o.echo; }},
        {args("--family big"), false, {}},
        {args("--alarm 64"), false, {}},
        {args("--gap-ms 1000"), false, {}}, // a slow device still answers within a second
        {args("--com 17"), false, {}},
        {args("--fault wobbly"), false, {}},
        {args("--fault hangup-after"), false, {}},
        {args("--firmware 2,1"), false, {}}, // would split its status item
        {args("--state-file"), false, {}},
        {args("stray"), false, {}},
    };
    for (const Row &row : rows) {
        const ParsedOptions p = parseOptions(row.args);
        const std::string line = row.args.join(QLatin1Char(' ')).toStdString();
        ASSERT_EQ(p.options.has_value(), row.ok) << line << ": " << p.message.toStdString();
        if (row.ok)
            EXPECT_TRUE(row.holds(*p.options)) << line;
        else
            EXPECT_FALSE(p.message.isEmpty()) << line;
    }
}
