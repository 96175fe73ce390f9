#pragma once

#include "autoupdate/device_ps_list.h"
#include "autoupdate/ps_rebuild.h"
#include "autoupdate/text_file.h"
#include "link/wire_script.h"

#include <QObject>
#include <QString>

namespace zfm {

class Clock;
class Settings;
struct SettingsRecord;

inline const QString kMissingFileMessage = QStringLiteral("Missing file.");
inline const QString kFileNotFoundMessage
    = QStringLiteral("The specified autoupdate PS and RT file does not exist!\r\n"
                     "\r\n"
                     "Please specify a valid auto update file name with path!\r\n"
                     "Program will now disable auto update, you can turn it back on once you've eliminated the "
                     "problem!");

// What one tick asks for. A tick with a message has ended: it sends no list
// and has no RT part.
struct AutoUpdateTickResult {
    QString message; // for the operator, when not empty
    // The list is to go out: run owedPsUpload() when the line is free, then
    // psUploadFinished().
    bool sendPs = false;
    bool runRtPart = false; // go on with the RT part (after the PS upload, if any)
};

// Keeps PS and RadioText current from the playout program's text files: the
// "AUTO &PS, RT" options, the title display, the RT box's text and the once-a-
// second tick. Plain logic: it reads the files, changes and saves the settings
// record and hands back wire scripts; it never touches the port or a widget.
//
// Files: the caller reads the PS file for every tick with either update on
// and the RT file for every RT part, a bounded start of each (the limits
// below), and hands over what it read. A new title, or a new RT line, is taken
// only when two consecutive reads agree, and never an empty title, so a file
// caught empty or half-written by its writer is never sent. A PS file that
// cannot be read must fail on two consecutive ticks before the update is
// switched off; the first such tick does nothing. A read that did not answer
// in time (TimedOut) decides nothing: the file may be on a share that comes back.
//
// What was sent: the list goes out when the title it was built from differs
// from the title of the last list that reached the device completely; a
// failed upload of the list or of the RadioText is sent again on a later tick.
// With "Send only changed entries" an upload of the list sends only the texts
// and delays that differ from the list the device is known to hold, and the
// whole list whenever that is not known.
class AutoUpdateEngine : public QObject {
    Q_OBJECT
public:
    // A title file is a line or two; these bound what one tick reads of a file
    // that is not what it should be (a recording, a log that grows without end).
    static constexpr qsizetype kPsReadLimit = 64 * 1024;
    static constexpr qsizetype kRtReadLimit = 4 * 1024;

    AutoUpdateEngine(Settings &settings, const Clock &clock, QObject *parent = nullptr);

    // Start-up, right after Settings::loadAll: the type choice from AutoPS (a
    // stored AutoPS outside 0..2 is repaired to 0, "Turn off" with the PS update
    // off, and stored), the delay position (outside 0..9: 2, stored), RTSwitch
    // (anything but 1 means "No": 0, stored), the RT box from RT, an empty title
    // display, lastSentTitle = the title display, and no earlier file reads.
    void restore();

    // What the page shows.
    AutoUpdateType type() const { return type_; }
    bool psUpdateOn() const; // "Yes" of the PS choice: AutoPS != 0
    bool rtUpdateOn() const; // "Yes" of the RT choice: RTSwitch == 1
    const QString &titleDisplay() const { return titleDisplay_; }
    const QString &rtBoxText() const { return rtBox_; }
    // The files the tick reads: AutoPSPath, AutoRTPath.
    QString psPath() const;
    QString rtPath() const;

    // Control handlers; each saves the record.
    // "Yes" stores the type's position (a "Turn off" type becomes "Split into 9
    // separate PS" first), so the type in use and the stored one always agree;
    // "No" stores 0.
    void setPsUpdate(bool yes);
    void setRtUpdate(bool yes); // RTSwitch 1 / 0
    void setType(int position); // AutoPS = position 0..2
    void setDelay(int position); // AutoPSDelay = position 0..9
    void setInsertDate(bool ticked);
    void setPsPath(const QString &path); // AutoPSPath
    void setRtPath(const QString &path); // AutoRTPath
    void setChangedOnly(bool ticked); // AutoPSChangedOnly
    bool changedOnly() const;
    // The RT box's change rule: its text cut to 64 characters becomes RT.
    void setRtBoxText(const QString &text);
    // RT = the title display's text, whatever the RT choice.
    void titleDisplayClicked();
    // Switches the whole automatic update off: PS "No", RT "No", type "Turn off".
    void switchOff();

    // Whether the tick reads the files: either update is on.
    bool readsFiles() const;
    // The first stage of the tick, with what was read of the PS file: takes a
    // new title into the title display and the dynamic PS list, and decides
    // the PS upload.
    AutoUpdateTickResult tick(const TextFile &psFile, bool readBackBusy);
    // The PS upload ended; lastSentTitle becomes the title of the list it sent,
    // and the list the one the device holds, only when it completed.
    void psUploadFinished(bool completed);
    // The RT part, after rtLeadInScript(), with what was read of the RT file:
    // the upload script when the file's first line differs from the RT box, or
    // when the last RT upload failed; else an empty script.
    WireScript rtPart(const TextFile &rtFile, bool readBackBusy);
    void rtUploadFinished(bool completed);

    // The device may have lost what it was sent (its line was lost and is
    // back): the list and the RadioText are owed to it, and the next list is
    // sent whole.
    void deviceForgot();
    // Whether the list goes out at all: the PS update is on with a cutting type.
    bool sendsList() const;
    // What is owed to the device now, from the list and the RT box as they
    // are: the list when sendsList() (only its changed entries when that is
    // chosen and the device's list is known), the RadioText with the RT update
    // on; empty scripts when nothing is owed. Each is followed by
    // psUploadFinished() / rtUploadFinished().
    WireScript owedPsUpload();
    WireScript owedRtUpload();

    // A read-back put the encoder's list into the record: a list still owed
    // to the device is built from its title again before it goes out.
    void listReadBack();
    // What the device's list is known to be. Unknown after anything that may
    // have changed it unseen: a lost line, another port or device family, a
    // read-back of the encoder.
    void forgetDeviceList();
    // "Send RT and PS" put this whole list on the device.
    void deviceListSent(const PsList &list);
    // "Send settings" put this static PS (entry 0) on the device.
    void staticPsSent(const QString &text);
    const DevicePsList &deviceList() const { return deviceList_; }

signals:
    // Something the page shows has changed.
    void changed();
    // The RadioText update was switched on or off (by the operator, or by a failure).
    void rtUpdateChosen();
    // The record was written to the store, or could not be (`ok` false).
    void saved(bool ok);

private:
    SettingsRecord &record();
    void save();
    AutoUpdateTickResult psFileFailed(bool notFound);
    void takeTitle(const QString &title);
    void rebuildList();
    void setTitleDisplay(const QString &text);
    void setAllOff();
    WireScript rtUpload();

    Settings &settings_;
    const Clock &clock_;
    AutoUpdateType type_ = AutoUpdateType::TurnOff;
    QString titleDisplay_;
    QString rtBox_;
    // The title the dynamic PS list was last built from; the title display
    // is emptied when the file goes missing, the list stays as it was.
    QString listTitle_;
    // The record's list came from a read-back, not from listTitle_.
    bool listFromReadBack_ = false;
    // The upload under way: the title its list was built from, the list and
    // whether it sends all of it; nothing when no list was built.
    QString psSending_;
    std::optional<PsList> psSendingList_;
    bool psSendingWhole_ = false;
    DevicePsList deviceList_;
    // Owed to the device whatever the files say: after a failed RT upload,
    // or when the device may have lost what it was sent.
    bool psOwed_ = false;
    bool rtOwed_ = false;

    // Consecutive reads, counted in ticks.
    qint64 tick_ = 0;
    qint64 psReadTick_ = -2;
    QString psLastRead_;
    qint64 psFailTick_ = -2;
    qint64 rtReadTick_ = -2;
    QString rtLastRead_;
};

} // namespace zfm
