#include "support/scheduler_window.h"

#include "scheduler/scheme_line.h"
#include "transmitter/frequency.h"

#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QTimeEdit>

namespace zfm::test {

const QStringList SchedulerWindowTest::kThreeLines = {
    QStringLiteral("06:00   98.000MHz  40%  DAILY"),
    QStringLiteral("18:05  107.900MHz 100%  MO WE FR"),
    QStringLiteral("23:59   87.500MHz  05%  SA SU"),
};

SchedulerWindowTest::SchedulerWindowTest()
{
    useManualClock = true;
    clock.set(QDateTime(QDate(2026, 3, 9), QTime(14, 0, 0))); // a Monday
    // The automatic RadioText update (on by default) would soon report its
    // missing file and take the link for its own uploads.
    store(QStringLiteral("RTSwitch"), QStringLiteral("0"));
}

void SchedulerWindowTest::storeThreeLines()
{
    for (int i = 0; i < kThreeLines.size(); ++i) {
        store(QStringLiteral("Scheme %1").arg(i), kThreeLines[i]);
        store(QStringLiteral("SchemeValue %1").arg(i), i == 1 ? QStringLiteral("1") : QStringLiteral("0"));
    }
}

QCheckBox *SchedulerWindowTest::enableBox() const { return find<QCheckBox>("chkEnable"); }

QListWidget *SchedulerWindowTest::list() const { return find<QListWidget>("List1"); }

QPushButton *SchedulerWindowTest::listButton(const char *name) const
{
    // The editor has a "cmdAdd" too; the page's are the ones in its frame.
    return list()->parentWidget()->findChild<QPushButton *>(QLatin1String(name));
}

QStringList SchedulerWindowTest::shownLines() const
{
    QStringList lines;
    for (int i = 0; i < list()->count(); ++i)
        lines << list()->item(i)->text();
    return lines;
}

std::vector<bool> SchedulerWindowTest::shownTicks() const
{
    std::vector<bool> ticks;
    for (int i = 0; i < list()->count(); ++i)
        ticks.push_back(list()->item(i)->checkState() == Qt::Checked);
    return ticks;
}

QString SchedulerWindowTest::enabling() const
{
    QString s;
    s += list()->parentWidget()->isEnabled() ? '1' : '0';
    for (const char *name : {"cmdAdd", "cmdEdit", "cmdRemove"})
        s += listButton(name)->isEnabled() ? '1' : '0';
    return s;
}

QDialog *SchedulerWindowTest::editor() const
{
    for (QDialog *d : window->findChildren<QDialog *>(QStringLiteral("frmAdd"))) {
        if (d->isVisible())
            return d;
    }
    return nullptr;
}

void SchedulerWindowTest::press(const char *editorButton) const
{
    auto *b = editorControl<QPushButton>(QLatin1String(editorButton));
    ASSERT_TRUE(b) << editorButton;
    b->click();
}

void SchedulerWindowTest::fillEditor(const QString &time, int32_t kHz, int power, const QString &days) const
{
    ASSERT_TRUE(editor());
    editorControl<QTimeEdit>(QStringLiteral("DTTimeStart"))->setTime(QTime::fromString(time, QStringLiteral("HH:mm")));
    auto shown = [this] { return *frequencyFromText(editorControl<QLabel>(QStringLiteral("lblFrequency"))->text()); };
    // Whole megahertz steps first, then 50 kHz ones.
    for (int guard = 0; guard < 100 && shown() != kHz; ++guard) {
        const int32_t diff = kHz - shown();
        press(diff >= kStepUp1MHz       ? "cmdUp1MHz"
                : diff > 0              ? "cmdUp50KHz"
                : diff <= kStepDown1MHz ? "cmdDown1MHz"
                                        : "cmdDown50KHz");
    }
    editorControl<QSlider>(QStringLiteral("Slider1"))->setValue(power);
    editorControl<QRadioButton>(days.isEmpty() ? QStringLiteral("optMode0") : QStringLiteral("optMode1"))->click();
    for (int d = 0; d < kWeekdays; ++d)
        editorControl<QCheckBox>(QStringLiteral("chkDay%1").arg(d))
            ->setChecked(days.contains(QLatin1String(kDayCodes[d])));
}

} // namespace zfm::test
