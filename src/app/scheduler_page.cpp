#include "app/scheduler_page.h"

#include "app/scheme_editor_dialog.h"
#include "app/widgets.h"
#include "link/clock.h"
#include "station/station.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace zfm {

SchedulerPage::SchedulerPage(Station &station, QWidget *parent) : QWidget(parent), station_(station)
{
    setObjectName(QStringLiteral("SchedulerPage"));
    auto *column = new QVBoxLayout(this);

    enable_ = new QCheckBox(QStringLiteral("Enable scheduler"), this);
    enable_->setObjectName(QStringLiteral("chkEnable"));
    enable_->setToolTip(QStringLiteral("Apply the ticked schemes at their times; the list is locked meanwhile"));
    column->addWidget(enable_);

    frame_ = ui::frame(this, QStringLiteral("Scheduler"));
    frame_->setObjectName(QStringLiteral("fraScheduler"));
    auto *row = new QHBoxLayout(frame_);
    list_ = new QListWidget(frame_);
    list_->setObjectName(QStringLiteral("List1"));
    list_->setToolTip(QStringLiteral("Put a tickmark to make line active"));
    list_->setAccessibleName(QStringLiteral("Schemes"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    list_->setSpacing(1);
    // Fixed columns only line up in a fixed-pitch font.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    list_->setFont(fixed);
    const QFontMetrics metrics(fixed);
    list_->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("18:05  107.900MHz 100%  MO TU WE TH FR SA SU"))
        + 3 * metrics.height());
    row->addWidget(list_, 1);

    auto *buttons = new QVBoxLayout;
    add_ = ui::captioned<QPushButton>(frame_, "cmdAdd", QStringLiteral("Add..."));
    edit_ = ui::captioned<QPushButton>(frame_, "cmdEdit", QStringLiteral("Edit..."));
    remove_ = ui::captioned<QPushButton>(frame_, "cmdRemove", QStringLiteral("Remove"));
    for (QPushButton *b : {add_, edit_, remove_})
        buttons->addWidget(b);
    buttons->addStretch();
    row->addLayout(buttons);
    column->addWidget(frame_, 1);

    connect(enable_, &QCheckBox::clicked, this, &SchedulerPage::enableClicked);
    connect(list_, &QListWidget::itemChanged, this, &SchedulerPage::itemChanged);
    connect(list_, &QListWidget::itemClicked, this, &SchedulerPage::listClicked);
    connect(add_, &QPushButton::clicked, this, &SchedulerPage::addClicked);
    connect(edit_, &QPushButton::clicked, this, &SchedulerPage::editClicked);
    connect(remove_, &QPushButton::clicked, this, &SchedulerPage::removeClicked);
    // The scheduler and a read-back change the record behind the page's back.
    connect(&station_, &Station::recordChanged, this, &SchedulerPage::refresh);
    refresh();
}

void SchedulerPage::refresh()
{
    const SettingsRecord &r = station_.record();
    {
        const QSignalBlocker block(enable_);
        enable_->setChecked(r.SchemeEnable != 0);
    }
    showList();
    controls_ = SchemeListControls::forScheduler(r.SchemeEnable != 0, r.schemeList.size());
    showControls();
}

void SchedulerPage::showList()
{
    const auto &lines = station_.record().schemeList;
    const int current = list_->currentRow();
    const QSignalBlocker block(list_);
    list_->clear();
    for (const SchemeEntry &e : lines) {
        auto *item = new QListWidgetItem(e.line, list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(e.ticked ? Qt::Checked : Qt::Unchecked);
    }
    if (current >= 0 && !lines.empty())
        list_->setCurrentRow(std::min(current, static_cast<int>(lines.size()) - 1));
}

void SchedulerPage::showControls()
{
    frame_->setEnabled(controls_.frameEnabled);
    add_->setEnabled(controls_.addEnabled);
    edit_->setEnabled(controls_.editEnabled);
    remove_->setEnabled(controls_.removeEnabled);
}

void SchedulerPage::enableClicked(bool ticked)
{
    SettingsRecord &r = station_.record();
    r.SchemeEnable = ticked ? 1 : 0;
    controls_ = SchemeListControls::forScheduler(ticked, r.schemeList.size());
    showControls();
    station_.save();
}

void SchedulerPage::itemChanged(QListWidgetItem *item)
{
    auto &lines = station_.record().schemeList;
    const int row = list_->row(item);
    if (row < 0 || static_cast<size_t>(row) >= lines.size())
        return;
    const bool ticked = item->checkState() == Qt::Checked;
    if (lines[row].ticked == ticked)
        return;
    // The evaluation reads the record's list: a tick mark counts from now on.
    lines[row].ticked = ticked;
    controls_.afterListClick(lines);
    showControls();
    station_.save();
}

void SchedulerPage::listClicked()
{
    controls_.afterListClick(station_.record().schemeList);
    showControls();
}

void SchedulerPage::addClicked()
{
    if (editor_)
        return;
    const QTime now = station_.clock().now().time();
    openEditor(SchemeEditor(station_.record(), now.hour(), now.minute()));
}

void SchedulerPage::editClicked()
{
    if (editor_)
        return;
    if (auto editor = SchemeEditor::forEdit(station_.record(), list_->currentRow()))
        openEditor(*editor);
}

void SchedulerPage::removeClicked()
{
    if (!removeScheme(station_.record(), list_->currentRow()))
        return;
    showList();
    controls_.afterRemove(station_.record().schemeList.size());
    showControls();
    station_.save();
}

void SchedulerPage::openEditor(SchemeEditor editor)
{
    editor_ = new SchemeEditorDialog(station_, editor, window());
    editor_->setAttribute(Qt::WA_DeleteOnClose);
    connect(editor_, &SchemeEditorDialog::schemesChanged, this, &SchedulerPage::schemesChanged);
    // Closed is gone for the page, even before the dialog is deleted.
    connect(editor_, &QDialog::finished, this, [this] { editor_ = nullptr; });
    editor_->open();
}

void SchedulerPage::schemesChanged()
{
    showList();
    controls_.afterConfirm();
    showControls();
    station_.save();
}

} // namespace zfm
