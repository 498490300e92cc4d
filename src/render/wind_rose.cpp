#include "render/wind_rose.h"

namespace mv {

void DrawWindRose(GlApi&, const ViewState&, const SurveyModel&) {}

}  // namespace mv
