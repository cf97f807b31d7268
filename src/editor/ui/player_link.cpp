#include "editor/ui/player_link.h"

#include "core/file_io.h"

namespace poronka::ui {

bool PlayerEditorLink::RunOpenCommand() {
  // The player's command reports nothing back; the editor lays out whatever
  // the score holds afterwards.
  player_.mnuOpenClick();
  return true;
}

void PlayerEditorLink::PrepareSong() { player_.Engine().PrepareSong(0); }

void PlayerEditorLink::OpenMidiForEditor() { player_.Devices().ReopenIfUnchecked(); }

void PlayerEditorLink::SendShortMessage(uint32_t message) { player_.Devices().Out().ShortMsg(message); }

void PlayerEditorLink::ResetMidi() { player_.Devices().Out().Reset(); }

bool PlayerEditorLink::MediaActive() const { return player_.Engine().state.MediaActive.load(); }

void PlayerEditorLink::ReleaseMidiForMedia() {
  if (!MediaActive() || UpperExtension(score_.FileName) != ".MID") return;
  if (player_.Devices().Out().IsOpen()) player_.Devices().CloseDevice();
}

void PlayerEditorLink::ShowPlayer() { player_.ShowAfterEditor(); }

void PlayerEditorLink::ExitApplication() { player_.close(); }

void PlayerEditorLink::ShowHelp() { player_.mnuExprClick(); }

void PlayerEditorLink::ShowAbout() { player_.mnuVersionClick(); }

int PlayerEditorLink::TimerMinPeriod() const { return player_.Engine().state.TimerMinPeriod; }

TfrmGrid* OpenEditor(TFPoron& player, Score& score, editor::EditorSession& session,
                     const SoundSettings& settings) {
  auto* link = new PlayerEditorLink(player, score);
  auto* grid = new TfrmGrid(score, session, settings, nullptr, *link);
  QObject::connect(grid, &QObject::destroyed, [link] { delete link; });
  grid->show();
  player.HideForEditor();
  return grid;
}

}  // namespace poronka::ui
