// Installing the result of a load into the program's state.
#pragma once

#include "data/read_result.h"
#include "view/app_state.h"

namespace mv {

// The zoom a survey whose box's largest side is `size` opens with:
// exp(2.56437 - 0.834415 ln(size)); size must be positive.
Real48 FittedZoom(long double size);

// Installs a load: on success the new model, box, the rotation axis at the
// box's middle and the zoom for its size, lines visible with the matching
// caption and hint; on failure the placeholder model and an empty box, the
// zoom left as it was, the lines visible where the source was read. Returns
// r.ok.
bool InstallLoad(AppState& s, LoadResult&& r);

}  // namespace mv
