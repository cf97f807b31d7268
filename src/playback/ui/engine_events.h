// What the playback engine tells the player window, as Qt signals that
// always arrive on the user-interface thread. The engine reports through the
// PlayerDisplay interface from two threads: the user-interface thread (Start,
// Stop, loading...) and the timer thread (the ticks of a playing song).
// Reports made on the user-interface thread are emitted at once; those of the
// timer thread travel as queued signals. A queued roll, comb, label or
// position report that the user-interface thread has overtaken with a report
// of the same kind (Stop puts the position back to 1, say) is dropped, so a
// late tick never undoes what came after it.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>

#include "playback/engine.h"

namespace poronka::ui {

// A copy of an engine picture.
QImage ImageOf(const Rgb24Image& image);

class EngineEvents : public QObject, public PlayerDisplay {
  Q_OBJECT
 public:
  explicit EngineEvents(QObject* parent = nullptr);

  // PlayerDisplay.
  void ShowRoll(const Rgb24Image& roll, int left) override;
  void SetCaptions(const std::string& windowCaption, const std::string& applicationTitle) override;
  void SetEnabled(PlayerControl control, bool enabled) override;
  void SetVisible(PlayerControl control, bool visible) override;
  void ShowStatus(const PlayerStatus& status) override;
  void SetPauseCaption(const std::string& caption) override;
  void FocusStop() override;
  void FocusStart() override;
  void SetWaitCursor(bool on) override;
  void ResetKeyShiftSlider() override;
  void SetRollTop(int top) override;
  void ShowComb(const Rgb24Image& comb) override;
  void SetLabel(PlayerLabel label, const std::string& text) override;
  void SetPosition(int position) override;
  void SongEnded(int nextEntry) override;

 signals:
  void rollShown(const QImage& roll, int left);
  void captionsChanged(const QString& windowCaption, const QString& applicationTitle);
  void controlEnabled(poronka::PlayerControl control, bool enabled);
  void controlVisible(poronka::PlayerControl control, bool visible);
  void statusChanged(const poronka::PlayerStatus& status);
  void pauseCaptionChanged(const QString& caption);
  void stopFocusRequested();
  void startFocusRequested();
  void waitCursorChanged(bool on);
  void keyShiftReset();
  void rollTopChanged(int top);
  void combChanged(const QImage& comb);
  void labelChanged(poronka::PlayerLabel label, const QString& text);
  void positionChanged(int position);
  // The playlist moves on to entry `nextEntry` (0-based).
  void songEnded(int nextEntry);

  // The timer thread's reports on their way to the user-interface thread,
  // stamped with the report kind's generation when they were made.
  void tickRollTop(int top, quint64 generation, QPrivateSignal);
  void tickComb(const QImage& comb, quint64 generation, QPrivateSignal);
  void tickLabel(int label, const QString& text, quint64 generation, QPrivateSignal);
  void tickPosition(int position, quint64 generation, QPrivateSignal);
  void tickSongEnded(int nextEntry, QPrivateSignal);

 private:
  // The kinds of report that a later one replaces.
  enum Kind { RollTop, Comb, Position, FirstLabel, KindCount = FirstLabel + 7 };
  bool onOwnThread() const;
  // A report made on the user-interface thread: earlier queued ones of its
  // kind are out of date.
  void supersede(int kind) { ++generation_[kind]; }
  quint64 current(int kind) const { return generation_[kind].load(); }

  std::array<std::atomic<quint64>, KindCount> generation_{};
};

}  // namespace poronka::ui
