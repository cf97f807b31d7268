#include "settings/sound_settings.h"

#include "settings/gs_variations.h"

namespace poronka {

int BankNumberOf(int program, int bankIndex) {
  if (bankIndex < 1) return 0;
  std::vector<std::string_view> list = VariationsOf(program);
  if (bankIndex >= static_cast<int>(list.size())) return 0;
  return VariationNumber(list[bankIndex]);
}

std::string PanText(int pan) {
  if (pan == 64) return "中央";
  if (pan > 64) return "R" + std::to_string(pan - 64);
  return "L" + std::to_string(64 - pan);
}

std::string KeyShiftText(int keyShift) {
  return keyShift > 0 ? "+" + std::to_string(keyShift) : std::to_string(keyShift);
}

SoundLabel SoundLabelOf(int program, int bankIndex) {
  std::vector<std::string_view> list = VariationsOf(program);
  if (bankIndex <= 0 || bankIndex >= static_cast<int>(list.size()))
    return {"ＧＭ音色", std::string(InstrumentName(program))};
  return {"ＧＳ音色", VariationName(list[bankIndex])};
}

}  // namespace poronka
