#pragma once

#include "link/link_failure.h"
#include "link/wire_script.h"
#include "settings/settings_record.h"

#include <QObject>
#include <QSerialPort>

#include <optional>

namespace zfm {

// One serial port, selected by COM number through the port map of the
// settings record, with line settings of its own.
class SerialLink : public QObject {
    Q_OBJECT
public:
    explicit SerialLink(const SettingsRecord &record, QObject *parent = nullptr);
    ~SerialLink() override;

    // Applies the step's line settings, then opens its port when it is closed
    // (an open port keeps its number).
    std::optional<LinkFailure> open(const step::Open &how);
    // Opens the given COM number with the line settings as they are.
    std::optional<LinkFailure> openNumber(int comNumber);
    void close();
    bool isOpen() const { return port_.isOpen(); }
    // Whether the device that COM number maps to is present at all.
    bool exists(int comNumber) const;

    // Hands the bytes to the line at once; false when the line is gone.
    bool write(const QByteArray &bytes);

    // Applies line settings ("9600,N,8,1"); an open port changes speed at once.
    // A text the device does not speak leaves them as they are.
    void applyLineSettings(const QString &lineSettings);
    QString lineSettings() const { return lineSettings_; }

    int openComNumber() const { return openNumber_; }
    QString openDevice() const { return openPath_; }

signals:
    // Every received character, one at a time, in order.
    void received(char c);
    // The open port failed underneath us (device unplugged, other side closed).
    void lineLost(const zfm::LinkFailure &failure);

private:
    LinkFailure failure(LinkFailure::Kind kind, int comNumber, const QString &device, const QString &detail = {}) const;
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    const SettingsRecord &record_;
    QString lineSettings_ = QStringLiteral("9600,N,8,1");
    QSerialPort port_;
    int openNumber_ = 0;
    QString openPath_;
};

} // namespace zfm
