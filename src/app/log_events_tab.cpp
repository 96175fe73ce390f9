#include "app/log_events_tab.h"

#include "app/time_range_bar.h"
#include "log/log_reader.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

namespace zfm {

namespace {

struct KindChoice {
    const char *caption;
    EventKinds kinds;
};
// The kind filter: everything, the pairs that belong together, then each kind on its own.
const KindChoice kGroups[] = {
    {"All events", kAllEventKinds},
    {"Alarms", eventKindBit(EventKind::AlarmRaised) | eventKindBit(EventKind::AlarmCleared)},
    {"Uploads and failures", eventKindBit(EventKind::Upload) | eventKindBit(EventKind::UploadFailed)},
    {"Link lost and back", eventKindBit(EventKind::LinkLost) | eventKindBit(EventKind::LinkBack)},
};

// A light tint for the kinds an engineer looks for first.
QVariant tintFor(const QString &kind)
{
    const std::optional<EventKind> k = eventKindFromName(kind);
    if (!k)
        return {};
    switch (*k) {
    case EventKind::AlarmRaised: return QColor(255, 222, 222);
    case EventKind::UploadFailed:
    case EventKind::LinkLost: return QColor(255, 238, 210);
    case EventKind::AlarmCleared:
    case EventKind::LinkBack: return QColor(224, 244, 224);
    default: return {};
    }
}

} // namespace

int LogEventsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int LogEventsModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QString LogEventsModel::shownTime(const QString &stored)
{
    const QDateTime t = QDateTime::fromString(stored, Qt::ISODate);
    return t.isValid() ? t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : stored;
}

QVariant LogEventsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size()))
        return {};
    const StoredEvent &e = rows_[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case TimeColumn: return shownTime(e.time);
        case KindColumn: return e.kind;
        case TextColumn: return QString(e.text).replace(QLatin1Char('\n'), QLatin1Char(' '));
        default: return {};
        }
    case Qt::ToolTipRole: return index.column() == TimeColumn ? e.time : e.text;
    case Qt::BackgroundRole: return tintFor(e.kind);
    default: return {};
    }
}

QVariant LogEventsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case TimeColumn: return QStringLiteral("Time");
    case KindColumn: return QStringLiteral("Kind");
    case TextColumn: return QStringLiteral("Event");
    default: return {};
    }
}

void LogEventsModel::reset(std::vector<StoredEvent> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void LogEventsModel::prepend(const std::vector<StoredEvent> &rows, int keep)
{
    if (rows.empty())
        return;
    beginInsertRows({}, 0, static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.begin(), rows.begin(), rows.end());
    endInsertRows();
    if (static_cast<int>(rows_.size()) > keep) {
        beginRemoveRows({}, keep, static_cast<int>(rows_.size()) - 1);
        rows_.resize(static_cast<size_t>(keep));
        endRemoveRows();
    }
}

LogEventsTab::LogEventsTab(LogReader &reader, std::function<QDateTime()> now, QWidget *parent)
    : QWidget(parent), reader_(reader), now_(std::move(now))
{
    auto *outer = new QVBoxLayout(this);
    auto *bar = new QHBoxLayout;
    outer->addLayout(bar);

    kinds_ = new QComboBox(this);
    kinds_->setObjectName(QStringLiteral("cmbKind"));
    for (const KindChoice &g : kGroups)
        kinds_->addItem(QLatin1String(g.caption), g.kinds);
    kinds_->insertSeparator(kinds_->count());
    for (const EventKindInfo &k : kEventKinds)
        kinds_->addItem(eventKindCaption(k.kind), eventKindBit(k.kind));
    kinds_->setMaxVisibleItems(20);
    auto *kindLabel = new QLabel(QStringLiteral("Kind:"), this);
    kindLabel->setBuddy(kinds_);
    kinds_->setAccessibleName(QStringLiteral("Kind:"));

    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("txtSearch"));
    search_->setPlaceholderText(QStringLiteral("Words in the event"));
    search_->setClearButtonEnabled(true);
    auto *searchLabel = new QLabel(QStringLiteral("Search:"), this);
    searchLabel->setBuddy(search_);
    search_->setAccessibleName(QStringLiteral("Search:"));

    range_ = new TimeRangeBar(true, this);
    export_ = new QPushButton(QStringLiteral("Export CSV..."), this);
    export_->setObjectName(QStringLiteral("cmdExportCsv"));
    export_->setToolTip(QStringLiteral("Save the events the filter shows as a CSV file"));

    bar->addWidget(kindLabel);
    bar->addWidget(kinds_);
    bar->addWidget(searchLabel);
    bar->addWidget(search_, 1);
    bar->addWidget(range_);
    bar->addWidget(export_);

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("tblEvents"));
    table_->setModel(&model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setAlternatingRowColors(false);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setHighlightSections(false);
    table_->setColumnWidth(LogEventsModel::TimeColumn,
        table_->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) + 16);
    table_->setColumnWidth(
        LogEventsModel::KindColumn, table_->fontMetrics().horizontalAdvance(QStringLiteral("alarm-cleared")) + 16);
    outer->addWidget(table_, 1);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("lblEventsSummary"));
    outer->addWidget(summary_);

    searchDelay_.setSingleShot(true);
    searchDelay_.setInterval(250);
    connect(&searchDelay_, &QTimer::timeout, this, &LogEventsTab::reload);
    connect(search_, &QLineEdit::textChanged, this, [this] { searchDelay_.start(); });
    connect(kinds_, &QComboBox::currentIndexChanged, this, &LogEventsTab::reload);
    connect(range_, &TimeRangeBar::changed, this, &LogEventsTab::reload);
    connect(export_, &QPushButton::clicked, this, &LogEventsTab::exportCsv);
    connect(&reader_, &LogReader::eventsRead, this, &LogEventsTab::onEventsRead);
    connect(&reader_, &LogReader::exported, this, &LogEventsTab::onExported);
    connect(&reader_, &LogReader::failed, this, [this](const QString &error) {
        pending_ = 0;
        summary_->setText(error);
        if (exportRequest_) {
            exportRequest_ = 0;
            export_->setEnabled(true);
            emit exportFinished(-1, error);
        }
    });
    reload();
}

EventFilter LogEventsTab::filter() const
{
    EventFilter f;
    f.kinds = static_cast<EventKinds>(kinds_->currentData().toUInt());
    f.search = search_->text().trimmed();
    std::tie(f.from, f.to) = range_->range(now_());
    return f;
}

void LogEventsTab::reload()
{
    searchDelay_.stop();
    if (pending_) {
        stale_ = true;
        return;
    }
    stale_ = false;
    newRows_ = false;
    EventFilter f = filter();
    f.limit = kShownRows;
    pendingIsFull_ = true;
    pending_ = reader_.readEvents(f);
}

void LogEventsTab::eventsWritten()
{
    if (pending_) {
        newRows_ = true;
        return;
    }
    EventFilter f = filter();
    f.afterId = model_.newestId();
    f.limit = kShownRows;
    pendingIsFull_ = false;
    pending_ = reader_.readEvents(f);
}

void LogEventsTab::onEventsRead(int request, const std::vector<StoredEvent> &rows, qint64 matching)
{
    if (request != pending_)
        return;
    pending_ = 0;
    if (pendingIsFull_) {
        model_.reset(rows);
        matching_ = matching;
    } else {
        model_.prepend(rows, kShownRows);
        matching_ += static_cast<qint64>(rows.size());
    }
    showCount();
    if (stale_)
        reload();
    else if (newRows_)
        eventsWritten();
}

void LogEventsTab::showCount()
{
    const QLocale locale;
    const int shown = model_.rowCount();
    if (matching_ > shown) {
        summary_->setText(
            QStringLiteral("Showing the newest %1 of %2 events; choose a shorter period to see older ones.")
                .arg(locale.toString(shown), locale.toString(matching_)));
    } else {
        summary_->setText(
            matching_ == 1 ? QStringLiteral("1 event") : QStringLiteral("%1 events").arg(locale.toString(matching_)));
    }
}

QString LogEventsTab::summary() const { return summary_->text(); }

void LogEventsTab::exportCsv()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = QDir(folder).filePath(
        QStringLiteral("station-log-%1.csv").arg(now_().toString(QStringLiteral("yyyy-MM-dd"))));
    const QString fileName = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export CSV"), suggested, QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (!fileName.isEmpty())
        exportTo(fileName);
}

void LogEventsTab::exportTo(const QString &fileName)
{
    if (exportRequest_)
        return;
    export_->setEnabled(false);
    exportFile_ = fileName;
    summary_->setText(QStringLiteral("Exporting to %1...").arg(QDir::toNativeSeparators(fileName)));
    exportRequest_ = reader_.exportEvents(filter(), fileName);
}

void LogEventsTab::onExported(int request, qint64 rows, const QString &error)
{
    if (request != exportRequest_)
        return;
    exportRequest_ = 0;
    export_->setEnabled(true);
    const QString file = QDir::toNativeSeparators(exportFile_);
    if (rows < 0) {
        summary_->setText(QStringLiteral("The events could not be exported to %1: %2").arg(file, error));
    } else {
        summary_->setText(
            QStringLiteral("%1 exported to %2.")
                .arg(rows == 1 ? QStringLiteral("1 event") : QStringLiteral("%1 events").arg(QLocale().toString(rows)),
                    file));
    }
    emit exportFinished(rows, error);
}

} // namespace zfm
