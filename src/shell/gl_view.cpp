#include "shell/gl_view.h"

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QWheelEvent>

#include "render/frame.h"

namespace mv {

QSurfaceFormat ViewerSurfaceFormat() {
  QSurfaceFormat f;
  f.setRenderableType(QSurfaceFormat::OpenGL);
  f.setProfile(QSurfaceFormat::CompatibilityProfile);
  f.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  f.setRedBufferSize(8);
  f.setGreenBufferSize(8);
  f.setBlueBufferSize(8);
  f.setAlphaBufferSize(8);
  f.setDepthBufferSize(32);
  f.setStencilBufferSize(0);
  return f;
}

GlView::GlView(AppState& state, QWidget* parent) : QOpenGLWidget(parent), state_(state) {
  setFormat(ViewerSurfaceFormat());
  // Nothing is painted between OpenGL frames.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  // The right button pans; it opens no menu.
  setContextMenuPolicy(Qt::PreventContextMenu);
}

GlView::~GlView() {
  ReleaseContext();
  // The base class deletes the context after this class's members are gone;
  // the context's last signal must not reach them.
  if (QOpenGLContext* c = context()) disconnect(c, nullptr, this, nullptr);
}

void GlView::ReleaseContext() {
  if (released_) return;
  released_ = true;
  if (initialized_ && context()) {
    makeCurrent();
    gl_.ReleaseResources();
    doneCurrent();
  }
  cache_.Clear();
  ++deletions_;
}

void GlView::initializeGL() {
  initialized_ = true;
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
    makeCurrent();
    gl_.ReleaseResources();
    doneCurrent();
  });
  ApplyProjection();
}

void GlView::SetOuterSize(QSize outer) {
  outer_ = outer;
  if (!initialized_ || released_) return;
  makeCurrent();
  ApplyProjection();
  doneCurrent();
  update();
}

void GlView::ApplyViewport() {
  const qreal dpr = devicePixelRatioF();
  gl_.Viewport(0, 0, qRound(outer_.width() * dpr), qRound(outer_.height() * dpr));
}

void GlView::ApplyProjection() {
  ApplyViewport();
  SetProjection(gl_, outer_.width(), outer_.height());
}

void GlView::resizeGL(int, int) {
  ApplyProjection();
}

PictureGeometry GlView::Picture() const {
  return {outer_.width(), outer_.height(), width(), height(), kToolbarHeight, devicePixelRatioF()};
}

void GlView::paintGL() {
  if (released_) return;
  // The widget sets its own viewport before every paint; put back the one
  // that follows the outer size of the window.
  ApplyViewport();
  if (beforeFrame_) beforeFrame_();
  const PictureGeometry picture = Picture();
  DrawFrame(gl_, state_.view, state_.survey, cache_, &picture);
  ++frames_;
}

namespace {

ui::DragButton DragButtonOf(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton:
      return ui::DragButton::Left;
    case Qt::RightButton:
      return ui::DragButton::Right;
    default:
      return ui::DragButton::None;
  }
}

Qt::MouseButton QtButtonOf(ui::DragButton b) {
  return b == ui::DragButton::Left    ? Qt::LeftButton
         : b == ui::DragButton::Right ? Qt::RightButton
                                      : Qt::NoButton;
}

}  // namespace

void GlView::mousePressEvent(QMouseEvent* e) {
  // A release that never arrived (a modal box took the mouse) must not keep
  // the old drag alive.
  const ui::DragButton held = steering_.Held();
  if (held != ui::DragButton::None && !(e->buttons() & QtButtonOf(held))) steering_.Release(held);
  const QPoint p = e->position().toPoint();
  steering_.Press(DragButtonOf(e->button()), p.x(), p.y());
  e->accept();
}

void GlView::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  steering_.Move(state_.view, p.x(), p.y(), outer_.height());
  e->accept();
}

void GlView::mouseReleaseEvent(QMouseEvent* e) {
  if (steering_.Release(DragButtonOf(e->button())) && clicked_) {
    const QPointF p = e->position();
    clicked_(p.x(), p.y(), e->modifiers().testFlag(Qt::ShiftModifier));
  }
  e->accept();
}

void GlView::wheelEvent(QWheelEvent* e) {
  steering_.Wheel(state_.view, e->angleDelta().y());
  e->accept();
}

}  // namespace mv
