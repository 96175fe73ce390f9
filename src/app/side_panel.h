#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace zfm {

class Station;

// The column at the right of the window, the same on every page: the send and
// read buttons, the start and exit options, the tray, the preview, the
// modulation deviation and the progress bar.
class SidePanel : public QWidget {
    Q_OBJECT
public:
    explicit SidePanel(Station &station, QWidget *parent = nullptr);
    void refresh();

    QPushButton *readRds() const { return readRds_; }
    QPushButton *sendRtAndPs() const { return sendRtAndPs_; }
    QPushButton *sendSettings() const { return sendSettings_; }
    QPushButton *moveToTray() const { return moveToTray_; }
    QProgressBar *progress() const { return progress_; }
    bool previewScrollsRadioText() const;
    void showPreview(const QString &text);
    // The progress value as the device steps set it (it may be fractional).
    void setProgress(double value);
    double progressValue() const { return progressValue_; }

private:
    Station &station_;
    QPushButton *readRds_;
    QCheckBox *settingsAtStart_;
    QCheckBox *shutDown_;
    QPushButton *sendRtAndPs_;
    QPushButton *sendSettings_;
    QCheckBox *trayAtStart_;
    QPushButton *moveToTray_;
    QRadioButton *previewRt_;
    QRadioButton *previewPs_;
    QLabel *preview_;
    QProgressBar *progress_;
    double progressValue_ = 0;
};

} // namespace zfm
