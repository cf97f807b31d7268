// The row, bar, resolution and pitch operations and test play of the editor
// window. Each runs its editor operation and then redraws with AfterChange.
#include "editor/ui/grid_window.h"

namespace poronka::ui {

// Not wired yet: these operations come with the row and pitch operations.
void TfrmGrid::SMEMoveClick() {}
void TfrmGrid::SMDIRowClick() {}
void TfrmGrid::SMDIPharClick() {}
void TfrmGrid::SMDINoteClick() {}
void TfrmGrid::SMDAHighClick() {}
void TfrmGrid::SMDALowClick() {}
void TfrmGrid::SMDI2xClick() {}
void TfrmGrid::SMDI3xClick() {}
void TfrmGrid::SMDTDupClick() {}
void TfrmGrid::SMDTSmlClick() {}
void TfrmGrid::SMDRowClick() {}
void TfrmGrid::SMDNoteClick() {}
void TfrmGrid::SMDClerClick() {}
void TfrmGrid::SMDPhrClick() {}
void TfrmGrid::cmTestClick() {}

}  // namespace poronka::ui
