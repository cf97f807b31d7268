// The editor's commands for a paper-strip music box: moving the whole score
// by the transposition that leaves the fewest notes the box cannot play, and
// rewriting the score onto the box's comb. Each is one undo step.
#pragma once

#include "editor/editor_state.h"
#include "editor/grid_update.h"
#include "interchange/music_box.h"

namespace poronka::editor {

// "収まるように移調": transposes every column by the best shift for the box
// (snapshot kind Transpose) and says what it did; nothing changes when the
// best shift is 0.
GridUpdate TransposeToFit(EditorContext& ctx, const MusicBox& box);

// "オルゴールの音階に合わせる": the columns become the box's pitches and every
// note moves to the column of its pitch (snapshot kind CombMap). Notes on
// pitches the box lacks are dropped: the user is asked first and told which
// they were.
GridUpdate MapScoreToComb(EditorContext& ctx, const MusicBox& box);

}  // namespace poronka::editor
