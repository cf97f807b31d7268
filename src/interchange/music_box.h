// A paper-strip music box as the strip sees it: the pitches of its comb, one
// per track from the strip's low edge, and the strip's measurements. Boxes
// are small text files (code page 932), one box per file, in the data
// folder's boxes/ subfolder; a user's own box is one more file of that form:
//
//   # comment lines start with '#'
//   title = 30弁（C3〜E6）
//   pitches = C3 D3 G3 A3 B3 C4 ...   (C4 = MIDI note 60; F#4, Bb3; or numbers)
//   strip_width = 70        (mm)
//   track_pitch = 2.017     (mm between neighbouring tracks)
//   first_track = 5.5       (mm from the strip's low edge to the lowest track)
//   hole_diameter = 2.0     (mm)
//   min_repeat = 7.9        (mm of strip the same tooth needs between two holes)
#pragma once

#include <string>
#include <vector>

namespace poronka {

struct MusicBox {
  std::string name;          // the file's name without folder and ".box"
  std::string title;         // UTF-8; the name when the file gives none
  std::vector<int> pitches;  // MIDI notes, strictly ascending, track 0 first
  double stripWidthMm = 0;
  double trackPitchMm = 0;
  double firstTrackMm = 0;
  double holeDiameterMm = 0;
  double minRepeatMm = 0;

  // The track of a MIDI note, or -1 when the comb has no such tooth.
  int TrackOf(int midiNote) const;
  // Distance of a track's centre line from the strip's low edge.
  double TrackOffsetMm(int track) const { return firstTrackMm + track * trackPitchMm; }
};

// The extension of box files.
extern const char* const kBoxFileExtension;  // ".box"

// "C4" -> 60, "F#4" -> 66, "Bb3" -> 58, "61" -> 61. False when it is neither.
bool ParsePitchName(const std::string& text, int& midiNote);

// Reads a box from the text of a file (UTF-8). On failure `error` says what
// is wrong (Japanese) and the box is left as it was.
bool ParseMusicBox(const std::string& text, MusicBox& box, std::string& error);
// Reads a box file (code page 932); the box's name comes from the file name.
bool LoadMusicBox(const std::string& path, MusicBox& box, std::string& error);

// The boxes of a folder's ".box" files, sorted by their number of tracks and
// then by name; files that do not read are left out.
std::vector<MusicBox> ListMusicBoxes(const std::string& folder);

// `nameOrFile` is a file when it names one (a path with a folder or ending in
// ".box"), else the name of a box in `folder`.
bool FindMusicBox(const std::string& nameOrFile, const std::string& folder, MusicBox& box, std::string& error);

}  // namespace poronka
