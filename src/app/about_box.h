#pragma once

#include <QDialog>
#include <QTimer>

class QProgressBar;

namespace zfm {

// "About ZephyrineFM+": shows itself for about 1.2 s (a bar filling in 40
// steps of 30 ms) and closes on its own. Also the start-up splash.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void tick();

    QProgressBar *bar_;
    QTimer timer_;
    int16_t counter_ = 0;
};

// The program's picture, drawn (no image files needed).
QPixmap stationPicture(int size);

} // namespace zfm
