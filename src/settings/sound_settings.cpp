#include "settings/sound_settings.h"

namespace poronka {

// Replaced by the variation table lookup.
int BankNumberOf(int /*program*/, int /*bankIndex*/) { return 0; }

}  // namespace poronka
