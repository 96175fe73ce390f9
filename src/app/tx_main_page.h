#pragma once

#include <QWidget>

#include <vector>

class QComboBox;
class QLabel;
class QRadioButton;
class QSlider;

namespace zfm {

class FrequencyStepper;
class Station;
struct TransmitterList;

// "FM T&X main": frequency and its step buttons, device family, stereo/mono,
// pilot, pre-emphasis, audio input and compressor, output power, the two tests.
class TxMainPage : public QWidget {
    Q_OBJECT
public:
    explicit TxMainPage(Station &station, QWidget *parent = nullptr);
    // Shows the record's values (signals blocked: nothing is stored again).
    void refresh();

private:
    void step(int32_t kHz);

    Station &station_;
    FrequencyStepper *frequency_;
    QRadioButton *small_;
    QRadioButton *classic_;
    QRadioButton *stereo_;
    QRadioButton *mono_;
    QSlider *power_;
};

// Binds a transmitter list: the record's position is shown, a choice stores it.
QComboBox *transmitterCombo(Station &station, const TransmitterList &list, QWidget *parent);
void showPosition(QComboBox *combo, int position);

} // namespace zfm
