#pragma once

// The real main window on a settings file of its own and a settable clock,
// with the scheduler tab's and the scheme editor's controls found by name.
#include "app/main_window.h"
#include "link/clock.h"
#include "settings/settings_store.h"
#include "support/pty_capture.h"

#include <QCheckBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace zfm::test {

class SchedulerWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes keys before the window starts (the store's section).
    void seed(const std::vector<std::pair<QString, QString>> &keys);
    // Stores three lines as an earlier run would have, the middle one ticked.
    void seedThreeLines();
    MainWindow &start();
    // Closes the window and its store, as at the end of a run.
    void stop();
    // A key as the settings file holds it now; empty when absent.
    QString stored(const QString &key) const;

    QWidget *page() const;
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
    T *editorControl(const char *name) const
    {
        QDialog *e = editor();
        return e ? e->findChild<T *>(QLatin1String(name)) : nullptr;
    }
    void press(const char *editorButton) const;
    // Sets every control of the open editor; `days` "" is Daily, else the day
    // codes ("SA SU"). The frequency is reached with the step buttons.
    void fillEditor(const QString &time, int32_t kHz, int power, const QString &days) const;

    static const QStringList kThreeLines;

    PtyCapture capture_; // the main port, COM 2
    ManualClock clock_{QDateTime(QDate(2026, 3, 9), QTime(14, 0, 0))}; // a Monday
    std::unique_ptr<PlatformStore> store_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace zfm::test
