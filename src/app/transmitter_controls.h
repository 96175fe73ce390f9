#pragma once

#include <QWidget>

#include <cstdint>

class QLabel;
class QSlider;

namespace zfm {

// The frequency display between its four step buttons ("Down 1MHz",
// "Down 50KHz", "Up 50KHz", "Up 1 MHz"), as the main page and the scheme
// editor show it. The owner keeps the frequency and shows it here.
class FrequencyStepper : public QWidget {
    Q_OBJECT
public:
    explicit FrequencyStepper(QWidget *parent = nullptr);
    void showFrequency(int32_t kHz);
    QString text() const;

signals:
    // One of the buttons was pressed: add this many kHz.
    void stepped(int32_t kHz);

private:
    QLabel *display_;
};

namespace ui {
// The output power slider, 0 to 100 %.
QSlider *powerSlider(QWidget *parent, const char *objectName);
// "OFF              50%              100%" spread under the slider's ends and middle.
QWidget *powerScale(QWidget *parent);
} // namespace ui

} // namespace zfm
