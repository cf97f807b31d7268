// "WAV で保存" of the player's and the editor's file menus: renders the song
// with the current sound settings through the built-in synthesizer into a
// WAV (or FLAC, Ogg Vorbis) file, on a worker thread, with a progress dialog
// whose Cancel stops it and keeps any previous file.
#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>

#include "core/messages.h"
#include "core/score.h"
#include "playback/audio_file.h"
#include "settings/sound_settings.h"

class QAction;
class QWidget;

namespace poronka::ui {

class AudioExporter : public QObject {
  Q_OBJECT
 public:
  // Lives as a child of `window`; the score and settings are read when a
  // file is saved.
  AudioExporter(QWidget* window, const Score& score, const SoundSettings& settings, Messages& messages);

  // The menu command ("WAV で保存").
  QAction* action() const { return action_; }

  // Renders the song into `path` while the progress dialog runs. `error` is
  // set unless the result is Ok or Cancelled.
  AudioFileResult renderTo(const std::string& path, std::string& error);

 public slots:
  // Asks for a file name and writes the song there. True when a file was
  // written.
  bool saveAudio();

 public:

  // The save dialog; tests replace it. Gets the suggested file name and
  // returns the chosen one, or nothing when cancelled.
  std::function<std::optional<std::string>(const std::string& suggested)> saveDialog;
  // False while there is no song to save (a media file is open instead).
  std::function<bool()> canSave;

 private:
  QWidget* window_;
  const Score& score_;
  const SoundSettings& settings_;
  Messages& messages_;
  QAction* action_;
};

}  // namespace poronka::ui
