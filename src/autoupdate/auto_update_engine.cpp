#include "autoupdate/auto_update_engine.h"

#include "autoupdate/field_reader.h"
#include "autoupdate/text_file.h"
#include "autoupdate/update_scripts.h"
#include "link/char_text.h"
#include "link/clock.h"
#include "settings/settings.h"

namespace zfm {

namespace {

// A title file is a line or two; these bound what one tick reads of a file
// that is not what it should be (a recording, a log that grows without end).
constexpr qsizetype kPsReadLimit = 64 * 1024;
constexpr qsizetype kRtReadLimit = 4 * 1024;
constexpr int kRtChars = 64;
constexpr int16_t kDefaultDelay = 2;

bool sameIgnoringCase(const QString &a, const QString &b)
{
    return leftChars(a, kRtChars).toUpper() == leftChars(b, kRtChars).toUpper();
}

} // namespace

AutoUpdateEngine::AutoUpdateEngine(Settings &settings, const Clock &clock, QObject *parent)
    : QObject(parent), settings_(settings), clock_(clock)
{
}

SettingsRecord &AutoUpdateEngine::record() { return settings_.record(); }

void AutoUpdateEngine::save() { settings_.saveAll(); }

bool AutoUpdateEngine::psUpdateOn() const { return settings_.record().AutoPS != 0; }

bool AutoUpdateEngine::rtUpdateOn() const { return settings_.record().RTSwitch == 1; }

void AutoUpdateEngine::restore()
{
    SettingsRecord &r = record();
    bool repaired = false;
    if (r.AutoPS < 0 || r.AutoPS > kLastAutoUpdateType) {
        r.AutoPS = 0;
        repaired = true;
    }
    type_ = static_cast<AutoUpdateType>(r.AutoPS);
    if (r.AutoPSDelay < 0 || r.AutoPSDelay > kMaxPsDelay) {
        r.AutoPSDelay = kDefaultDelay;
        repaired = true;
    }
    if (r.RTSwitch != 0 && r.RTSwitch != 1) {
        r.RTSwitch = 0;
        repaired = true;
    }
    rtBox_ = r.RT;
    titleDisplay_.clear();
    r.lastSentTitle = titleDisplay_;
    psReadTick_ = psFailTick_ = rtReadTick_ = tick_ - 2;
    if (repaired)
        save();
    emit changed();
}

void AutoUpdateEngine::setPsUpdate(bool yes)
{
    if (yes && type_ == AutoUpdateType::TurnOff)
        type_ = AutoUpdateType::Split;
    record().AutoPS = yes ? static_cast<int16_t>(type_) : 0;
    save();
    emit changed();
}

void AutoUpdateEngine::setRtUpdate(bool yes)
{
    record().RTSwitch = yes ? 1 : 0;
    save();
    emit rtUpdateChosen();
    emit changed();
}

void AutoUpdateEngine::setType(int position)
{
    if (position < 0 || position > kLastAutoUpdateType)
        return;
    type_ = static_cast<AutoUpdateType>(position);
    record().AutoPS = static_cast<int16_t>(position);
    save();
    emit changed();
}

void AutoUpdateEngine::setDelay(int position)
{
    if (position < 0 || position > kMaxPsDelay)
        return;
    record().AutoPSDelay = static_cast<int16_t>(position);
    save();
    emit changed();
}

void AutoUpdateEngine::setInsertDate(bool ticked)
{
    record().InsertDate = ticked;
    save();
    emit changed();
}

void AutoUpdateEngine::setPsPath(const QString &path)
{
    record().AutoPSPath = path;
    save();
    emit changed();
}

void AutoUpdateEngine::setRtPath(const QString &path)
{
    record().AutoRTPath = path;
    save();
    emit changed();
}

void AutoUpdateEngine::setRtBoxText(const QString &text)
{
    rtBox_ = leftChars(text, kRtChars);
    record().RT = rtBox_;
    save();
    emit changed();
}

void AutoUpdateEngine::titleDisplayClicked()
{
    titleDisplay_ = leftChars(titleDisplay_, kTitleChars);
    record().RT = titleDisplay_;
    save();
    emit changed();
}

void AutoUpdateEngine::setAllOff()
{
    record().AutoPS = 0;
    record().RTSwitch = 0;
    type_ = AutoUpdateType::TurnOff;
    emit rtUpdateChosen();
}

void AutoUpdateEngine::switchOff()
{
    setAllOff();
    save();
    emit changed();
}

// The title display's change rule. Only the RT field follows it, not the RT
// box: the RT part compares the RT file with the box, so a title that equals
// the RT file's line still reaches the device as RadioText.
void AutoUpdateEngine::setTitleDisplay(const QString &text)
{
    const QString cut = leftChars(text, kTitleChars);
    if (cut == titleDisplay_)
        return;
    titleDisplay_ = cut;
    if (record().RTSwitch == 1)
        record().RT = titleDisplay_;
}

void AutoUpdateEngine::takeTitle(const QString &title)
{
    setTitleDisplay(title);
    SettingsRecord &r = record();
    std::optional<QDate> date;
    if (r.InsertDate)
        date = clock_.now().date();
    rebuildPsList(r, type_, titleDisplay_, r.AutoPSDelay, date);
    save();
    emit changed();
}

AutoUpdateTickResult AutoUpdateEngine::psFileFailed(bool notFound)
{
    // Once may be the playout program replacing the file; twice in a row is not.
    if (psFailTick_ != tick_ - 1) {
        psFailTick_ = tick_;
        return {};
    }
    psFailTick_ = tick_ - 2;
    if (!notFound) {
        switchOff();
        return {kMissingFileMessage, {}, false};
    }
    // RT goes off first, so emptying the title display leaves RT alone.
    setAllOff();
    setTitleDisplay(QString());
    save();
    emit changed();
    return {kFileNotFoundMessage, {}, false};
}

AutoUpdateTickResult AutoUpdateEngine::tick(bool readBackBusy)
{
    ++tick_;
    SettingsRecord &r = record();
    if ((r.AutoPS == 0 && r.RTSwitch == 0) || readBackBusy)
        return {};

    const TextFile file = readTextFile(r.AutoPSPath, kPsReadLimit);
    if (file.status != TextFile::Status::Ok)
        return psFileFailed(file.status == TextFile::Status::NotFound);

    const QString title = composeTitle(readFields(file.text));
    const bool confirmed = psReadTick_ == tick_ - 1 && psLastRead_ == title;
    psReadTick_ = tick_;
    psLastRead_ = title;

    AutoUpdateTickResult result;
    if (r.AutoPS != 0) {
        if (title != titleDisplay_ && confirmed && !title.isEmpty())
            takeTitle(title);
        if (psUploadDue(titleDisplay_, r.lastSentTitle, type_))
            result.psUpload = autoPsUploadScript(r);
    }
    result.runRtPart = r.RTSwitch == 1;
    return result;
}

void AutoUpdateEngine::psUploadFinished(bool completed)
{
    if (completed)
        record().lastSentTitle = titleDisplay_;
}

WireScript AutoUpdateEngine::rtPart(bool readBackBusy)
{
    SettingsRecord &r = record();
    if (readBackBusy || r.RTSwitch != 1)
        return {};

    // A file that cannot be read gives an empty line, which empties the RadioText.
    const TextFile file = readTextFile(r.AutoRTPath, kRtReadLimit);
    const QString line = leftChars(firstLine(file.text), kRtChars);
    const bool confirmed = rtReadTick_ == tick_ - 1 && rtLastRead_ == line;
    rtReadTick_ = tick_;
    rtLastRead_ = line;

    if (sameIgnoringCase(line, rtBox_) || !confirmed)
        return {};
    rtBox_ = line;
    r.RT = rtBox_;
    save();
    emit changed();
    return autoRtUploadScript(r);
}

void AutoUpdateEngine::rtUploadFinished(bool completed)
{
    if (completed)
        record().lastSentTitle = titleDisplay_;
}

} // namespace zfm
