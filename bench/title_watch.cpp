#include "title_watch.h"

#include "playout.h"

#include "autoupdate/ps_rebuild.h"
#include "link/clock.h"
#include "station/station.h"
#include "virtual_transmitter.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Nearest rank: the smallest value with at least `share` of all at or below it.
double percentile(std::vector<double> v, double share)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const auto rank = static_cast<size_t>(std::ceil(share * static_cast<double>(v.size())));
    return v[std::clamp<size_t>(rank, 1, v.size()) - 1];
}

bool holds(const zfm::vt::RdsState &rds, const zfm::PsList &list)
{
    for (size_t i = 0; i < zfm::vt::kPsCount; ++i) {
        if (rds.psDelay[i] != list.delays[i] || rds.ps[i] != list.texts[i].toLatin1())
            return false;
    }
    return true;
}

} // namespace

TitleWatch::TitleWatch(
    zfm::Station &station, zfm::vt::VirtualTransmitter &device, const zfm::drill::Playout &playout, QObject *parent)
    : QObject(parent), station_(station), device_(device), playout_(playout)
{
    connect(&playout_, &zfm::drill::Playout::titleWritten, this, &TitleWatch::titleWritten);
    connect(&device_, &zfm::vt::VirtualTransmitter::logged, this, &TitleWatch::frameDecoded);
    connect(&station_.line(), &zfm::LineOwner::jobStarted, this, [this](zfm::JobKind kind) {
        if (kind != zfm::JobKind::AutoPs)
            return;
        autoPsRunning_ = true;
        uploads_ += watching_ ? 1 : 0;
    });
    connect(&station_.line(), &zfm::LineOwner::jobEnded, this, [this](zfm::JobKind kind) {
        if (kind == zfm::JobKind::AutoPs)
            autoPsRunning_ = false;
    });
}

void TitleWatch::start() { watching_ = true; }

void TitleWatch::stop() { watching_ = false; }

void TitleWatch::titleWritten()
{
    if (!watching_)
        return;
    // The list the program builds from this title: the record's, rebuilt the
    // way the automatic update rebuilds it.
    zfm::SettingsRecord r = station_.record();
    std::optional<QDate> date;
    if (r.InsertDate)
        date = station_.clock().now().date();
    const QString title = playout_.lastTitle().left(zfm::kTitleChars);
    zfm::rebuildPsList(r, station_.autoUpdate().type(), title, r.AutoPSDelay, date);
    titles_.push_back({zfm::PsList::of(r), playout_.lastLine().toLatin1(), nowNs()});
}

void TitleWatch::frameDecoded(const QString &logLine)
{
    const qint64 now = nowNs();
    if (watching_ && autoPsRunning_
        && (logLine.startsWith(QLatin1String("PS")) || logLine.startsWith(QLatin1String("PD"))))
        ++frames_;
    const zfm::vt::RdsState &rds = device_.state().rds;
    // The latest title on air settles every earlier one still looked for.
    for (size_t i = titles_.size(); i > psSettled_; --i) {
        Title &t = titles_[i - 1];
        if (holds(rds, t.list)) {
            t.psNs = now;
            psSettled_ = i;
            break;
        }
    }
    for (size_t i = titles_.size(); i > rtSettled_; --i) {
        Title &t = titles_[i - 1];
        if (rds.rt == t.line) {
            t.rtNs = now;
            rtSettled_ = i;
            break;
        }
    }
}

TitleWatch::Figures TitleWatch::figures() const
{
    Figures f;
    f.titles = static_cast<int>(titles_.size());
    std::vector<double> ps, rt;
    for (const Title &t : titles_) {
        if (t.psNs >= 0)
            ps.push_back((t.psNs - t.writtenNs) / 1e9);
        if (t.rtNs >= 0)
            rt.push_back((t.rtNs - t.writtenNs) / 1e9);
    }
    f.psOnAir = static_cast<int>(ps.size());
    f.rtOnAir = static_cast<int>(rt.size());
    f.psP50 = percentile(ps, 0.5);
    f.psP95 = percentile(ps, 0.95);
    f.psMax = ps.empty() ? 0 : *std::max_element(ps.begin(), ps.end());
    f.rtP50 = percentile(rt, 0.5);
    f.rtP95 = percentile(rt, 0.95);
    f.rtMax = rt.empty() ? 0 : *std::max_element(rt.begin(), rt.end());
    f.frames = frames_;
    f.uploads = uploads_;
    return f;
}

QString TitleWatch::describe(const Figures &f)
{
    return QStringLiteral("PS on air %1/%2, p50 %3 s, p95 %4 s, max %5 s | RT on air %6/%2, p50 %7 s, p95 %8 s, "
                          "max %9 s | %10 PS/PD frames a title")
        .arg(f.psOnAir)
        .arg(f.titles)
        .arg(f.psP50, 0, 'f', 1)
        .arg(f.psP95, 0, 'f', 1)
        .arg(f.psMax, 0, 'f', 1)
        .arg(f.rtOnAir)
        .arg(f.rtP50, 0, 'f', 1)
        .arg(f.rtP95, 0, 'f', 1)
        .arg(f.rtMax, 0, 'f', 1)
        .arg(f.framesPerTitle(), 0, 'f', 1);
}
