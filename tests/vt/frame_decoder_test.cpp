// The frame decoder on its own: however the line splits the bytes, the same
// frames and errors come out.
#include "frame_decoder.h"
#include "options.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace zfm::vt;

namespace {

QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

// Fed in pieces ending at `cuts` and at the end; the events as "leadIn name
// value-hex" for a frame and "error bytes-hex" otherwise, joined by " | ".
std::string decodeInPieces(const QByteArray &stream, std::vector<qsizetype> cuts)
{
    FrameDecoder d;
    std::vector<FrameEvent> all;
    cuts.push_back(stream.size());
    qsizetype from = 0;
    for (const qsizetype cut : cuts) {
        for (auto &e : d.feed(stream.mid(from, cut - from)))
            all.push_back(e);
        from = cut;
    }
    for (auto &e : d.finish())
        all.push_back(e);
    QStringList out;
    for (const FrameEvent &e : all) {
        if (const auto *f = std::get_if<RawFrame>(&e))
            out << QStringLiteral("%1 %2 %3").arg(f->leadIn).arg(QString::fromLatin1(f->name), f->value.toHex());
        else
            out << QStringLiteral("error ") + QString::fromLatin1(std::get<FrameError>(e).bytes.toHex());
    }
    return out.join(QStringLiteral(" | ")).toStdString();
}

} // namespace

TEST(FrameDecoder, SameFramesHoweverTheLineSplitsTheBytes)
{
    // Byte sequences as the program puts them on the wire.
    const std::vector<std::pair<QByteArray, std::string>> rows = {
        {hex("00004653013102"), "2 FS 31"}, {hex("00464450010802"), "1 FDP 08"}, {hex("00580102"), "1 X "},
        {hex("00464d012002"), "1 FM 20"}, {hex("0050533037014e4557532020202002"), "1 PS07 4e45575320202020"},
        {hex("004646017ca402"), "1 FF 7ca4"}, {hex("0054494d450112090d02"), "1 TIME 12090d"},
        {hex("0000004653013102"), "error 00 | 2 FS 31"}, // three lead-ins
        {hex("0046530131"
             "00464d012002"),
            "error 0046530131 | 1 FM 20"}, // terminator lost
        {hex("787900580102"), "error 7879 | 1 X "}, // stray bytes
        {hex("0046444c47580104020058010200"), "error 0046444c4758010402 | 1 X  | error 00"}, // long name; cut short
    };
    QRandomGenerator random(7);
    for (const auto &[stream, expected] : rows) {
        // In one piece, byte by byte, then cut at random.
        for (int trial = 0; trial < 22; ++trial) {
            std::vector<qsizetype> cuts;
            for (qsizetype i = 1; i < stream.size() && trial > 0; ++i) {
                if (trial == 1 || random.bounded(3) == 0)
                    cuts.push_back(i);
            }
            EXPECT_EQ(decodeInPieces(stream, cuts), expected) << "trial " << trial;
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
