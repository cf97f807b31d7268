#include "playback/engine.h"

#include "core/app_texts.h"

#include <algorithm>
#include <cmath>

namespace poronka {

const char* const kPauseCaption = "一時停止";
const char* const kResumeCaption = "再開";
const char* const kBpmSuffix = " 拍/分";

namespace {

const char* const kNoTitle = "NO_Title";

// Nearest integer, ties to even.
int Round(double v) {
  if (!std::isfinite(v)) return 0;
  v = std::clamp(v, -2.0e9, 2.0e9);
  return static_cast<int>(std::nearbyint(v));
}

std::string BaseNameOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// ---- pictures ---------------------------------------------------------------------

void Rgb24Image::Reset(int w, int h, Rgb fill) {
  width = std::max(w, 0);
  height = std::max(h, 0);
  pixels.assign(static_cast<size_t>(width) * height * 3, 0);
  Fill(fill);
}

void Rgb24Image::Fill(Rgb c) {
  for (size_t i = 0; i + 2 < pixels.size(); i += 3) {
    pixels[i] = c.r;
    pixels[i + 1] = c.g;
    pixels[i + 2] = c.b;
  }
}

Rgb Rgb24Image::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return {};
  const uint8_t* p = Row(y) + x * 3;
  return {p[0], p[1], p[2]};
}

void Rgb24Image::Set(int x, int y, Rgb c) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  uint8_t* p = Row(y) + x * 3;
  p[0] = c.r;
  p[1] = c.g;
  p[2] = c.b;
}

// ---- geometry -----------------------------------------------------------------------

RollGeometry ComputeRollGeometry(int ppi, int32_t rowCount, int32_t columnCount) {
  RollGeometry g;
  g.RowScale = rowCount < 4411 ? ppi * 1.7 / 120 : 15000.0 / (rowCount * 2.0 + 1) * ppi / 120;
  g.ColumnScale = columnCount >= 30 ? ppi * 345.0 / 120 / columnCount : ppi * 11.5 / 120;
  g.RollMargin = columnCount >= 30 ? 0 : Round((30 - columnCount) * g.ColumnScale / 2);
  g.RollBaseTop = Round(ppi * 167.0 / 120);
  g.ToothMax = ppi * 86 / 120;
  g.ToothRange = ppi * 52 / 120;
  g.RollLeft = ppi * 31 / 120 + g.RollMargin;
  g.RollWidth = ppi * 354 / 120 - 2 * g.RollMargin;
  g.RollHeight = Round((std::max(rowCount, 0) * 2.0 + 5) * g.RowScale);
  return g;
}

int CombLineX(const RollGeometry& g, int32_t q) {
  return Round(q * g.ColumnScale + g.ColumnScale / 2) + g.RollLeft;
}

ToothRect ToothOf(const RollGeometry& g, int32_t column, int32_t columnCount) {
  // Between the dividers on either side, rounded exactly as they are drawn,
  // so that lighting a tooth never covers a divider.
  ToothRect t;
  t.x0 = CombLineX(g, column - 1) + 2;
  t.x1 = CombLineX(g, column) - 1;
  t.y1 = columnCount > 0 ? g.ToothMax - static_cast<int>(int64_t{column} * g.ToothRange / columnCount) : g.ToothMax;
  return t;
}

// ---- playlist view ----------------------------------------------------------------------

void AtomicPlaylistView::Update(int entryCount, const std::string& onlyEntry, int currentEntry) {
  std::lock_guard<std::mutex> lock(mutex_);
  onlyEntry_ = entryCount == 1 ? onlyEntry : std::string();
  count_ = entryCount;
  current_ = currentEntry;
}

bool AtomicPlaylistView::OnlyEntryIs(const std::string& fileName) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_.load() == 1 && onlyEntry_ == fileName;
}

// ---- engine --------------------------------------------------------------------------------

PlaybackEngine::PlaybackEngine(Score& score, SoundSettings& settings, MidiDevices& devices,
                               PeriodicTimer& timer, PlayerDisplay& display, Messages& msgs)
    : score_(score), settings_(settings), devices_(devices), timer_(timer), display_(display), msgs_(msgs) {
  geometry_ = ComputeRollGeometry(ppi_, 0, 0);
  comb_.Reset(ppi_ * 416 / 120, geometry_.ToothMax + 4, kCombRestColour);
}

PlaybackEngine::~PlaybackEngine() { KillTimer(); }

void PlaybackEngine::SetupDisplay(int ppi, int combWidth, int combHeight, Rgb rollBackground) {
  ppi_ = ppi > 0 ? ppi : kDesignPpi;
  rollBackground_ = rollBackground;
  geometry_ = ComputeRollGeometry(ppi_, score_.RowCount, score_.ColumnCount);
  {
    std::lock_guard<std::mutex> lock(combMutex_);
    comb_.Reset(combWidth, combHeight, kCombRestColour);
    combRows_.clear();
  }
  display_.ShowComb(CombSnapshot());
}

void PlaybackEngine::SetPlaylistView(const PlaylistView* view) { playlist_ = view; }
void PlaybackEngine::SetMediaTransport(MediaTransport* media) { media_ = media; }

Rgb24Image PlaybackEngine::CombSnapshot() const {
  std::lock_guard<std::mutex> lock(combMutex_);
  return comb_;
}

void PlaybackEngine::Send(int status, int data1, int data2) { devices_.Out().ShortMsg(status, data1, data2); }

// ---- status ----------------------------------------------------------------------------

void PublishStatus(PlayerState& state, PlayerDisplay& display, const PlayerStatus& status) {
  if (state.Status == status) return;
  state.Status = status;
  display.ShowStatus(status);
}

// ---- preparation -------------------------------------------------------------------------

void PlaybackEngine::PrepareSong(Preparation step) { PrepareSong(step, msgs_); }

void PlaybackEngine::PrepareSong(Preparation step, Messages& msgs) {
  Score& s = score_;
  if (step != Preparation::Finish) {
    display_.SetWaitCursor(true);
    state.Dragging = false;  // a new song: no drag of the last one holds it
    if (state.MediaActive) {
      if (media_) media_->Close();
      state.MediaActive = false;
    }
  }
  if (step != Preparation::Finish) {  // the finishing keeps the roll that the loader drew on
    geometry_ = ComputeRollGeometry(ppi_, s.RowCount, s.ColumnCount);
    roll_.Reset(geometry_.RollWidth, geometry_.RollHeight, rollBackground_);
  }
  if (step == Preparation::Layout) return;

  if (step == Preparation::Full) {
    // As the MBT reader leaves it: -1 for a song without notes, so that no
    // channel is set up at Start or Stop.
    s.MaxSlot = -1;
    for (int32_t r = 1; r <= s.RowCount && r < static_cast<int32_t>(s.RowNotes.size()); ++r) {
      ForEachNote(s.RowNotes[r], [&](int slot, int32_t c) {
        s.MaxSlot = std::max(s.MaxSlot, slot);
        DrawRollDot(r, c);
      });
    }
  }
  display_.ShowRoll(roll_, geometry_.RollLeft);
  state.CurrentRow = 1;
  DrawComb();

  // Row 0, the timer precision check and Bpm.
  const bool raise = s.HalfPeriod < state.TimerMinPeriod;
  if (raise) display_.SetWaitCursor(false);
  FinishPreparationCore(s, state.TimerMinPeriod, msgs);
  if (raise) display_.SetWaitCursor(true);
  display_.SetLabel(PlayerLabel::Bpm, std::to_string(s.Bpm) + kBpmSuffix);
  display_.SetLabel(PlayerLabel::Time, SongLengthText(s.RowCount, s.HalfPeriod));

  devices_.ReopenIfUnchecked();

  std::string caption = s.Title.substr(0, s.Title.find('\r'));
  if (caption.empty() || caption == kNoTitle) caption = BaseNameOf(s.FileName);
  display_.SetCaptions(caption, caption + kApplicationTitleSuffix);
  display_.SetLabel(PlayerLabel::Title, s.Title);

  display_.SetLabel(PlayerLabel::Total, "/" + std::to_string(PlayerBarTotal(s.RowCount, s.PreRows, s.RowsPerBar)));
  display_.SetLabel(PlayerLabel::Current, "/ 0");
  display_.SetLabel(PlayerLabel::Beat, "0");
  display_.SetLabel(PlayerLabel::Pitch, "0");
  state.Transpose = 0;
  settings_.KeyShift = 0;
  settings_.PendingKeyShift = 0;
  display_.ResetKeyShiftSlider();

  state.RowsPerPosition = static_cast<float>(s.RowCount) / 1000.0f;

  PublishStatus(state, display_, {state.Status.transport, Content::Song, false});
  for (PlayerControl c : {PlayerControl::PositionBar, PlayerControl::Faster,
                          PlayerControl::Slower, PlayerControl::FastForward, PlayerControl::Previous,
                          PlayerControl::Next, PlayerControl::Rewind})
    display_.SetEnabled(c, true);
  display_.SetVisible(PlayerControl::Beat, true);
  for (PlayerControl c : {PlayerControl::KeyCaption, PlayerControl::ToneCaption, PlayerControl::ToneName,
                          PlayerControl::KeyShift, PlayerControl::Tempo})
    display_.SetEnabled(c, true);
  display_.SetWaitCursor(false);
}

void PlaybackEngine::DrawRollDot(int32_t row, int32_t column) {
  const RollGeometry& g = geometry_;
  const int x1 = Round(column * g.ColumnScale - 2), y1 = Round(row * g.RowScale * 2);
  const int x2 = Round(column * g.ColumnScale + 2), y2 = Round(row * g.RowScale * 2 + 4);
  // A filled ellipse inside [x1, x2) x [y1, y2).
  const double cx = (x1 + x2) / 2.0, cy = (y1 + y2) / 2.0;
  const double rx = (x2 - x1) / 2.0, ry = (y2 - y1) / 2.0;
  if (rx <= 0 || ry <= 0) return;
  for (int y = std::max(y1, 0); y < y2 && y < roll_.height; ++y) {
    const double dy = (y + 0.5 - cy) / ry;
    for (int x = std::max(x1, 0); x < x2 && x < roll_.width; ++x) {
      const double dx = (x + 0.5 - cx) / rx;
      if (dx * dx + dy * dy <= 1.0) roll_.Set(x, y, kRollDotColour);
    }
  }
}

void PlaybackEngine::DrawComb() {
  const RollGeometry& g = geometry_;
  const int32_t columns = score_.ColumnCount;
  {
    std::lock_guard<std::mutex> lock(combMutex_);
    comb_.Fill(kCombRestColour);
    auto line = [&](int x, int yEnd) {
      for (int y = 0; y < yEnd; ++y) comb_.Set(x, y, kCombLineColour);
    };
    line(CombLineX(g, 0), g.ToothMax);
    for (int32_t q = 1; q <= columns; ++q)
      line(CombLineX(g, q), g.ToothMax - static_cast<int>(int64_t{q} * g.ToothRange / columns));
  }
  display_.ShowComb(CombSnapshot());
}

// Colours the teeth of a row's notes by direct writes through the row table.
void PlaybackEngine::PaintRow(int32_t row, Rgb colour) {
  const Score& s = score_;
  if (row < 0 || row > s.RowCount || row >= static_cast<int32_t>(s.RowNotes.size())) return;
  std::lock_guard<std::mutex> lock(combMutex_);
  if (static_cast<int>(combRows_.size()) != comb_.height || (comb_.height > 0 && combRows_[0] != comb_.Row(0))) {
    combRows_.resize(comb_.height);
    for (int y = 0; y < comb_.height; ++y) combRows_[y] = comb_.Row(y);
  }
  ForEachNote(s.RowNotes[row], [&](int, int32_t c) {
    ToothRect t = ToothOf(geometry_, c, s.ColumnCount);
    if (t.y1 < 0) return;
    const int x0 = std::max(t.x0, 0), x1 = std::min(t.x1, comb_.width - 1);
    const int y1 = std::min(t.y1, comb_.height - 1);
    for (int y = 0; y <= y1; ++y) {
      uint8_t* p = combRows_[y] + x0 * 3;
      for (int x = x0; x <= x1; ++x) {
        *p++ = colour.r;
        *p++ = colour.g;
        *p++ = colour.b;
      }
    }
  });
}

void PlaybackEngine::ClearRowHighlight() {
  PaintRow(state.CurrentRow, kCombRestColour);
  display_.ShowComb(CombSnapshot());
}

void PlaybackEngine::ShowBarBeat(int32_t row) {
  BarBeat bb = PlayerBarBeat(row, score_.PreRows, score_.RowsPerBar);
  display_.SetLabel(PlayerLabel::Current, "/" + std::to_string(bb.bar));
  display_.SetLabel(PlayerLabel::Beat, std::to_string(bb.beat));
}

// ---- start, stop, pause --------------------------------------------------------------------

void PlaybackEngine::StartTimer() {
  state.TimerId = timer_.SetEvent(score_.HalfPeriod, state.TimerMinPeriod, [this] { TimerTick(); });
  timerRunning_ = state.TimerId != 0;
}

void PlaybackEngine::KillTimer() {
  if (state.TimerId != 0) timer_.KillEvent(state.TimerId);
  state.TimerId = 0;
  timerRunning_ = false;
}

void PlaybackEngine::SendSetup() {
  const int bank = BankNumberOf(active_.Program, active_.BankIndex);
  for (int ch = 0; ch <= score_.MaxSlot && ch < 16; ++ch) {
    if (ch == kUnusedSlot) continue;
    if (active_.BankIndex > 0) {
      Send(0xB0 + ch, 0, bank);
      Send(0xB0 + ch, 32, 0);
    }
    Send(0xC0 + ch, active_.Program, 0);
    Send(0xB0 + ch, 10, active_.Pan);
    Send(0xB0 + ch, 91, active_.Reverb);
    Send(0xB0 + ch, 93, active_.Chorus);
    Send(0xB0 + ch, 1, active_.Modulation);
  }
}

// The music box tone back (when another was chosen), and with `always` the
// default pan and effects.
void PlaybackEngine::SendDefaultTone(bool always) {
  for (int ch = 0; ch <= score_.MaxSlot && ch < 16; ++ch) {
    if (ch == kUnusedSlot) continue;
    if (settings_.Program != 10) {
      Send(0xB0 + ch, 0, 0);
      Send(0xB0 + ch, 32, 0);
      Send(0xC0 + ch, 10, 0);
    }
    if (!always) continue;
    Send(0xB0 + ch, 10, 64);
    Send(0xB0 + ch, 91, 40);
    Send(0xB0 + ch, 93, 0);
    Send(0xB0 + ch, 1, 0);
  }
}

void PlaybackEngine::Start() { Play(false); }
void PlaybackEngine::Resume() { Play(true); }

void PlaybackEngine::SetTransport(Transport t) {
  PlayerStatus status = state.Status;
  status.transport = t;
  PublishStatus(state, display_, status);
}

void PlaybackEngine::Play(bool fromPause) {
  SetTransport(Transport::Playing);
  display_.SetPauseCaption(kPauseCaption);
  display_.FocusStop();
  paused_ = false;
  KillTimer();  // never two timers
  playing_ = true;

  state.TickGate = true;
  state.AdvanceNext = true;
  if (!fromPause) {
    state.CurrentRow = 0;
    state.RepeatCount = 1;
  }
  if (state.MediaActive) {
    if (media_) media_->Play();
    return;
  }
  active_ = settings_;
  {
    std::lock_guard<std::mutex> lock(combMutex_);
    combRows_.resize(comb_.height);
    for (int y = 0; y < comb_.height; ++y) combRows_[y] = comb_.Row(y);
  }
  SendSetup();
  StartTimer();
}

void PlaybackEngine::Stop() {
  if (state.MediaActive) {
    if (media_) media_->StopAndRewind();
  } else {
    KillTimer();
    devices_.Out().Reset();
    ClearRowHighlight();
  }
  state.CurrentRow = 1;
  state.Dragging = false;
  SendDefaultTone(true);
  display_.SetRollTop(geometry_.RollBaseTop);
  display_.SetLabel(PlayerLabel::Current, "/ 0");
  display_.SetLabel(PlayerLabel::Beat, "0");
  state.PositionValue = 1;
  display_.SetPosition(1);
  display_.SetPauseCaption(kPauseCaption);
  playing_ = false;
  paused_ = false;
  // Stop makes a song that is not loading again startable.
  PublishStatus(state, display_, {Transport::Stopped, state.Status.content, false});
}

void PlaybackEngine::TogglePause() {
  if (paused_) {
    Resume();
    return;
  }
  if (state.MediaActive) {
    if (media_) media_->Pause();
  } else {
    KillTimer();
    devices_.Out().Reset();
    ClearRowHighlight();
    SendDefaultTone(false);
  }
  playing_ = false;
  paused_ = true;
  SetTransport(Transport::Paused);
  display_.SetPauseCaption(kResumeCaption);
}

void PlaybackEngine::ShowDataError() {
  Stop();
  PublishStatus(state, display_, {Transport::Stopped, Content::DataError, false});
  for (PlayerControl c : {PlayerControl::PositionBar, PlayerControl::Faster,
                          PlayerControl::Slower, PlayerControl::FastForward, PlayerControl::Rewind})
    display_.SetEnabled(c, false);
  display_.SetEnabled(PlayerControl::Previous, true);
  display_.SetEnabled(PlayerControl::Next, true);
  display_.SetLabel(PlayerLabel::Title, kDataErrorTitle);
}

// ---- the tick -------------------------------------------------------------------------------------

void PlaybackEngine::TimerTick() {
  if (state.Dragging.load()) return;
  if (!state.TickGate.exchange(false)) return;
  if (state.AdvanceNext.load())
    AdvanceTick();
  else
    SoundTick();
}

void PlaybackEngine::AdvanceTick() {
  const Score& s = score_;
  const RollGeometry& g = geometry_;
  int32_t row = state.CurrentRow;
  int32_t step = state.Step;
  if (state.DisplayOn) display_.SetRollTop(g.RollBaseTop - Round(row * g.RowScale * 2 + step * g.RowScale));
  step = state.FastForwardHeld == 1 ? 10 : state.RewindHeld == 1 ? -10 : 1;
  state.Step = step;
  row += step;
  PaintRow(row - step, kCombRestColour);
  if (row < 1) row = 1;
  if (row > s.RowCount) {
    row = 1;
    state.CurrentRow = 1;
    const PlaylistView& pl = playlist_ ? *playlist_ : noPlaylist_;
    const int entries = pl.EntryCount();
    if (entries > 1 || (entries == 1 && !pl.OnlyEntryIs(s.FileName))) ++state.RepeatCount;
    if (!(active_.RepeatSetting >= state.RepeatCount || state.HoldSong)) {
      state.AdvanceNext = true;  // the gate stays clear: later ticks do nothing
      const int current = pl.CurrentEntry();
      const bool last = current >= entries - 1;
      display_.SongEnded(last ? 0 : current + 1);
      return;
    }
  }
  state.CurrentRow = row;
  PaintRow(row, kCombStruckColour);
  ShowBarBeat(row);
  int position = state.RowsPerPosition > 0 ? Round(row / state.RowsPerPosition) : 1;
  position = std::clamp(position, 1, kPositionMax);
  state.PositionValue = position;
  display_.SetPosition(position);
  if (step != 1 && active_.StopDelayRows > 0) devices_.Out().Reset();
  state.AdvanceNext = false;
  state.TickGate = true;
}

void PlaybackEngine::SoundTick() {
  const Score& s = score_;
  const int32_t row = state.CurrentRow;
  const int transpose = state.Transpose / 256;
  auto strike = [&](int32_t r, int velocity) {
    if (r < 0 || r > s.RowCount || r >= static_cast<int32_t>(s.RowNotes.size())) return;
    ForEachNote(s.RowNotes[r], [&](int slot, int32_t c) {
      if (c < 1 || c >= static_cast<int32_t>(s.ColumnPitch.size())) return;
      const int note = s.ColumnPitch[c] + transpose;
      if (note < 0 || note > 127) return;  // would spill into the velocity byte
      Send(0x90 + slot, note, velocity);
    });
  };
  if (active_.StopDelayRows > 0 && s.RowCount > 0) {
    // The row that many rows back, wrapped into 1..RowCount however long the delay.
    int64_t b = static_cast<int64_t>(row) - active_.StopDelayRows;
    b = ((b - 1) % s.RowCount + s.RowCount) % s.RowCount + 1;
    strike(static_cast<int32_t>(b), 0);
  }
  strike(row, kPlayingVelocity);
  if (state.DisplayOn) {
    display_.SetRollTop(geometry_.RollBaseTop - Round(row * geometry_.RowScale * 2));
    display_.ShowComb(CombSnapshot());
  }
  state.AdvanceNext = true;
  state.TickGate = true;
}

// ---- tempo ----------------------------------------------------------------------------------------

void PlaybackEngine::SlowDown() {
  Score& s = score_;
  if (s.NoteValue <= 0) return;
  const double t = std::sqrt(120000.0 / s.NoteValue);
  if (s.Bpm <= 30) return;
  if (s.Bpm >= t) {
    s.HalfPeriod += 1;
    s.Bpm = BpmIntegerForm(s.HalfPeriod, s.NoteValue);
  } else {
    s.Bpm -= 1;
    s.HalfPeriod = HalfPeriodForBpm(s.NoteValue, s.Bpm);
  }
  ApplyTempo();
}

void PlaybackEngine::SpeedUp() {
  Score& s = score_;
  if (s.NoteValue <= 0) return;
  const double t = std::sqrt(120000.0 / s.NoteValue);
  if (s.HalfPeriod <= state.TimerMinPeriod) return;
  if (s.Bpm >= t) {
    s.HalfPeriod -= 1;
    s.Bpm = BpmIntegerForm(s.HalfPeriod, s.NoteValue);
  } else {
    s.Bpm += 1;
    s.HalfPeriod = HalfPeriodForBpm(s.NoteValue, s.Bpm);
  }
  ApplyTempo();
}

void PlaybackEngine::ApplyTempo() {
  display_.SetLabel(PlayerLabel::Bpm, std::to_string(score_.Bpm) + kBpmSuffix);
  display_.SetLabel(PlayerLabel::Time, SongLengthText(score_.RowCount, score_.HalfPeriod));
  if (playing_ && timerRunning_) {
    KillTimer();
    StartTimer();
  }
}

// ---- position bar ------------------------------------------------------------------------------------

void PlaybackEngine::PositionBarPressed() { state.Dragging = playing_.load(); }

void PlaybackEngine::PositionBarReleased(int position) {
  MoveToPosition(position, false);
  state.Dragging = false;
}

void PlaybackEngine::MoveToPosition(int position, bool leftButtonDown) {
  if (state.MediaActive) return;  // the media player follows the bar itself
  if (position == state.PositionValue || !SongActive()) return;
  state.Dragging = playing_ && leftButtonDown;
  ClearRowHighlight();
  int32_t row = Round(position * static_cast<double>(state.RowsPerPosition));
  row = std::clamp(row, 0, std::max(score_.RowCount, 0));
  state.CurrentRow = row;
  const RollGeometry& g = geometry_;
  if (state.AdvanceNext)
    display_.SetRollTop(g.RollBaseTop - Round(row * g.RowScale * 2));
  else
    display_.SetRollTop(g.RollBaseTop - Round(g.RowScale + row * g.RowScale * 2));
  ShowBarBeat(row);
}

// ---- load hooks ---------------------------------------------------------------------------------------

void EngineLoadHooks::BeginLoad() {
  display_.SetWaitCursor(true);
  PlayerStatus status = engine_.state.Status;
  status.loading = true;
  PublishStatus(engine_.state, display_, status);
}
void EngineLoadHooks::EndWaitCursor() { display_.SetWaitCursor(false); }
void EngineLoadHooks::PrepareLayout(const Score&) { engine_.PrepareSong(Preparation::Layout); }
void EngineLoadHooks::DrawDot(int32_t row, int32_t column) { engine_.DrawRollDot(row, column); }
void EngineLoadHooks::FinishPreparation(Score&, Messages& msgs) { engine_.PrepareSong(Preparation::Finish, msgs); }
void EngineLoadHooks::ShowDataError() { engine_.ShowDataError(); }
void EngineLoadHooks::FocusStart() { display_.FocusStart(); }

}  // namespace poronka
