#include "render/entrances.h"

namespace mv {

void DrawEntrances(GlApi&, const ViewState&, const SurveyModel&) {}

}  // namespace mv
