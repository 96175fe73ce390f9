#pragma once

#include "link/job.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <map>

namespace zfm {
class Station;
struct StatusReply;
namespace vt {
class VirtualTransmitter;
}
} // namespace zfm

namespace zfm::drill {
class Playout;
}

// Watches what reaches the transmitter during the soak run and judges it
// against what the title file held and what the scheduler was given.
//
// Every script the program starts is noted with the file's content at that
// moment; the jobs and the frames the transmitter decodes tell which script it
// was. An
// automatic PS upload must deliver the pieces of the title the file held when
// it began, an automatic RadioText upload the file's first line then, a "Send
// RT and PS" the title on screen then; every scheme's frequency and power must
// arrive in a "Send settings".
class SoakWatch : public QObject {
    Q_OBJECT
public:
    SoakWatch(zfm::Station &station, zfm::vt::VirtualTransmitter &device, const zfm::drill::Playout &playout,
        QObject *parent = nullptr);

    // A scheme the run put into the list: due at the start of minute `key`
    // (minutes since the epoch, local time) with this frequency and power.
    void planScheme(qint64 key, int frequencyKHz, int power);
    // Minutes from `firstKey` to `lastKey` whose scheme was planned.
    int schemesDue(qint64 firstKey, qint64 lastKey) const;
    int schemesApplied(qint64 firstKey, qint64 lastKey) const;
    // The due minutes whose scheme never arrived, as "hh:mm".
    QStringList schemesMissed(qint64 firstKey, qint64 lastKey) const;
    qint64 latestSchemeMs() const;

    void sendRtAndPsPressed() { ++sendRtPsPressed_; }
    // Cuts the transmitter's line. The frame it cuts short and the upload it
    // ends are the cut's, not findings; the first automatic uploads once the
    // line is back send what the program held (the title on screen, the RT
    // box), whatever the file holds at that moment.
    void cutLine();

    // A PS or RadioText upload has begun and not ended.
    bool uploadOpen() const { return psOpen_; }
    // The last title is on air: its PS pieces and its RadioText line.
    bool lastTitleOnAir() const;
    QString onAirText() const;

    int statusDecoded() const { return statusDecoded_; }
    int statusGarbled() const { return statusGarbled_; }
    int psUploads() const { return psUploads_; }
    int titlesUploaded() const { return static_cast<int>(titlesUploaded_.size()); }
    int psWrong() const { return psWrong_; }
    int psCutOff() const { return psCutOff_; }
    int rtUploads() const { return rtUploads_; }
    int rtWrong() const { return rtWrong_; }
    int sendRtPsPressed() const { return sendRtPsPressed_; }
    int sendRtPsCompleted() const { return sendRtPsCompleted_; }
    int sendRtPsWrong() const { return sendRtPsWrong_; }
    const QStringList &findings() const { return findings_; }

private:
    // What the file and the window held when the runner began its current script.
    struct Snapshot {
        bool fileComplete = true;
        QString fileTitle;
        QString fileLine;
        QString titleOnScreen;
        QString rtBox;
        zfm::JobKind kind = zfm::JobKind::PortOpen;
    };
    enum class PsKind { Automatic, SendRtAndPs };

    void onFrame(const QString &logLine);
    void psBegins(PsKind kind);
    void psEnds();
    void finding(const QString &text);

    zfm::Station &station_;
    zfm::vt::VirtualTransmitter &device_;
    const zfm::drill::Playout &playout_;
    QElapsedTimer clock_;

    Snapshot atStart_;
    Snapshot beforeStart_; // what the job before it found
    // The automatic RadioText upload has shown its step; its frame is on the way.
    bool autoRtComing_ = false;
    Snapshot autoRtExpected_;
    bool psOpen_ = false;
    bool cutting_ = false;
    bool psCatchUp_ = false;
    bool rtCatchUp_ = false;
    PsKind psKind_ = PsKind::Automatic;
    QString psExpected_;
    QString psAlsoExpected_; // the file's title at the start of the list's own job

    int statusDecoded_ = 0;
    int statusGarbled_ = 0;
    int psUploads_ = 0;
    QSet<QString> titlesUploaded_;
    int psWrong_ = 0;
    int psCutOff_ = 0;
    int rtUploads_ = 0;
    int rtWrong_ = 0;
    int sendRtPsPressed_ = 0;
    int sendRtPsCompleted_ = 0;
    int sendRtPsWrong_ = 0;
    struct Planned {
        qint64 key; // the minute
        int power;
    };
    std::map<int, Planned> planned_; // by frequency in kHz, distinct over the run
    std::map<qint64, qint64> appliedAfterMs_; // minute key -> ms into its minute when it arrived
    QStringList findings_;
};
