// The MBT score file: a line-oriented code page 932 text file holding one
// Score.
#pragma once

#include <string>
#include <string_view>

#include "core/load_hooks.h"
#include "core/messages.h"
#include "core/score.h"

namespace poronka {

extern const char* const kMbtNoDataMessage;       // no "MBT_DATA" line
extern const char* const kMbtBadDataMessage;      // a zero timing value
extern const char* const kMbtIoErrorMessage;      // read error or bad number
extern const char* const kMbtTooManyRowsMessage;  // more than 100000 rows
extern const char* const kSaveErrorMessage;       // any write error

enum class MbtLoad { Ok, NoMarker, BadData, IoError };

// Reads Score::FileName into the Score. Messages go to `msgs`; the player
// side effects go through `hooks`.
MbtLoad ReadMbt(Score& s, Messages& msgs, LoadHooks& hooks);
// The same over bytes already in memory (the file name is used only for the
// loading window's caption).
MbtLoad ReadMbtBytes(Score& s, std::string_view bytes, Messages& msgs, LoadHooks& hooks);

// The file's bytes for a Score.
std::string MbtBytes(const Score& s);
// Writes the Score to Score::FileName (temporary file, then rename). On
// success clears Modified; on failure shows the save error and keeps the
// previous file and Modified.
bool WriteMbt(Score& s, Messages& msgs);

}  // namespace poronka
