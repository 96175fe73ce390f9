#pragma once

#include "rds/ps_upload.h"

#include <QObject>
#include <QString>

#include <vector>

namespace zfm {
class Station;
namespace vt {
class VirtualTransmitter;
}
} // namespace zfm

namespace zfm::drill {
class Playout;
}

// Title-to-air latency: for every title the playout program writes, the time
// from the moment the file holds it whole until the transmitter's PS list is
// the one that title gives (its last changed frame decoded) and until its
// RadioText is the file's line. A title replaced before its list or its
// RadioText reached the transmitter never does: it is counted as missed.
// Also counts the PS and delay frames of the automatic update.
class TitleWatch : public QObject {
    Q_OBJECT
public:
    struct Figures {
        int titles = 0; // written while watching
        int psOnAir = 0;
        int rtOnAir = 0;
        // Seconds, over the titles that reached the air.
        double psP50 = 0, psP95 = 0, psMax = 0;
        double rtP50 = 0, rtP95 = 0, rtMax = 0;
        int frames = 0; // PS and delay frames of the automatic update
        int uploads = 0; // automatic PS uploads that ran
        double framesPerTitle() const { return titles ? static_cast<double>(frames) / titles : 0; }
    };

    TitleWatch(zfm::Station &station, zfm::vt::VirtualTransmitter &device, const zfm::drill::Playout &playout,
        QObject *parent = nullptr);

    // Titles written from now on count, until stop().
    void start();
    void stop();
    Figures figures() const;
    // The last title written is on air, list and RadioText (or none was written).
    bool lastOnAir() const { return psSettled_ == titles_.size() && rtSettled_ == titles_.size(); }
    // One line of figures: "PS on air p50 ... | RT ... | frames ...".
    static QString describe(const Figures &f);

private:
    struct Title {
        zfm::PsList list; // what the transmitter holds once the title is on air
        QByteArray line; // the RadioText it gives
        qint64 writtenNs = 0;
        qint64 psNs = -1;
        qint64 rtNs = -1;
    };

    void titleWritten();
    void frameDecoded(const QString &logLine);

    zfm::Station &station_;
    zfm::vt::VirtualTransmitter &device_;
    const zfm::drill::Playout &playout_;
    bool watching_ = false;
    bool autoPsRunning_ = false;
    std::vector<Title> titles_;
    // The first titles whose list and RadioText are no longer looked for:
    // on air, or overtaken by a later one that is.
    size_t psSettled_ = 0;
    size_t rtSettled_ = 0;
    int frames_ = 0;
    int uploads_ = 0;
};
