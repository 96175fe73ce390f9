#include "support/scheduler_window.h"

#include "app/station.h"
#include "support/wait.h"
#include "transmitter/frequency.h"

#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QTimeEdit>

#include "scheduler/scheme_line.h"

namespace zfm::test {

namespace {
// The platform caches the configuration folder once per process, so each
// test empties the store's folder there instead of moving it.
void clearStore()
{
    QDir(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Kestrel Devices")).removeRecursively();
}
} // namespace

const QStringList SchedulerWindowTest::kThreeLines = {
    QStringLiteral("06:00   98.000MHz  40%  DAILY"),
    QStringLiteral("18:05  107.900MHz 100%  MO WE FR"),
    QStringLiteral("23:59   87.500MHz  05%  SA SU"),
};

void SchedulerWindowTest::SetUp()
{
    clearStore();
    seed({{QStringLiteral("COMDevice2"), capture_.path()}});
}

void SchedulerWindowTest::TearDown()
{
    stop();
    clearStore();
}

void SchedulerWindowTest::seed(const std::vector<std::pair<QString, QString>> &keys)
{
    PlatformStore store;
    for (const auto &[key, value] : keys)
        store.setValue(key, value);
    store.sync();
}

void SchedulerWindowTest::seedThreeLines()
{
    std::vector<std::pair<QString, QString>> keys;
    for (int i = 0; i < kThreeLines.size(); ++i) {
        keys.emplace_back(QStringLiteral("Scheme %1").arg(i), kThreeLines[i]);
        keys.emplace_back(QStringLiteral("SchemeValue %1").arg(i), i == 1 ? QStringLiteral("1") : QStringLiteral("0"));
    }
    seed(keys);
}

MainWindow &SchedulerWindowTest::start()
{
    store_ = std::make_unique<PlatformStore>();
    MainWindow::Options options;
    options.splash = false;
    options.store = store_.get();
    options.clock = &clock_;
    window_ = std::make_unique<MainWindow>(options);
    window_->show();
    // Start-up ends by opening the port, which holds the link for a moment.
    EXPECT_TRUE(runUntil([this] { return window_->startedUp() && !window_->station().runner().isBusy(); }));
    return *window_;
}

void SchedulerWindowTest::stop()
{
    window_.reset();
    store_.reset();
}

QString SchedulerWindowTest::stored(const QString &key) const
{
    QSettings file(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Kestrel Devices/ZephyrineFM+.conf"),
        QSettings::IniFormat);
    file.beginGroup(PlatformStore::kSection);
    return file.value(key).toString();
}

QWidget *SchedulerWindowTest::page() const { return window_->findChild<QWidget *>(QStringLiteral("SchedulerPage")); }

QCheckBox *SchedulerWindowTest::enableBox() const
{
    return page()->findChild<QCheckBox *>(QStringLiteral("chkEnable"));
}

QListWidget *SchedulerWindowTest::list() const { return page()->findChild<QListWidget *>(QStringLiteral("List1")); }

QPushButton *SchedulerWindowTest::listButton(const char *name) const
{
    return page()->findChild<QPushButton *>(QLatin1String(name));
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
    for (QDialog *d : window_->findChildren<QDialog *>(QStringLiteral("frmAdd"))) {
        if (d->isVisible())
            return d;
    }
    return nullptr;
}

void SchedulerWindowTest::press(const char *editorButton) const
{
    auto *b = editorControl<QPushButton>(editorButton);
    ASSERT_TRUE(b) << editorButton;
    b->click();
}

void SchedulerWindowTest::fillEditor(const QString &time, int32_t kHz, int power, const QString &days) const
{
    ASSERT_TRUE(editor());
    editorControl<QTimeEdit>("DTTimeStart")->setTime(QTime::fromString(time, QStringLiteral("HH:mm")));
    auto shown = [this] { return *ConvertTXFreq(editorControl<QLabel>("lblFrequency")->text()); };
    // Whole megahertz steps first, then 50 kHz ones; the band's ends stop them.
    for (int guard = 0; guard < 100 && shown() != kHz; ++guard) {
        const int32_t diff = kHz - shown();
        press(diff >= kStepUp1MHz       ? "cmdUp1MHz"
                : diff > 0              ? "cmdUp50KHz"
                : diff <= kStepDown1MHz ? "cmdDown1MHz"
                                        : "cmdDown50KHz");
    }
    editorControl<QSlider>("Slider1")->setValue(power);
    editorControl<QRadioButton>(days.isEmpty() ? "optMode0" : "optMode1")->click();
    for (int d = 0; d < kWeekdays; ++d) {
        auto *box = editorControl<QCheckBox>(QStringLiteral("chkDay%1").arg(d).toLatin1().constData());
        box->setChecked(days.contains(QLatin1String(kDayCodes[d])));
    }
}

} // namespace zfm::test
