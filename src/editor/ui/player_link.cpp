#include "editor/ui/player_link.h"

#include "core/file_io.h"

namespace poronka::ui {

PlayerEditorLink::PlayerEditorLink(PlayerWindow& player, Score& score) : player_(player), score_(score) {
  NoteMediaFile();
}

void PlayerEditorLink::NoteMediaFile() { mediaFile_ = MediaActive() ? score_.FileName : std::string(); }

bool PlayerEditorLink::RunOpenCommand() {
  if (!player_.openSong()) return false;
  NoteMediaFile();
  return true;
}

void PlayerEditorLink::PrepareSong() { player_.engine().PrepareSong(Preparation::Full); }

void PlayerEditorLink::OpenMidiForEditor() { player_.devices().ReopenIfUnchecked(); }

void PlayerEditorLink::SendShortMessage(uint32_t message) { player_.devices().Out().ShortMsg(message); }

void PlayerEditorLink::ResetMidi() { player_.devices().Out().Reset(); }

bool PlayerEditorLink::MediaActive() const { return player_.engine().state.MediaActive.load(); }

void PlayerEditorLink::ReleaseMidiForMedia() {
  if (!MediaActive() || UpperExtension(mediaFile_) != ".MID") return;
  if (player_.devices().Out().IsOpen()) player_.devices().CloseDevice();
}

void PlayerEditorLink::ShowPlayer() { player_.showAfterEditor(); }

void PlayerEditorLink::ExitApplication() { player_.close(); }

void PlayerEditorLink::ShowHelp() { player_.showHelp(); }

void PlayerEditorLink::ShowAbout() { player_.showAbout(); }

int PlayerEditorLink::TimerMinPeriod() const { return player_.engine().state.TimerMinPeriod; }

EditorWindow* OpenEditor(PlayerWindow& player, Score& score, editor::EditorSession& session,
                     const SoundSettings& settings) {
  auto* link = new PlayerEditorLink(player, score);
  auto* grid = new EditorWindow(score, session, settings, nullptr, *link);
  QObject::connect(grid, &QObject::destroyed, [link] { delete link; });
  grid->show();
  player.hideForEditor();
  return grid;
}

}  // namespace poronka::ui
