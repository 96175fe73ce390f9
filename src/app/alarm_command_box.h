#pragma once

#include <QGroupBox>

class QLineEdit;

namespace zfm {

class Station;

// "Alarm notices" in the setup window: "Alarm command:", the program started
// when an alarm lamp lights or goes out ("AlarmCommand").
class AlarmCommandBox : public QGroupBox {
    Q_OBJECT
public:
    explicit AlarmCommandBox(Station &station, QWidget *parent = nullptr);

    // Shows the stored command.
    void load();
    QLineEdit *command() const { return command_; }

private:
    void store();

    Station &station_;
    QLineEdit *command_ = nullptr;
};

} // namespace zfm
