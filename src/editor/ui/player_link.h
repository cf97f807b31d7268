// Joins the editor window to the player window: what the editor asks of the
// player (open command, play preparation, MIDI output, help) goes to
// PlayerWindow, and OpenEditor is what the player's "作成モード(&C)" runs.
#pragma once

#include "editor/ui/editor_window.h"
#include "playback/ui/player_window.h"

namespace poronka::ui {

class PlayerEditorLink : public EditorPlayer {
 public:
  PlayerEditorLink(PlayerWindow& player, Score& score);
  bool RunOpenCommand() override;
  void PrepareSong() override;
  void OpenMidiForEditor() override;
  void SendShortMessage(uint32_t message) override;
  void ResetMidi() override;
  bool MediaActive() const override;
  void ReleaseMidiForMedia() override;
  void ShowPlayer() override;
  void ExitApplication() override;
  void ShowHelp() override;
  void ShowAbout() override;
  int TimerMinPeriod() const override;

 private:
  // The media player's file is the score's file name when the media was
  // opened: before the editor came up or by its Open command. Saving under
  // another name does not change it.
  void NoteMediaFile();

  PlayerWindow& player_;
  Score& score_;
  std::string mediaFile_;
};

// Creates the editor over the shared records, shows it and hides the
// player. The editor deletes itself (and its link) when it closes.
// For PlayerAttachments::openEditor:
//   attachments.openEditor = [&] { OpenEditor(player, score, session, settings); };
EditorWindow* OpenEditor(PlayerWindow& player, Score& score, editor::EditorSession& session,
                     const SoundSettings& settings);

}  // namespace poronka::ui
