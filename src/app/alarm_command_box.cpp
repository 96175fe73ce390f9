#include "app/alarm_command_box.h"

#include "app/widgets.h"
#include "station/station.h"

#include <QFormLayout>
#include <QLineEdit>

namespace zfm {

AlarmCommandBox::AlarmCommandBox(Station &station, QWidget *parent)
    : QGroupBox(QStringLiteral("Alarm notices"), parent), station_(station)
{
    setObjectName(QStringLiteral("fraAlarmNotices"));
    setAccessibleName(title());
    auto *form = new QFormLayout(this);
    command_ = new QLineEdit(this);
    command_->setObjectName(QStringLiteral("txtAlarmCommand"));
    command_->setPlaceholderText(QStringLiteral("none"));
    command_->setToolTip(
        QStringLiteral("A program started when an alarm lamp lights or goes out, at most once a minute per alarm, for "
                       "example to send mail or a text message. It runs without a shell and finds ZFM_ALARM, ZFM_STATE "
                       "(raised or cleared), ZFM_FORWARD_W, ZFM_REFLECTED_W and ZFM_TIME in its environment. It is "
                       "stopped after 30 seconds."));
    ui::addRow(form, QStringLiteral("Alarm command:"), command_);
    connect(command_, &QLineEdit::editingFinished, this, &AlarmCommandBox::store);
}

void AlarmCommandBox::load() { command_->setText(station_.record().AlarmCommand); }

void AlarmCommandBox::store()
{
    const QString text = command_->text().trimmed();
    if (text == station_.record().AlarmCommand)
        return;
    station_.record().AlarmCommand = text;
    station_.save();
}

} // namespace zfm
