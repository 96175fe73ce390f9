#pragma once

#include "link/read_back_reply.h"
#include "settings/settings_record.h"

#include <QByteArray>

namespace zfm::test {

// A read-back in the layout the virtual transmitter sends: items in decoding
// order, each followed by CR LF ("05PD=3", "05PS=\"NEWS    \"", "3AF=129",
// "PTY=10", "RT=\"...\"", "2MG=\"...\"", "PWR=1", "ECC=007", "CCAC=049",
// "PREF=128", "TA=0", "TP=0", "DID0=1".."DID3=1", "MS=0"), without the
// closing "$". An item whose value is empty is left out, key and all. Texts
// are padded with blanks or cut to their fixed length.
QByteArray readBackLayout(const ReadBack &values);

// The read-back of an encoder that was sent this record.
ReadBack readBackOf(const SettingsRecord &record);

} // namespace zfm::test
