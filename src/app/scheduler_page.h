#pragma once

#include "scheduler/scheme_list.h"

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QGroupBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace zfm {

class SchemeEditor;
class SchemeEditorDialog;
class Station;

// "Scheduler": "Enable scheduler" and the list of schemes with "Add...",
// "Edit..." and "Remove". The record's schemeList is the list; the widget
// shows it, and every change (a line, a tick mark, the switch) is stored at once.
class SchedulerPage : public QWidget {
    Q_OBJECT
public:
    explicit SchedulerPage(Station &station, QWidget *parent = nullptr);

    // Shows the record's list, tick marks and switch (signals blocked).
    void refresh();

private:
    void showList();
    void showControls();
    void enableClicked(bool ticked);
    void itemChanged(QListWidgetItem *item);
    void listClicked();
    void addClicked();
    void editClicked();
    void removeClicked();
    void openEditor(SchemeEditor editor);
    void schemesChanged();

    Station &station_;
    QCheckBox *enable_;
    QGroupBox *frame_;
    QListWidget *list_;
    QPushButton *add_;
    QPushButton *edit_;
    QPushButton *remove_;
    SchemeListControls controls_;
    QPointer<SchemeEditorDialog> editor_;
};

} // namespace zfm
