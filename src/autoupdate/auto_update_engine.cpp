#include "autoupdate/auto_update_engine.h"

#include "autoupdate/field_reader.h"
#include "autoupdate/update_scripts.h"
#include "link/char_text.h"
#include "link/clock.h"
#include "settings/settings.h"

#include <utility>

namespace zfm {

namespace {

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

void AutoUpdateEngine::save() { emit saved(settings_.saveAll()); }

bool AutoUpdateEngine::psUpdateOn() const { return settings_.record().AutoPS != 0; }

bool AutoUpdateEngine::rtUpdateOn() const { return settings_.record().RTSwitch == 1; }

QString AutoUpdateEngine::psPath() const { return settings_.record().AutoPSPath; }

QString AutoUpdateEngine::rtPath() const { return settings_.record().AutoRTPath; }

bool AutoUpdateEngine::readsFiles() const { return psUpdateOn() || rtUpdateOn(); }

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
    listTitle_ = titleDisplay_;
    r.lastSentTitle = titleDisplay_;
    psOwed_ = rtOwed_ = false;
    listFromReadBack_ = false;
    psSendingList_.reset();
    deviceList_.forget();
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

void AutoUpdateEngine::setChangedOnly(bool ticked)
{
    record().AutoPSChangedOnly = ticked;
    save();
    emit changed();
}

bool AutoUpdateEngine::changedOnly() const { return settings_.record().AutoPSChangedOnly; }

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
    listTitle_ = titleDisplay_;
    rebuildList();
}

void AutoUpdateEngine::rebuildList()
{
    SettingsRecord &r = record();
    std::optional<QDate> date;
    if (r.InsertDate)
        date = clock_.now().date();
    rebuildPsList(r, type_, listTitle_, r.AutoPSDelay, date);
    listFromReadBack_ = false;
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

AutoUpdateTickResult AutoUpdateEngine::tick(const TextFile &psFile, bool readBackBusy)
{
    ++tick_;
    SettingsRecord &r = record();
    if (!readsFiles() || readBackBusy || psFile.status == TextFile::Status::TimedOut)
        return {};
    if (psFile.status != TextFile::Status::Ok)
        return psFileFailed(psFile.status == TextFile::Status::NotFound);

    const QString title = composeTitle(readFields(psFile.text));
    const bool confirmed = psReadTick_ == tick_ - 1 && psLastRead_ == title;
    psReadTick_ = tick_;
    psLastRead_ = title;

    AutoUpdateTickResult result;
    result.runRtPart = r.RTSwitch == 1;
    if (r.AutoPS == 0)
        return result;
    if (title != titleDisplay_ && !title.isEmpty()) {
        // A title awaiting its confirming read is about to replace the list:
        // the list as it is now would go out only to be overtaken.
        if (!confirmed)
            return result;
        takeTitle(title);
    }
    result.sendPs = psOwed_ || psUploadDue(listTitle_, r.lastSentTitle, type_);
    return result;
}

void AutoUpdateEngine::psUploadFinished(bool completed)
{
    const std::optional<PsList> sent = std::exchange(psSendingList_, std::nullopt);
    if (!sent)
        return; // nothing was built, nothing went out
    if (!completed) {
        // Some of its frames may have reached the device, or none: unknown.
        deviceList_.forget();
        return;
    }
    record().lastSentTitle = psSending_;
    psOwed_ = false;
    deviceList_.uploaded(*sent, psSendingWhole_, clock_.now());
}

WireScript AutoUpdateEngine::rtPart(const TextFile &rtFile, bool readBackBusy)
{
    SettingsRecord &r = record();
    if (readBackBusy || r.RTSwitch != 1 || rtFile.status == TextFile::Status::TimedOut)
        return {};

    // A file that cannot be read gives an empty line, which empties the RadioText.
    const QString line = leftChars(firstLine(rtFile.text), kRtChars);
    const bool confirmed = rtReadTick_ == tick_ - 1 && rtLastRead_ == line;
    rtReadTick_ = tick_;
    rtLastRead_ = line;

    if (!sameIgnoringCase(line, rtBox_)) {
        if (!confirmed)
            return {};
        rtBox_ = line;
        r.RT = rtBox_;
        save();
        emit changed();
    } else if (!rtOwed_) {
        return {};
    }
    // A new line, or one whose upload failed: the box's text is sent.
    return rtUpload();
}

void AutoUpdateEngine::rtUploadFinished(bool completed) { rtOwed_ = !completed; }

void AutoUpdateEngine::deviceForgot()
{
    psOwed_ = rtOwed_ = true;
    deviceList_.forget();
}

bool AutoUpdateEngine::sendsList() const { return psUpdateOn() && type_ != AutoUpdateType::TurnOff; }

WireScript AutoUpdateEngine::owedPsUpload()
{
    psSendingList_.reset();
    if (!sendsList())
        return {};
    // Otherwise the encoder's own list would go out under the title.
    if (listFromReadBack_ && !listTitle_.isEmpty())
        rebuildList();
    psSending_ = listTitle_;
    psSendingList_ = PsList::of(record());
    const PsList *known = changedOnly() ? deviceList_.known(clock_.now()) : nullptr;
    psSendingWhole_ = known == nullptr;
    return autoPsUploadScript(record(), known ? PsEntries::changed(*known, *psSendingList_) : PsEntries::all());
}

void AutoUpdateEngine::listReadBack() { listFromReadBack_ = true; }

void AutoUpdateEngine::forgetDeviceList() { deviceList_.forget(); }

void AutoUpdateEngine::deviceListSent(const PsList &list) { deviceList_.uploaded(list, true, clock_.now()); }

void AutoUpdateEngine::staticPsSent(const QString &text) { deviceList_.textSent(0, text); }

WireScript AutoUpdateEngine::owedRtUpload() { return rtUpdateOn() ? rtUpload() : WireScript(); }

WireScript AutoUpdateEngine::rtUpload() { return autoRtUploadScript(record(), rtBox_); }

} // namespace zfm
