#include "render/simulation_scale.h"

namespace mv {

void DrawSimulationScale(GlApi&, const ViewState&, const SurveyModel&) {}

}  // namespace mv
