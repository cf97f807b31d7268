#include <gtest/gtest.h>
#include "core/score.h"
TEST(Smoke, NewSong) { poronka::Score s; poronka::MakeNewSong(s); EXPECT_EQ(s.Bpm, 80); }
