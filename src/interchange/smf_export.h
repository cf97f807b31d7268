// Writes the score as a Standard MIDI File (format 0, one track, 480 ticks
// per quarter note) with the instrument and effects of the sound settings.
#pragma once

#include <cstdint>
#include <string>

#include "core/messages.h"
#include "core/score.h"
#include "settings/sound_settings.h"

namespace poronka {

inline constexpr char kSmfSaveError[] =
    "ファイルの保存中にエラーが起こりました。\f\nファイルが破損している可能性があります。";

// The whole file as bytes. Reads the score and the settings, changes neither.
std::string BuildSmf(const Score& s, const SoundSettings& settings);

// Writes BuildSmf to s.FileName (temporary file, then rename). On failure
// shows kSmfSaveError and leaves any previous file as it was; no message on
// success.
bool SaveSmf(const Score& s, const SoundSettings& settings, Messages& messages);

// Helpers of the file layout.
void AppendVarLen(std::string& out, uint32_t value);  // at most 4 bytes
struct TimeSignature {
  int numerator;
  int denominatorPower;
};
TimeSignature ReduceTimeSignature(int rowsPerBar, int noteValue);
// Microseconds per quarter note: ((HalfPeriod * NoteValue) div 2) * 1000,
// held to the three bytes of the tempo event.
uint32_t MicrosecondsPerQuarter(int32_t halfPeriod, int32_t noteValue);

}  // namespace poronka
