#include "render/rotation_axis.h"

namespace mv {

void DrawRotationAxis(GlApi&, const ViewState&, const SurveyModel&) {}
void DrawAxisPositionMarker(GlApi&, const ViewState&, const SurveyModel&) {}

}  // namespace mv
