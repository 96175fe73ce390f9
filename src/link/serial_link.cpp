#include "link/serial_link.h"

#include "link/port_map.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace zfm {

namespace {

bool mayReadAndWrite(const QString &path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return true;
#else
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
#endif
}

} // namespace

SerialLink::SerialLink(const SettingsRecord &record, QObject *parent) : QObject(parent), record_(record)
{
    connect(&port_, &QSerialPort::readyRead, this, &SerialLink::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLink::onError);
}

SerialLink::~SerialLink() { close(); }

LinkFailure SerialLink::failure(
    LinkFailure::Kind kind, int comNumber, const QString &device, const QString &detail) const
{
    return LinkFailure{kind, comNumber, device, detail};
}

std::optional<LinkFailure> SerialLink::open(const step::Open &how)
{
    if (!how.line.isEmpty() && (how.evenIfOpen || !isOpen()))
        applyLineSettings(how.line);
    if (isOpen())
        return std::nullopt;
    return openNumber(how.comNumber != 0 ? how.comNumber : record_.COMSelected);
}

std::optional<LinkFailure> SerialLink::openNumber(int comNumber)
{
    if (isOpen())
        close();
    const QString path = devicePath(record_, comNumber);
    if (path.isEmpty() || !deviceExists(path))
        return failure(LinkFailure::Kind::PortMissing, comNumber, path);

    port_.setPortName(path);
    const int baud = baudOfLineSettings(lineSettings_);
    port_.setBaudRate(baud > 0 ? baud : 9600);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        const auto error = port_.error();
        const QString detail = port_.errorString();
        port_.clearError();
        using Kind = LinkFailure::Kind;
        switch (error) {
        case QSerialPort::DeviceNotFoundError: return failure(Kind::PortMissing, comNumber, path);
        case QSerialPort::PermissionError:
            // Qt reports a port held by another program as a permission error
            // too; the lock file or our own access rights tell them apart.
            if (detail.contains(QLatin1String("lock"), Qt::CaseInsensitive) || mayReadAndWrite(path))
                return failure(Kind::PortBusy, comNumber, path);
            return failure(Kind::PermissionDenied, comNumber, path);
        case QSerialPort::UnsupportedOperationError: return failure(Kind::NotSerial, comNumber, path);
        default:
            if (QFileInfo(path).isDir())
                return failure(Kind::NotSerial, comNumber, path);
            return failure(Kind::Other, comNumber, path, detail);
        }
    }
    // Pseudo-terminals and some adapters have no modem lines; that is not an error.
    port_.setDataTerminalReady(true);
    port_.setRequestToSend(true);
    port_.clearError();
    openNumber_ = comNumber;
    openPath_ = path;
    return std::nullopt;
}

bool SerialLink::exists(int comNumber) const
{
    const QString path = devicePath(record_, comNumber);
    return !path.isEmpty() && deviceExists(path);
}

void SerialLink::close()
{
    if (port_.isOpen())
        port_.close();
    port_.clearError();
    openNumber_ = 0;
}

bool SerialLink::write(const QByteArray &bytes)
{
    if (!port_.isOpen())
        return false;
    if (bytes.isEmpty())
        return true;
    if (port_.write(bytes) != bytes.size())
        return false;
    port_.flush();
    const auto error = port_.error();
    return error != QSerialPort::WriteError && error != QSerialPort::ResourceError;
}

void SerialLink::applyLineSettings(const QString &lineSettings)
{
    const int baud = baudOfLineSettings(lineSettings);
    if (baud <= 0)
        return;
    lineSettings_ = lineSettings;
    if (port_.isOpen())
        port_.setBaudRate(baud);
}

void SerialLink::onReadyRead()
{
    const QByteArray chunk = port_.readAll();
    for (const char c : chunk)
        emit received(c);
}

void SerialLink::onError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ResourceError && error != QSerialPort::WriteError && error != QSerialPort::ReadError)
        return;
    if (!port_.isOpen())
        return;
    const LinkFailure lost = failure(LinkFailure::Kind::LineLost, openNumber_, openPath_);
    close();
    emit lineLost(lost);
}

} // namespace zfm
