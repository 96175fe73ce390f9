#pragma once

// The real window with the scheduler tab's and the scheme editor's controls
// found by name; the clock is a settable one.
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>

#include <vector>

namespace zfm::test {

class SchedulerWindowTest : public WindowTest {
protected:
    SchedulerWindowTest();

    // Stores kThreeLines as an earlier run would have, the middle one ticked.
    void storeThreeLines();

    QCheckBox *enableBox() const;
    QListWidget *list() const;
    QPushButton *listButton(const char *name) const;
    QStringList shownLines() const;
    std::vector<bool> shownTicks() const;
    // Enabled state of the frame, "Add...", "Edit..." and "Remove", as "1101".
    QString enabling() const;

    // The scheme editor while it is open, or null.
    QDialog *editor() const;
    template <class T>
    T *editorControl(const QString &name) const
    {
        QDialog *e = editor();
        return e ? e->findChild<T *>(name) : nullptr;
    }
    void press(const char *editorButton) const;
    // Sets every control of the open editor; `days` "" is Daily, else the day
    // codes ("SA SU"). The frequency is reached with the step buttons.
    void fillEditor(const QString &time, int32_t kHz, int power, const QString &days) const;

    static const QStringList kThreeLines;
};

} // namespace zfm::test
