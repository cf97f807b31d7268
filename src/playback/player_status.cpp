#include "playback/player_status.h"

namespace poronka {

const char* const kDataErrorTitle = "データ・エラー";

PlayerCommands CommandsFor(const PlayerStatus& status) {
  const bool stopped = status.transport == Transport::Stopped;
  const bool playing = status.transport == Transport::Playing;
  const bool loaded = status.content == Content::Song || status.content == Content::Media;
  PlayerCommands c;
  c.start = loaded && !playing && !status.loading;
  c.pause = !stopped;
  c.stop = !stopped;
  c.fileMenu = stopped;
  c.midiMenu = !playing;
  c.settingsMenu = !playing;
  c.editorMenu = stopped;
  return c;
}

}  // namespace poronka
