// What the drawing benchmarks share: a clock that can count processor time
// instead, the timing of a run of frames, and an OpenGL context drawing into
// an offscreen framebuffer of the main window's picture size.
#pragma once

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>

#include "shell/gl_view.h"
#include "view/camera.h"
#include "view/view_state.h"

namespace mv::bench {

// The main window's picture, and the seed of every generated cave drawn.
inline constexpr int kWidth = kOuterWidth;
inline constexpr int kHeight = kOuterHeight;
inline constexpr uint64_t kSeed = 20240611;

// With --cpu, the processor time of all the process's threads instead of
// the wall clock: steadier on a machine shared with other work, for finding
// where the time goes.
inline bool gCpuTime = false;

inline double NowMs() {
  if (!gCpuTime)
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Milliseconds per frame over `frames` frames at advancing ticks, each
// finished before the next starts.
template <typename DrawOne>
double TimeFrames(ViewState& v, int frames, DrawOne draw) {
  const double start = NowMs();
  for (int f = 0; f < frames; ++f) {
    AdvanceTick(v);
    draw();
    glFinish();
  }
  return (NowMs() - start) / frames;
}

// A current context in the viewer's surface format with a framebuffer
// object of the window's picture size bound, as the window draws into one;
// `ok` is false, with a line on standard error, where there is none.
class OffscreenGl {
 public:
  OffscreenGl() {
    context_.setFormat(ViewerSurfaceFormat());
    if (!context_.create()) {
      std::fprintf(stderr, "no OpenGL context\n");
      return;
    }
    surface_.setFormat(context_.format());
    surface_.create();
    if (!context_.makeCurrent(&surface_)) {
      std::fprintf(stderr, "cannot make the OpenGL context current\n");
      return;
    }
    fbo_ = std::make_unique<QOpenGLFramebufferObject>(
        kOuterWidth, kOuterHeight, QOpenGLFramebufferObject::CombinedDepthStencil);
    fbo_->bind();
    ok = true;
  }
  ~OffscreenGl() {
    if (!ok) return;
    fbo_->release();
    fbo_.reset();
    context_.doneCurrent();
  }
  bool ok = false;

 private:
  QOpenGLContext context_;
  QOffscreenSurface surface_;
  std::unique_ptr<QOpenGLFramebufferObject> fbo_;
};

}  // namespace mv::bench
