// Renders frames with the production OpenGL seam into an offscreen
// framebuffer and reads them back, for the pixel tests and the screenshot tool.
#pragma once

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <functional>
#include <memory>
#include <string>

#include "render/gl_real.h"
#include "render/scene_cache.h"
#include "view/view_state.h"

namespace mv::test {

// The size of the viewer's drawing area at its start-up window size.
inline constexpr int kFrameWidth = 780;
inline constexpr int kFrameHeight = 591;

// Needs a QGuiApplication. A compatibility-profile context on an offscreen
// surface, drawing into a colour + depth framebuffer of the given size.
class OffscreenGl {
 public:
  OffscreenGl(int width = kFrameWidth, int height = kFrameHeight);
  ~OffscreenGl();
  OffscreenGl(const OffscreenGl&) = delete;
  OffscreenGl& operator=(const OffscreenGl&) = delete;

  // Empty when the context and framebuffer are ready, else what failed.
  const std::string& Error() const { return error_; }

  // One frame of the scene as the viewer draws it: viewport and perspective
  // projection for the framebuffer's size, then the frame.
  // With `picture`, what lies flat over the scene too (the depth legend).
  QImage Frame(const ViewState& v, const SurveyModel& m, const PictureGeometry* picture = nullptr);

  // Clears to black, leaves both matrices at the identity and runs `draw`
  // with the context current and the framebuffer bound.
  QImage Draw(const std::function<void(GlApi&)>& draw);

 private:
  QImage Read();

  int width_, height_;
  std::string error_;
  QOffscreenSurface surface_;
  QOpenGLContext context_;
  std::unique_ptr<QOpenGLFramebufferObject> fbo_;
  RealGl gl_;
  SceneCache cache_;
};

}  // namespace mv::test
