#pragma once

#include "link/serial_link.h"

#include <QDialog>
#include <QSerialPortInfo>

#include <optional>

class QComboBox;
class QEventLoop;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zfm {

class Station;

// "ZephyrineFM+ Setup": the serial port choice, the device each COM number
// stands for, a one-port communication test and the search of all ports for
// the transmitter. It talks to the device through a test port of its own
// while the main port stays closed.
class SetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit SetupDialog(Station &station, QWidget *parent = nullptr);
    ~SetupDialog() override;

    // "S&etup": opens the window modally over `parent` as soon as no upload
    // is running (an upload is never cut); raises it when it is already there.
    static void openFrom(Station &station, QWidget *parent);

    // Reads the settings again and fills the lists (done before showing).
    void load();

    // Waits half a second, a quarter of a test's time, while the window
    // (and the test port's receive handler) keeps running.
    void PauseShort();
    // Sends the status request on the open test port; true when the answer
    // begins with "Alarm".
    bool HWTest();
    // "Autoscan": ports 1 to 15 at the family's speed until one answers.
    void PortSearch();
    // "Communication test tool": the selected port at the selected speed.
    void CommunicationTest();

    QString statusText() const;

    void done(int result) override;

signals:
    // Every status text, in order (also " " and the empty text).
    void statusChanged(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void build();
    void setStatus(const QString &text);
    void setRunning(bool running);
    void wait(int ms);
    // After a run: closes the window when the operator asked for it meanwhile.
    void closeIfAsked();
    void finish();

    void portChanged(int index);
    void speedChanged(int index);
    void storePort(int comNumber, int comSpeed);
    int selectedPort() const;

    void refreshDeviceList();
    void showDevice();
    void assignDevice(const QString &path);

    void tell(const QString &text);
    void showResult(const QString &caption, const QString &text);
    void showHelp();

    Station &station_;
    SerialLink testPort_;
    QByteArray answer_;

    QComboBox *ports_ = nullptr;
    QComboBox *speeds_ = nullptr;
    QLabel *speedCaption_ = nullptr;
    QLineEdit *device_ = nullptr;
    QComboBox *devices_ = nullptr;
    QPushButton *defaultDevice_ = nullptr;
    QPushButton *ok_ = nullptr;
    QPushButton *autoscan_ = nullptr;
    QPushButton *test_ = nullptr;
    QPushButton *help_ = nullptr;
    QLabel *status_ = nullptr;

    QList<QSerialPortInfo> systemPorts_;
    QEventLoop *pause_ = nullptr;
    bool running_ = false;
    bool stopAsked_ = false;
    std::optional<int> closeWith_;
    bool loaded_ = false;
    bool activated_ = false;
    bool finished_ = false;
};

} // namespace zfm
