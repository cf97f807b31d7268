// The records a player window works on in the window tests: the score, the
// settings and the playlist, a fake MIDI port, a manual (or real) timer and a
// message recorder.
#pragma once

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "core/messages.h"
#include "core/score.h"
#include "library/playlist_state.h"
#include "playback/midi_output.h"
#include "playback/periodic_timer.h"
#include "playback/ui/player_window.h"
#include "settings/sound_settings.h"

namespace poronka::testing {

template <class Timer = ManualTimer>
struct PlayerRecords {
  Score score;
  SoundSettings settings;
  PlaylistState playlist;
  FakeMidiSystem midi;
  EnvironmentSystemSettings system;
  Timer timer;
  RecordingMessages msgs;

  // Services over these records at 120 ppi, with the build folder as the
  // executable's folder and one MIDI port unless the test named its own.
  ui::PlayerServices Services() {
    if (midi.ports.empty()) midi.ports = {{"Fake Synth"}};
    ui::PlayerServices s;
    s.score = &score;
    s.settings = &settings;
    s.playlist = &playlist;
    s.midiSystem = &midi;
    s.systemSettings = &system;
    s.timer = &timer;
    s.messages = &msgs;
    s.ppi = 120;
    s.quitOnClose = false;
    s.executableDir = PORONKA_BINARY_DIR;
    return s;
  }
};

}  // namespace poronka::testing
