#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

namespace zfm::test {

// Answers every message box the program shows (with its default button) and
// remembers their texts, so tests can assert what the operator was told.
class MessageBoxes : public QObject {
    Q_OBJECT
public:
    MessageBoxes();
    QStringList texts() const { return texts_; }
    void clear() { texts_.clear(); }
    // How long a box stays open before it is answered.
    void setAnswerDelayMs(int ms) { delayMs_ = ms; }

private:
    void poll();

    QTimer timer_;
    QStringList texts_;
    int delayMs_ = 0;
    qint64 seenAt_ = -1;
};

} // namespace zfm::test
