// The instruments offered by the sound settings and the GS variation tones
// of 75 of them. Each variation entry is a text of two decimal digits (the
// bank number sent as bank select MSB) followed by the tone's name; the
// first entry of every list is the capital tone, number 00.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace poronka {

// General MIDI programs 0..114 are offered; 115..127 are not.
constexpr int kInstrumentCount = 115;
constexpr int kDefaultProgram = 10;  // the music box

// Name of a program as listed by the settings dialog; "" outside 0..114.
std::string_view InstrumentName(int program);

// The variation entries of a program in list order; empty for a program
// without variations (and for any number outside the table).
std::vector<std::string_view> VariationsOf(int program);
bool HasVariations(int program);

// The bank number of an entry: its first two characters read as a decimal
// number (0 when they are not two digits).
int VariationNumber(std::string_view entry);

// The entry's text from its third character on, at most 30 characters.
std::string VariationName(std::string_view entry);

// Sizes of the table, for checks.
int VariationProgramCount();
int VariationEntryCount();

}  // namespace poronka
