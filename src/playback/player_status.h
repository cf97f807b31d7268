// The player's status: whether a song plays and what is loaded, and the
// playing commands and menus it allows.
#pragma once

namespace poronka {

// Where the player stands. The engine owns it (PlayerState::Status) and
// tells the display whenever it changes; the window's commands and the
// navigation's decisions are derived from it.
enum class Transport {
  Stopped,
  Playing,  // also after the last song ended, until Stop
  Paused,
};
enum class Content {
  None,       // nothing loaded since the start
  Song,       // a score is prepared
  DataError,  // the last load failed
  Media,      // a media file is open in the media player
};
struct PlayerStatus {
  Transport transport = Transport::Stopped;
  Content content = Content::None;
  // A song load is under way: it cannot be started yet.
  bool loading = false;
  friend bool operator==(const PlayerStatus&, const PlayerStatus&) = default;
};

// Which playing commands and menus are available in a status.
struct PlayerCommands {
  bool start = false;
  bool pause = false;
  bool stop = false;
  bool fileMenu = false;
  bool midiMenu = false;
  bool settingsMenu = false;
  bool editorMenu = false;
};
PlayerCommands CommandsFor(const PlayerStatus& status);

// The title label after a failed load.
extern const char* const kDataErrorTitle;  // "データ・エラー"

}  // namespace poronka
