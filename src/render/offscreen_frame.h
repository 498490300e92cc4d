// Frames drawn with the production OpenGL seam into an offscreen framebuffer
// and read back: the pictures the viewer writes to files, and the pixel
// tests' pictures.
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
#include "view/camera.h"
#include "view/view_state.h"

namespace mv {

// Needs a QGuiApplication and the GUI thread. A compatibility-profile
// context on an offscreen surface, drawing into a colour + depth
// framebuffer of the given size in device pixels.
class OffscreenGl {
 public:
  OffscreenGl(int width = kOuterWidth, int height = kOuterHeight);
  ~OffscreenGl();
  OffscreenGl(const OffscreenGl&) = delete;
  OffscreenGl& operator=(const OffscreenGl&) = delete;

  // Empty when the context and framebuffer are ready, else what failed.
  const std::string& Error() const { return error_; }
  // Whether OpenGL itself could be started (the framebuffer may still have
  // failed, for a size beyond the driver's).
  bool HasOpenGl() const { return hasOpenGl_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // One frame of the scene as the viewer draws it, opaque. Without
  // `picture`, the viewport and projection fill the framebuffer. With it,
  // they follow the picture's outer size from its lower left corner, as in
  // the window, and what lies flat over the scene (the depth legend) is
  // drawn too; the framebuffer is then the picture's size.
  QImage Frame(const ViewState& v, const SurveyModel& m, const PictureGeometry* picture = nullptr);

  // Clears to black, leaves both matrices at the identity and runs `draw`
  // with the context current and the framebuffer bound.
  QImage Draw(const std::function<void(GlApi&)>& draw);

 private:
  QImage Read();

  int width_, height_;
  std::string error_;
  bool hasOpenGl_ = false;
  QOffscreenSurface surface_;
  QOpenGLContext context_;
  std::unique_ptr<QOpenGLFramebufferObject> fbo_;
  RealGl gl_;
  SceneCache cache_;
};

}  // namespace mv
