// The OpenGL picture of the main window.
#pragma once

#include <QOpenGLWidget>
#include <QSize>
#include <functional>

#include "render/gl_real.h"
#include "render/scene_cache.h"
#include "ui/mouse_steering.h"
#include "view/app_state.h"
#include "view/camera.h"

namespace mv {

// Double-buffered RGBA, 8 bits a channel, 32-bit depth where offered, no
// stencil, compatibility profile so that OpenGL 1.1 calls work.
QSurfaceFormat ViewerSurfaceFormat();

class GlView : public QOpenGLWidget {
  Q_OBJECT
 public:
  GlView(AppState& state, QWidget* parent = nullptr);
  ~GlView() override;

  // The viewport and projection follow the main window's outer size, not
  // this widget's, so the picture's centre sits where the viewer's users
  // know it: right of and above the middle of the client area.
  void SetOuterSize(QSize outer);
  QSize OuterSize() const { return outer_; }
  // Where the picture lies in the viewport, as the frame draws it.
  PictureGeometry Picture() const;
  // Deletes the rendering resources; later paints draw nothing.
  void ReleaseContext();
  bool ContextReleased() const { return released_; }
  int ContextDeletions() const { return deletions_; }
  qint64 FramesDrawn() const { return frames_; }
  // Runs before each frame is drawn, with the picture's final size known.
  void SetBeforeFrame(std::function<void()> f) { beforeFrame_ = std::move(f); }
  // Runs for a left click that steered nothing, at picture pixel (x, y),
  // with whether Shift was held.
  void SetClicked(std::function<void(double x, double y, bool shift)> f) {
    clicked_ = std::move(f);
  }
  SceneCache& Cache() { return cache_; }

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;
  // A left drag turns and tilts the model, a right drag pans, the wheel
  // zooms; the next frame shows it.
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;

 private:
  void ApplyViewport();
  void ApplyProjection();

  AppState& state_;
  std::function<void()> beforeFrame_;
  std::function<void(double, double, bool)> clicked_;
  RealGl gl_;
  SceneCache cache_;
  ui::MouseSteering steering_;
  QSize outer_{kOuterWidth, kOuterHeight};
  bool initialized_ = false;
  bool released_ = false;
  int deletions_ = 0;
  qint64 frames_ = 0;
};

}  // namespace mv
