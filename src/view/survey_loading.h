// Installing the result of a load into the program's state.
#pragma once

#include "data/loader.h"
#include "view/app_state.h"

namespace mv {

// Applies a load as the viewer's loader does: on success the new model, box,
// centre and zoom, lines visible with the matching caption and hint; on
// failure the placeholder model and an empty box, the zoom left as it was.
// Returns r.ok.
bool ApplyLoad(AppState& s, LoadResult&& r);

}  // namespace mv
