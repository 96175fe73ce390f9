#include "settings/settings_store.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStringList>
#include <QThread>

namespace zfm {

std::optional<QString> MemoryStore::value(const QString &key) const
{
    const auto it = values_.find(key);
    if (it == values_.end())
        return std::nullopt;
    return it->second;
}

void MemoryStore::setValue(const QString &key, const QString &text) { values_[key] = text; }

void MemoryStore::remove(const QString &key) { values_.erase(key); }

const QString PlatformStore::kOrganisation = QStringLiteral("Kestrel Devices");
const QString PlatformStore::kApplication = QStringLiteral("ZephyrineFM+");
const QString PlatformStore::kSection = QStringLiteral("ZephyrineFM+ v1.0");

namespace {

// QSettings writes its changes on its own when the event loop next runs, by
// its own lock rule: it waits for the lock without end while another live
// program holds it, and the window with it. Only sync() writes here.
class NoDeferredWrites final : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override { return event->type() == QEvent::UpdateRequest; }
};

} // namespace

PlatformStore::PlatformStore() : deferredWrites_(std::make_unique<NoDeferredWrites>()), settings_(open()) { }

std::unique_ptr<QSettings> PlatformStore::open() const
{
    auto settings
        = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    settings->installEventFilter(deferredWrites_.get());
    settings->beginGroup(kSection);
    return settings;
}

// QSettings guards its file with "<file>.lock" during each write. Before one,
// the lock is waited for, and taken over only from a writer that is gone:
// - its process has ended: QLockFile, told to ignore the file's age, checks
//   the process named in the file (kill(pid, 0) on Unix, the process table on
//   Windows; a pid reused by another program counts as ended);
// - nobody can read the file and it is old: a run killed between creating the
//   lock file and writing its owner into it (QSettings would wait until it is
//   30 s old, with the window hanging meanwhile).
// A live writer keeps its lock, however slow, also where the file system
// cannot lock the file for it. After the wait the write fails and is
// reported, and the changes stay pending until a later write goes through.
bool PlatformStore::waitForOtherWriters() const
{
    QLockFile lock(settings_->fileName() + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    const QDeadlineTimer deadline(lockWaitMs_);
    constexpr unsigned long kPollMs = 10;
    for (;;) {
        if (lock.tryLock(0)) {
            lock.unlock(); // free now; the write takes it itself
            return true;
        }
        if (lock.error() != QLockFile::LockFailedError)
            return true; // the lock cannot be made at all: the write reports that
        const QFileInfo file(lock.fileName());
        const qint64 age = file.lastModified().msecsTo(QDateTime::currentDateTime());
        if (!lock.getLockInfo(nullptr, nullptr, nullptr) && file.exists() && qAbs(age) > kUnreadableLockAgeMs
            && lock.removeStaleLockFile())
            continue;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(kPollMs);
    }
}

PlatformStore::~PlatformStore()
{
    settings_->endGroup();
    if (waitForOtherWriters()) {
        settings_->sync();
        return;
    }
    // Another program holds the file and does not let go. QSettings writes
    // what is pending as it goes, waiting for that lock without end; the
    // program would hang on its way out. What is pending was reported as not
    // written when its save failed.
    (void)settings_.release();
}

std::optional<QString> PlatformStore::value(const QString &key) const
{
    const QVariant v = settings_->value(key);
    if (!v.isValid())
        return std::nullopt;
    // A hand-edited file may hold an unquoted text with commas, which the
    // platform hands back as a list; it is still one text to us.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    if (!v.canConvert<QString>())
        return std::nullopt;
    return v.toString();
}

void PlatformStore::setValue(const QString &key, const QString &text) { settings_->setValue(key, text); }

void PlatformStore::remove(const QString &key) { settings_->remove(key); }

bool PlatformStore::sync()
{
    heldByAnother_ = !waitForOtherWriters();
    if (heldByAnother_)
        return false;
    // QSettings keeps the first error it met for the object's whole life. After
    // one, a fresh object over the same file (it shares the changes not yet
    // written, and writes them as it opens) tells whether this write went through.
    if (settings_->status() != QSettings::NoError)
        settings_ = open();
    else
        settings_->sync();
    // A format error concerns the file as it was read (its unreadable parts
    // read as defaults); only an access error means the write failed.
    return settings_->status() != QSettings::AccessError;
}

QString PlatformStore::fileName() const { return settings_->fileName(); }

void PlatformStore::useFolder(const QString &folder)
{
    const QString path = QDir(folder).absolutePath();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
}

} // namespace zfm
