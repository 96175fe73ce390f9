#pragma once

#include <QWidget>

class QLabel;

namespace zfm {

// "A&bout": the program's picture, its build and the transmitter's firmware.
class AboutPage : public QWidget {
    Q_OBJECT
public:
    explicit AboutPage(QWidget *parent = nullptr);
    QLabel *firmware() const { return firmware_; }

private:
    QLabel *firmware_;
};

} // namespace zfm
