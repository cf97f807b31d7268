#include "core/load_hooks.h"

namespace poronka {

const char* const kTimerPrecisionMessage =
    "設定されている拍数が、タイマ精度を超えているため\r\n拍数をタイマ精度に設定し直しました。";

void FinishPreparationCore(Score& s, int timerMinPeriod, Messages& msgs) {
  CopyLastRowToRowZero(s);
  if (s.HalfPeriod < timerMinPeriod) {
    s.HalfPeriod = timerMinPeriod;
    msgs.ShowInformation(kTimerPrecisionMessage);
  }
  s.Bpm = DeriveBpm(s.HalfPeriod, s.NoteValue);
}

}  // namespace poronka
