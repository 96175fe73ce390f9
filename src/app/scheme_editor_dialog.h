#pragma once

#include "scheduler/scheme_editor.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimeEdit;

namespace zfm {

class FrequencyStepper;

class Station;

// `frmAdd`: the scheme editor, in add mode ("Add scheme") or edit mode
// ("Modify scheme"). Its controls only mirror a SchemeEditor, which owns the
// rules; the dialog shows the editor's messages and reports list changes.
class SchemeEditorDialog : public QDialog {
    Q_OBJECT
public:
    SchemeEditorDialog(Station &station, SchemeEditor editor, QWidget *parent = nullptr);

    const SchemeEditor &editor() const { return editor_; }

signals:
    // A line was added or modified; the list and the store are to follow.
    void schemesChanged();

protected:
    void done(int result) override;

private:
    void step(int32_t kHz);
    void showMode();
    void confirm();

    Station &station_;
    SchemeEditor editor_;
    FrequencyStepper *frequency_;
    QSlider *power_;
    QRadioButton *daily_;
    QRadioButton *weekly_;
    std::array<QCheckBox *, kWeekdays> days_{};
    QTimeEdit *time_;
    QPushButton *confirm_;
    QPushButton *close_;
};

} // namespace zfm
