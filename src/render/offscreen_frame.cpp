#include "render/offscreen_frame.h"

#include <GL/gl.h>

#include <cmath>

#include "render/frame.h"

namespace mv {

OffscreenGl::OffscreenGl(int width, int height) : width_(width), height_(height) {
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setDepthBufferSize(24);
  surface_.setFormat(format);
  surface_.create();
  context_.setFormat(format);
  if (width_ <= 0 || height_ <= 0) {
    error_ = "the picture has no size";
  } else if (!surface_.isValid()) {
    error_ = "no offscreen surface for OpenGL";
  } else if (!context_.create()) {
    error_ = "no OpenGL context can be created";
  } else if (!context_.makeCurrent(&surface_)) {
    error_ = "cannot make the OpenGL context current";
  } else {
    hasOpenGl_ = true;
    fbo_ = std::make_unique<QOpenGLFramebufferObject>(width_, height_,
                                                      QOpenGLFramebufferObject::Depth);
    if (!fbo_->isValid()) error_ = "no framebuffer object of that size";
    context_.doneCurrent();
  }
}

OffscreenGl::~OffscreenGl() {
  if (context_.makeCurrent(&surface_)) {
    gl_.ReleaseResources();
    fbo_.reset();
    context_.doneCurrent();
  }
}

QImage OffscreenGl::Read() {
  glFinish();
  QImage image = fbo_->toImage();
  fbo_->release();
  context_.doneCurrent();
  return image.convertToFormat(QImage::Format_RGB32);
}

QImage OffscreenGl::Frame(const ViewState& v, const SurveyModel& m,
                          const PictureGeometry* picture) {
  if (!error_.empty() || !context_.makeCurrent(&surface_)) return {};
  fbo_->bind();
  if (picture) {
    const double r = picture->pixelRatio;
    gl_.Viewport(0, 0, static_cast<int>(std::lround(picture->outerWidth * r)),
                 static_cast<int>(std::lround(picture->outerHeight * r)));
    SetProjection(gl_, picture->outerWidth, picture->outerHeight);
  } else {
    gl_.Viewport(0, 0, width_, height_);
    SetProjection(gl_, width_, height_);
  }
  DrawFrame(gl_, v, m, cache_, picture);
  return Read();
}

QImage OffscreenGl::Draw(const std::function<void(GlApi&)>& draw) {
  if (!error_.empty() || !context_.makeCurrent(&surface_)) return {};
  fbo_->bind();
  gl_.Viewport(0, 0, width_, height_);
  gl_.MatrixMode(MatrixKind::Projection);
  gl_.LoadIdentity();
  gl_.MatrixMode(MatrixKind::ModelView);
  gl_.LoadIdentity();
  gl_.ClearColor(0, 0, 0, 1);
  gl_.ClearColourAndDepth();
  gl_.EnableDepthTest();
  draw(gl_);
  return Read();
}

}  // namespace mv
