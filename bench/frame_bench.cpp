// Frame benchmark: the viewer's own frame, all six elements on, against the
// floor of drawing the same line strips from one static vertex buffer with
// one multi-draw call, both into an offscreen framebuffer of the main
// window's size.
//
//   mv_frame_bench [--frames N] [--runs R] [--breakdown] [--cpu] [LEGS ...]
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "cave_gen.h"
#include "data/loader.h"
#include "median.h"
#include "render/draw_helpers.h"
#include "render/frame.h"
#include "render/gl_real.h"
#include "render/scene_cache.h"
#include "shell/gl_view.h"
#include "view/camera.h"
#include "view/framing.h"
#include "view/picking.h"
#include "view/survey_loading.h"
#include "view/view_state.h"

// Every C++ allocation of the process is counted, so the benchmark can tell
// whether drawing a frame allocates.
namespace {
std::atomic<uint64_t> gAllocations{0};
}  // namespace

void* operator new(size_t n) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, size_t) noexcept {
  std::free(p);
}

namespace {

constexpr int kWidth = mv::kOuterWidth;
constexpr int kHeight = mv::kOuterHeight;
constexpr uint64_t kSeed = 20240611;

using Clock = std::chrono::steady_clock;

using mv::bench::Median;

// The floor: the strips in one static buffer, one multi-draw, under the same
// camera and depth test as the frame, and nothing else.
class Floor {
 public:
  explicit Floor(const mv::LineStripBatch& b)
      : first_(b.first, b.first + b.strips), count_(b.count, b.count + b.strips) {
    glGenBuffers(1, &buffer_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(b.vertices) * 3 * sizeof(float), b.xyz,
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
  }
  ~Floor() { glDeleteBuffers(1, &buffer_); }

  void Draw(mv::GlApi& gl, const mv::ViewState& v, const mv::SurveyModel& m) const {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    mv::SetFrameCamera(gl, v);
    glEnable(GL_DEPTH_TEST);
    mv::SetColor(gl, v.LineColor);
    glTranslatef(0, 0, -static_cast<float>(m.originZ.AsDouble()));
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glMultiDrawArrays(GL_LINE_STRIP, first_.data(), count_.data(),
                      static_cast<GLsizei>(first_.size()));
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
  }

 private:
  std::vector<GLint> first_;
  std::vector<GLsizei> count_;
  GLuint buffer_ = 0;
};

// With --cpu, the processor time of all the process's threads instead of
// the wall clock: steadier on a machine shared with other work, for finding
// where the time goes.
bool gCpuTime = false;

double NowMs() {
  if (!gCpuTime)
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Options {
  int frames = 20;
  int runs = 5;
  bool breakdown = false;
  std::vector<int64_t> legs;
};

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--frames" && i + 1 < argc)
      o.frames = std::max(1, std::atoi(argv[++i]));
    else if (a == "--breakdown")
      o.breakdown = true;
    else if (a == "--cpu")
      gCpuTime = true;
    else if (a == "--runs" && i + 1 < argc)
      o.runs = std::max(1, std::atoi(argv[++i]));
    else
      o.legs.push_back(std::atoll(a.c_str()));
  }
  if (o.legs.empty()) o.legs = {25000, 100000, 300000, 1000000};
  return o;
}

// Milliseconds per frame over `frames` frames at advancing ticks, each
// finished before the next starts.
template <typename DrawOne>
double TimeFrames(mv::ViewState& v, int frames, DrawOne draw) {
  const double start = NowMs();
  for (int f = 0; f < frames; ++f) {
    mv::AdvanceTick(v);
    draw();
    glFinish();
  }
  return (NowMs() - start) / frames;
}

void BenchOne(int64_t legs, const Options& o) {
  const auto made = Clock::now();
  const mv::SurveyModel cave = mv::bench::GenerateCave(legs, kSeed);
  mv::AppState state;
  mv::SetStartParameters(state.view);
  if (!mv::ApplyLoad(state, mv::bench::LoadCave(cave))) {
    std::fprintf(stderr, "generated survey of %lld legs did not load\n",
                 static_cast<long long>(legs));
    std::exit(1);
  }
  mv::ViewState& v = state.view;
  v.LinesVisible = v.AxisVisible = v.AxisMoveMode = v.ScaleVisible = v.GraduationVisible =
      v.WindRoseVisible = v.EntrancesVisible = true;
  const mv::SurveyModel& m = state.survey;
  std::printf(
      "# legs=%lld stations=%d line_records=%d box=%.0fx%.0fx%.0f m generated and read in %.0f "
      "ms\n",
      static_cast<long long>(mv::bench::Legs(cave)), cave.StationCount(), cave.SurveyLineCount(),
      static_cast<double>(v.Box.maxX - v.Box.minX), static_cast<double>(v.Box.maxY - v.Box.minY),
      static_cast<double>(v.Box.maxZ - v.Box.minZ),
      std::chrono::duration<double, std::milli>(Clock::now() - made).count());

  mv::RealGl gl;
  mv::SceneCache cache;
  gl.Viewport(0, 0, kWidth, kHeight);
  mv::SetProjection(gl, kWidth, kHeight);

  // The first frame builds the strips and fills the buffer; time it apart,
  // and the building of the strips alone.
  const auto build = Clock::now();
  mv::SceneCache().SurveyLines(m, v.CentreX, v.CentreY);
  const double buildMs = std::chrono::duration<double, std::milli>(Clock::now() - build).count();
  const auto first = Clock::now();
  mv::DrawFrame(gl, v, m, cache);
  glFinish();
  const double firstMs = std::chrono::duration<double, std::milli>(Clock::now() - first).count();

  const Floor floor(cache.SurveyLines(m, v.CentreX, v.CentreY));
  // Warm up both paths: the renderer compiles its shaders on first use.
  TimeFrames(v, 3, [&] { floor.Draw(gl, v, m); });
  TimeFrames(v, 3, [&] { mv::DrawFrame(gl, v, m, cache); });

  const uint64_t allocBefore = gAllocations.load();
  TimeFrames(v, o.frames, [&] { mv::DrawFrame(gl, v, m, cache); });
  const double allocsPerFrame = static_cast<double>(gAllocations.load() - allocBefore) / o.frames;

  // Frame and floor in turn, so a slower spell of the machine hits both.
  std::vector<double> frame, base;
  for (int run = 0; run < o.runs; ++run) {
    frame.push_back(TimeFrames(v, o.frames, [&] { mv::DrawFrame(gl, v, m, cache); }));
    base.push_back(TimeFrames(v, o.frames, [&] { floor.Draw(gl, v, m); }));
  }
  const double frameMs = Median(frame), floorMs = Median(base);
  std::printf(
      "# legs=%lld strips_built_ms=%.1f first_frame_ms=%.1f allocations_per_frame=%.1f runs=%d "
      "frames=%d\n",
      static_cast<long long>(legs), buildMs, firstMs, allocsPerFrame, o.runs, o.frames);
  std::printf("frame legs=%lld frame_ms=%.1f floor_ms=%.1f ratio=%.2f\n",
              static_cast<long long>(legs), frameMs, floorMs, frameMs / floorMs);
  std::fflush(stdout);

  // The same frame with the lines coloured by depth and the legend over it,
  // against the same floor.
  {
    const mv::PictureGeometry picture{kWidth, kHeight, kWidth, kHeight, mv::kToolbarHeight, 1};
    v.DepthColours = true;
    TimeFrames(v, 3, [&] { mv::DrawFrame(gl, v, m, cache, &picture); });
    std::vector<double> coloured, plain;
    for (int run = 0; run < o.runs; ++run) {
      coloured.push_back(
          TimeFrames(v, o.frames, [&] { mv::DrawFrame(gl, v, m, cache, &picture); }));
      plain.push_back(TimeFrames(v, o.frames, [&] { floor.Draw(gl, v, m); }));
    }
    v.DepthColours = false;
    std::printf("frame legs=%lld depth=1 frame_ms=%.1f floor_ms=%.1f ratio=%.2f\n",
                static_cast<long long>(legs), Median(coloured), Median(plain),
                Median(coloured) / Median(plain));
  }

  // The same frame with every station's name that has room, against the
  // frame without names.
  {
    const mv::PictureGeometry picture{kWidth, kHeight, kWidth, kHeight, mv::kToolbarHeight, 1};
    TimeFrames(v, 3, [&] { mv::DrawFrame(gl, v, m, cache, &picture); });
    std::vector<double> named, plain;
    for (int run = 0; run < o.runs; ++run) {
      v.StationNamesVisible = true;
      named.push_back(TimeFrames(v, o.frames, [&] { mv::DrawFrame(gl, v, m, cache, &picture); }));
      v.StationNamesVisible = false;
      plain.push_back(TimeFrames(v, o.frames, [&] { mv::DrawFrame(gl, v, m, cache, &picture); }));
    }
    std::printf("frame legs=%lld labels=1 frame_ms=%.1f plain_ms=%.1f ratio=%.2f\n",
                static_cast<long long>(legs), Median(named), Median(plain),
                Median(named) / Median(plain));
  }

  // A click on the middle of the picture: the nearest shown station.
  {
    const mv::PictureGeometry picture{kWidth, kHeight, kWidth, kHeight, mv::kToolbarHeight, 1};
    const std::vector<int32_t>& stations = cache.LineStations(m, v);
    const std::vector<int32_t>& entrances = cache.Entrances(m, v);
    std::vector<double> t;
    for (int run = 0; run < o.runs; ++run) {
      const auto start = Clock::now();
      const int32_t row =
          mv::NearestStation(v, m, picture, {&stations, &entrances}, kWidth / 2.0, kHeight / 2.0);
      t.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      if (row < -1) std::abort();
    }
    std::printf("pick stations=%d pick_ms=%.1f\n", m.StationCount(), Median(t));
  }

  // Fitting the view to the survey, stations read included.
  {
    std::vector<double> t;
    for (int run = 0; run < o.runs; ++run) {
      mv::AppState fitted = state;
      const auto start = Clock::now();
      mv::FitNow(fitted, {kWidth, kHeight, kWidth - 4, kHeight - 31, mv::kToolbarHeight, 1});
      t.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::printf("fit stations=%d fit_ms=%.1f\n", m.StationCount(), Median(t));
    // As a cave map: every element shown held, the overlays' room left free.
    t.clear();
    for (int run = 0; run < o.runs; ++run) {
      mv::AppState fitted = state;
      fitted.view.MapStyle = fitted.view.DepthColours = fitted.view.MapOverlaysVisible = true;
      const auto start = Clock::now();
      mv::FitNow(fitted, {kWidth, kHeight, kWidth - 4, kHeight - 31, mv::kToolbarHeight, 1});
      t.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::printf("fit stations=%d elements=1 fit_ms=%.1f\n", m.StationCount(), Median(t));
  }
  std::fflush(stdout);

  // What each element adds: the frame with only that element on, less the
  // frame with nothing but the clear and the camera.
  if (o.breakdown) {
    const mv::ViewState all = v;
    bool* flags[] = {&v.LinesVisible, &v.AxisVisible,     &v.AxisMoveMode,
                     &v.ScaleVisible, &v.WindRoseVisible, &v.EntrancesVisible};
    const char* names[] = {"lines", "axis", "marker", "scale", "rose", "entrances"};
    for (bool* f : flags) *f = false;
    std::vector<double> none;
    for (int run = 0; run < o.runs; ++run)
      none.push_back(TimeFrames(v, o.frames, [&] { mv::DrawFrame(gl, v, m, cache); }));
    std::printf("#   empty frame %.2f ms\n", Median(none));
    for (int k = 0; k < 6; ++k) {
      *flags[k] = true;
      std::vector<double> t;
      const uint64_t before = gAllocations.load();
      for (int run = 0; run < o.runs; ++run)
        t.push_back(TimeFrames(v, o.frames, [&] { mv::DrawFrame(gl, v, m, cache); }));
      const double allocs = static_cast<double>(gAllocations.load() - before) / (o.runs * o.frames);
      std::printf("#   + %s %.2f ms, %.1f allocations\n", names[k], Median(t) - Median(none),
                  allocs);
      *flags[k] = false;
    }
    v = all;
  }
  gl.ReleaseResources();
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = Parse(argc, argv);
  QSurfaceFormat::setDefaultFormat(mv::ViewerSurfaceFormat());
  QGuiApplication app(argc, argv);

  QOpenGLContext context;
  context.setFormat(mv::ViewerSurfaceFormat());
  if (!context.create()) {
    std::fprintf(stderr, "no OpenGL context\n");
    return 1;
  }
  QOffscreenSurface surface;
  surface.setFormat(context.format());
  surface.create();
  if (!context.makeCurrent(&surface)) {
    std::fprintf(stderr, "cannot make the OpenGL context current\n");
    return 1;
  }
  // The window's picture is drawn into a framebuffer object like this one.
  QOpenGLFramebufferObject fbo(kWidth, kHeight, QOpenGLFramebufferObject::CombinedDepthStencil);
  fbo.bind();
  std::printf("# renderer: %s, OpenGL %s, %dx%d framebuffer\n",
              reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
              reinterpret_cast<const char*>(glGetString(GL_VERSION)), kWidth, kHeight);

  for (const int64_t legs : o.legs) BenchOne(legs, o);
  fbo.release();
  context.doneCurrent();
  return 0;
}
