#include "playback/ui/audio_export.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <filesystem>
#include <thread>

#include "core/file_io.h"
#include "playback/ui/file_dialogs.h"

namespace poronka::ui {

namespace {

QString Q(const char* s) { return QString::fromUtf8(s); }

std::string SuggestedName(const Score& s) {
  std::filesystem::path p = s.FileName.empty() ? std::filesystem::path("無題") : std::filesystem::path(s.FileName);
  p.replace_extension(".wav");
  return p.string();
}

std::optional<std::string> AskFileName(QWidget* parent, const std::string& suggested) {
  ProgramFileDialog d(parent, ProgramFileDialog::Kind::Save, Q("WAV で保存"),
                      {{Q("WAV ファイル"), {"wav"}}, {Q("FLAC ファイル"), {"flac"}},
                       {Q("Ogg Vorbis ファイル"), {"ogg"}}});
  d.setObjectName("cdSaveWav");
  d.selectFile(QString::fromStdString(suggested));
  if (d.exec() != QDialog::Accepted || d.chosenFile().isEmpty()) return std::nullopt;
  QString name = d.chosenFile();
  AudioFileFormat f;
  if (!AudioFormatOf(name.toStdString(), f)) name += d.chosenFilter() == 1 ? ".flac" : d.chosenFilter() == 2 ? ".ogg" : ".wav";
  return name.toStdString();
}

}  // namespace

AudioExporter::AudioExporter(QWidget* window, const Score& score, const SoundSettings& settings, Messages& messages)
    : QObject(window), window_(window), score_(score), settings_(settings), messages_(messages) {
  setObjectName("AudioExporter");
  action_ = new QAction(Q("WAV で保存"), this);
  action_->setObjectName("mnuSaveWav");
  connect(action_, &QAction::triggered, this, [this] { saveAudio(); });
  saveDialog = [this](const std::string& suggested) { return AskFileName(window_, suggested); };
}

bool AudioExporter::saveAudio() {
  if (score_.RowCount <= 0 || score_.ColumnCount <= 0 || (canSave && !canSave())) {
    messages_.ShowInformation("保存する曲がありません。");
    return false;
  }
  const std::optional<std::string> path = saveDialog(SuggestedName(score_));
  if (!path) return false;
  std::string error;
  const AudioFileResult r = renderTo(*path, error);
  if (r == AudioFileResult::Ok || r == AudioFileResult::Cancelled) return r == AudioFileResult::Ok;
  messages_.ShowError(error);
  return false;
}

AudioFileResult AudioExporter::renderTo(const std::string& path, std::string& error) {
  // The worker gets its own copies: the windows may change theirs meanwhile.
  Score song = score_;
  RenderJob job;
  job.settings = settings_;
  job.keyShift = settings_.KeyShift;
  job.rows = song.RowCount;
  std::atomic<int64_t> done{0}, total{1};
  std::atomic<bool> cancel{false}, finished{false};
  AudioFileResult result = AudioFileResult::Failed;
  std::string workerError;
  std::thread worker([&] {
    result = RenderSongToFile(song, job, path,
                              [&](int64_t d, int64_t t) {
                                done = d;
                                total = t;
                                return !cancel.load();
                              },
                              workerError);
    finished = true;
  });

  QProgressDialog dialog(Q("音声ファイルを書き出しています・・・"), Q("キャンセル"), 0, 1000, window_);
  dialog.setWindowTitle(Q("WAV で保存"));
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setMinimumDuration(400);
  dialog.setAutoReset(false);
  dialog.setAutoClose(false);
  connect(&dialog, &QProgressDialog::canceled, &dialog, [&] { cancel = true; });
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(50);
  connect(&poll, &QTimer::timeout, &loop, [&] {
    const int64_t t = std::max<int64_t>(total.load(), 1);
    dialog.setValue(static_cast<int>(1000 * std::min<int64_t>(done.load(), t) / t));
    if (finished) loop.quit();
  });
  poll.start();
  if (!finished) loop.exec();
  poll.stop();
  worker.join();
  dialog.close();
  error = workerError;
  return result;
}

}  // namespace poronka::ui
