// Standard MIDI File import: turns a format 0 or 1 file into the music box
// Score. Only the start and key of every note-on on the chosen channels are
// kept, with the first tempo, time signature, title and notice texts; the
// coarsest regular grid on which all starts lie becomes the rows, every
// distinct key a pitch column.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/load_hooks.h"
#include "core/messages.h"
#include "core/score.h"
#include "settings/sound_settings.h"

namespace poronka {

extern const char* const kSmfNotStandardMessage;   // no "MThd" or format above 1
extern const char* const kSmfUnsupportedMessage;   // time-code division
extern const char* const kSmfIoErrorMessage;       // unreadable, truncated, division below 16
extern const char* const kSmfNoNotesMessage;       // no note-on taken
extern const char* const kSmfBuildErrorMessage;    // failure while building the score
extern const char* const kSmfRowLimitMessage;      // 100000 rows or more

// "使用範囲を超える高音があり、音程を－<shift>移動しました。" and the
// variant for keys that still do not fit.
std::string SmfShiftMessage(int shift);
std::string SmfOutOfRangeMessage(int shift);

enum class SmfImportStatus {
  Ok,
  HandedToMedia,  // NoMidConversion: the file goes to the media player unchanged
  NotStandard,
  Unsupported,
  IoError,
  NoNotes,
  BuildError,
};

struct SmfImportResult {
  SmfImportStatus status = SmfImportStatus::IoError;
  // The key shift in semitones that the pitch adjustment chose (0 when it
  // does not apply). The player's Transpose is KeyShift * 256.
  int keyShift = 0;
};

// What the import asks of the player beyond the hooks every loader uses.
// The defaults do the window-free work, so the batch tool and tests can pass
// an SmfImportHooks as it is.
class SmfImportHooks : public LoadHooks {
 public:
  // The full play preparation (PrepareSong with mode 0). The default computes
  // MaxSlot over the rows and runs FinishPreparationCore.
  virtual void PrepareSongFull(Score& s, Messages& msgs);
  // After the preparation, when the caller gave a playlist position: the
  // window caption becomes positionText + "." + the caption.
  virtual void PrefixCaption(const std::string& /*positionText*/) {}
  // NoMidConversion is on: play the file through the media player instead.
  virtual void PlayAsMedia(const std::string& /*path*/, const std::string& /*positionText*/) {}
  // A failure while building the score: a media file that is open is closed
  // (before ShowDataError is called).
  virtual void CloseMedia() {}
  // The pitch adjustment chose a key shift above 0: the settings' KeyShift,
  // its slider, the player's key label and Transpose (shift * 256) follow it.
  // The same value is returned in SmfImportResult::keyShift.
  virtual void ApplyKeyShift(int /*semitones*/) {}
};

// Window-free part of the full preparation: MaxSlot from the rows (0 for a song
// without notes), row 0, the timer minimum and Bpm.
void PrepareSongCore(Score& s, int timerMinPeriod, Messages& msgs);

// Converts the file named by s.FileName. positionText is the song's playlist
// position ("3") or empty. Every outcome is also reported through msgs.
SmfImportResult ImportSmf(Score& s, const SoundSettings& settings, Messages& msgs,
                          SmfImportHooks& hooks, const std::string& positionText = "");
// The same over the file's bytes already in memory; s.FileName is used for
// the loading window's caption and the media hand-over only.
SmfImportResult ImportSmfBytes(Score& s, std::string_view bytes, const SoundSettings& settings,
                               Messages& msgs, SmfImportHooks& hooks,
                               const std::string& positionText = "");

}  // namespace poronka
