#include "app/station_log_window.h"

#include "app/history_tab.h"
#include "app/log_events_tab.h"
#include "log/log_reader.h"
#include "log/station_log.h"

#include <QDir>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zfm {

StationLogWindow::StationLogWindow(StationLog &log, std::function<QDateTime()> now, QWidget *parent)
    : QWidget(parent, Qt::Window), reader_(std::make_unique<LogReader>(log.path()))
{
    setObjectName(QStringLiteral("frmStationLog"));
    setWindowTitle(QStringLiteral("Station log"));
    auto *outer = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabStationLog"));
    events_ = new LogEventsTab(*reader_, now, tabs_);
    history_ = new HistoryTab(*reader_, now, tabs_);
    tabs_->addTab(events_, QStringLiteral("&Events"));
    tabs_->addTab(history_, QStringLiteral("Transmitter &history"));
    outer->addWidget(tabs_, 1);

    auto *where = new QLabel(QStringLiteral("Kept in %1").arg(QDir::toNativeSeparators(log.path())), this);
    where->setObjectName(QStringLiteral("lblLogFile"));
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    where->setForegroundRole(QPalette::PlaceholderText);
    outer->addWidget(where);

    connect(&log, &StationLog::written, events_, &LogEventsTab::eventsWritten);
    connect(&log, &StationLog::samplesWritten, history_, &HistoryTab::samplesWritten);
    resize(960, 640);
}

StationLogWindow::~StationLogWindow() = default;

} // namespace zfm
