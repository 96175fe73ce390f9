#include "support/message_boxes.h"

#include "operator_run.h"

#include <QApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>

namespace zfm::test {

MessageBoxes::MessageBoxes()
{
    connect(&timer_, &QTimer::timeout, this, &MessageBoxes::poll);
    timer_.start(10);
}

void MessageBoxes::poll()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (!box || !box->isVisible())
            continue;
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (seenAt_ < 0)
            seenAt_ = now;
        if (now - seenAt_ < delayMs_)
            return;
        seenAt_ = -1;
        texts_ << box->text();
        drill::acknowledge(box);
        return;
    }
}

} // namespace zfm::test
