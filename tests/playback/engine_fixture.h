// A playback engine wired to a recording device, a manual timer and a
// display that remembers what it was told.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/score.h"
#include "playback/engine.h"
#include "playback/midi_output.h"
#include "playback/periodic_timer.h"
#include "settings/sound_settings.h"

namespace poronka::testing {

class RecordingDisplay : public PlayerDisplay {
 public:
  void ShowRoll(const Rgb24Image& roll, int left) override {
    roll_ = roll;
    rollLeft = left;
    ++rollShows;
  }
  void SetCaptions(const std::string& w, const std::string& a) override {
    windowCaption = w;
    appTitle = a;
  }
  void SetEnabled(PlayerControl c, bool e) override { enabled[c] = e; }
  void SetVisible(PlayerControl c, bool v) override { visible[c] = v; }
  void SetPauseCaption(const std::string& c) override { pauseCaption = c; }
  void SetWaitCursor(bool on) override { cursor.push_back(on); }
  void SetRollTop(int top) override { rollTops.push_back(top); }
  void ShowComb(const Rgb24Image& comb) override {
    comb_ = comb;
    ++combShows;
  }
  void SetLabel(PlayerLabel l, const std::string& t) override { labels[l] = t; }
  void SetPosition(int p) override { positions.push_back(p); }
  void SongEnded(int next) override { endSignals.push_back(next); }
  void ShowStatus(const PlayerStatus& s) override {
    status = s;
    commands = CommandsFor(s);
  }

  Rgb24Image roll_, comb_;
  int rollLeft = 0, rollShows = 0, combShows = 0;
  std::string windowCaption, appTitle, pauseCaption;
  std::map<PlayerControl, bool> enabled, visible;
  std::map<PlayerLabel, std::string> labels;
  std::vector<bool> cursor;
  std::vector<int> rollTops, positions;
  std::vector<int> endSignals;
  PlayerStatus status;
  PlayerCommands commands;
};

class FakePlaylist : public PlaylistView {
 public:
  int EntryCount() const override { return static_cast<int>(entries.size()); }
  bool OnlyEntryIs(const std::string& f) const override { return entries.size() == 1 && entries[0] == f; }
  int CurrentEntry() const override { return current; }
  std::vector<std::string> entries;
  int current = -1;
};

// Columns "CDE" in octave 5 (MIDI 60, 62, 64) unless given.
inline void MakeSong(Score& s, const std::vector<std::vector<int32_t>>& rows, int halfPeriod = 375,
                     const std::u16string& letters = u"CDE") {
  s = Score{};
  s.Title = "Test";
  s.FileName = "/songs/test.mbt";
  s.HalfPeriod = halfPeriod;
  s.RowsPerBar = 4;
  s.NoteValue = 4;
  s.LetterLine = letters;
  s.OctaveLine = std::u16string(letters.size(), u'5');
  DeriveColumnPitches(s);
  s.RowCount = static_cast<int32_t>(rows.size());
  s.RowNotes.assign(rows.size() + 1, RowSlots{});
  for (size_t r = 0; r < rows.size(); ++r) s.RowNotes[r + 1] = RowFromColumns(rows[r]);
  s.BarAdjust.assign(s.RowCount / 4 + 2, 0);
}

struct EngineRig {
  Score score;
  SoundSettings settings;
  FakeMidiSystem system;
  EnvironmentSystemSettings registry;
  RecordingMessages msgs;
  MidiDevices devices{system, registry, msgs};
  ManualTimer timer;
  RecordingDisplay display;
  PlaybackEngine engine{score, settings, devices, timer, display, msgs};

  EngineRig() {
    system.ports.push_back({"Recorder"});
    devices.BuildDeviceMenu();
    devices.OpenDevice(0);
  }
  // Prepares the song and forgets what was sent so far.
  void Prepare(const std::vector<std::vector<int32_t>>& rows, int halfPeriod = 375) {
    MakeSong(score, rows, halfPeriod);
    engine.PrepareSong(Preparation::Full);
    system.log.Clear();
  }
  // Fires n ticks, the k-th (from 1 after the last Clear) at k * HalfPeriod.
  void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) {
      system.log.clockMs += score.HalfPeriod;
      timer.Fire();
    }
  }
  // Every message and reset as trace lines.
  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    for (const auto& e : system.log.Sent()) out.push_back(FormatMidiEvent(e));
    return out;
  }
  void ClearLog() {
    system.log.Clear();
    system.log.clockMs = 0;
  }
};

}  // namespace poronka::testing
