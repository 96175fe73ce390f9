#pragma once

#include "link/port_probe.h"

#include <QDialog>
#include <QSerialPortInfo>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zfm {

class AlarmCommandBox;
class Station;

// "ZephyrineFM+ Setup": the serial port choice, the device each COM number
// stands for, a one-port communication test and the search of all ports for
// the transmitter. While it is open it has the line: the main port is closed
// and the test and search run on a test port of their own (the station's
// port probe); the window only starts them and shows what they report.
class SetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit SetupDialog(Station &station, QWidget *parent = nullptr);
    ~SetupDialog() override;

    // "S&etup": asks for the line and opens the window modally over `parent`
    // once it has it (an upload under way is never cut); raises it when it is
    // already there.
    static void openFrom(Station &station, QWidget *parent);

    // Reads the settings again and fills the lists (done before showing).
    void load();

    // "Autoscan": ports 1 to 15 at the family's speed until one answers.
    void searchPorts();
    // "Communication test tool": the selected port at the selected speed.
    void testPort();

    QString statusText() const;

    void done(int result) override;

signals:
    // Every status text, in order (also " " and the empty text).
    void statusChanged(const QString &text);

private:
    void build();
    void setStatus(const QString &text);
    void setRunning(bool running);
    void probeFinished(const PortProbe::Result &result);
    // Gives the line back and lets the window go.
    void finish();

    void portChanged(int index);
    void speedChanged(int index);
    void storePort(int comNumber, int comSpeed);
    int selectedPort() const;

    void refreshDeviceList();
    void showDevice();
    void assignDevice(const QString &path);

    void showBox(const QString &caption, const QString &text, const char *objectName = nullptr);

    Station &station_;

    QComboBox *ports_ = nullptr;
    QComboBox *speeds_ = nullptr;
    QLineEdit *device_ = nullptr;
    QComboBox *devices_ = nullptr;
    QPushButton *defaultDevice_ = nullptr;
    QCheckBox *reconnect_ = nullptr;
    QPushButton *ok_ = nullptr;
    QPushButton *autoscan_ = nullptr;
    QPushButton *test_ = nullptr;
    QPushButton *help_ = nullptr;
    QLabel *status_ = nullptr;
    AlarmCommandBox *alarmCommand_ = nullptr;

    QList<QSerialPortInfo> systemPorts_;
    bool running_ = false;
    // The operator closed the window during a test or search: it closes with
    // this result once the probe has stopped.
    std::optional<int> closeWith_;
    bool finished_ = false;
};

} // namespace zfm
