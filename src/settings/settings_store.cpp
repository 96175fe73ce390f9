#include "settings/settings_store.h"

#include <QDir>
#include <QLockFile>
#include <QSettings>
#include <QStringList>

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

PlatformStore::PlatformStore() : settings_(open()) { }

std::unique_ptr<QSettings> PlatformStore::open()
{
    auto settings
        = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    settings->beginGroup(kSection);
    return settings;
}

// QSettings guards its file with "<file>.lock" and, when that lock file cannot
// be read, waits until it is 30 s old before taking it over. A program killed
// between creating the lock file and writing its owner into it leaves such a
// file, and the next run's first save would block the program for that long. A
// live writer fills its lock file at once, so an unreadable one older than a
// moment is abandoned and can go.
void PlatformStore::releaseAbandonedLock() const
{
    QLockFile lock(settings_->fileName() + QStringLiteral(".lock"));
    lock.setStaleLockTime(100);
    lock.tryLock(250);
}

PlatformStore::~PlatformStore()
{
    releaseAbandonedLock();
    settings_->endGroup();
    settings_->sync();
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
    // QSettings keeps the first error it met for the object's whole life. After
    // one, a fresh object over the same file (it shares the changes not yet
    // written, and writes them as it opens) tells whether this write went through.
    releaseAbandonedLock();
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
