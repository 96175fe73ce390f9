#pragma once

#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace zfm {

class Station;
struct StatusReply;

// "FM TX &alarms": the alarm thresholds, the transmitter's own report (boxes,
// six lamps, the audio level), "Auto read TX" and "Read TX".
class AlarmsPage : public QWidget {
    Q_OBJECT
public:
    explicit AlarmsPage(Station &station, QWidget *parent = nullptr);
    void refresh();

    QCheckBox *autoRead() const { return autoRead_; }
    QPushButton *readTx() const { return readTx_; }

    // A lamp's look: red when on, light grey when off.
    void setLamp(int index, bool on);
    bool lampOn(int index) const;
    void setAudioLevel(int level);
    int audioLevel() const;
    // Fills the boxes, lamps and level bar from the transmitter's report.
    void showStatus(const StatusReply &reply);
    // The status boxes in the order the transmitter reports them.
    QLabel *box(const char *objectName) const;

signals:
    void readTxClicked();

private:
    Station &station_;
    QCheckBox *autoRead_;
    QPushButton *readTx_;
    std::array<QLabel *, 6> lamps_{};
    QProgressBar *audio_;
};

} // namespace zfm
