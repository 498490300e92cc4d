// Frame benchmark: the viewer's own frame, all six elements on, against the
// floor of drawing the same line strips from one static vertex buffer with
// one multi-draw call, both into an offscreen framebuffer of the main
// window's size.
//
//   mv_frame_bench [--frames N] [--runs R] [--breakdown] [--cpu] [--lod | --simplified] [LEGS ...]
//
// --lod times only the simplified lines against the full ones; --simplified
// only the simplified ones, for a profiler to see them alone.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <QGuiApplication>
#include <QImage>
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
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "cave_gen.h"
#include "data/reader_table.h"
#include "data/survey_folder.h"
#include "gl_bench.h"
#include "median.h"
#include "render/draw_helpers.h"
#include "render/frame.h"
#include "render/gl_real.h"
#include "render/line_layout.h"
#include "render/scene_cache.h"
#include "shell/gl_view.h"
#include "source_files.h"
#include "ui/key_actions.h"
#include "ui/mouse_steering.h"
#include "view/camera.h"
#include "view/framing.h"
#include "view/install_load.h"
#include "view/picking.h"
#include "view/projection.h"
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

using mv::bench::kHeight;
using mv::bench::kSeed;
using mv::bench::kWidth;

using Clock = std::chrono::steady_clock;

using mv::bench::Median;
using mv::bench::NowMs;
using mv::bench::TimeFrames;

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
    mv::SetColour(gl, v.LineColor);
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

// The model's own bytes: stations, survey-line rows and the per-row and
// per-station vectors.
size_t ModelBytes(const mv::SurveyModel& m) {
  return m.stations.size() * sizeof(double) + m.lines.size() * sizeof(int32_t) +
         m.lineFlags.size() + m.stationFlags.size() + m.stationNames.Bytes() +
         m.lineSurvey.size() * sizeof(int32_t) + m.stationSurvey.size() * sizeof(int32_t);
}

struct Options {
  int frames = 20;
  int runs = 5;
  bool breakdown = false;
  bool levelsOnly = false;
  bool lodOnly = false;         // only the simplified lines against the full ones
  bool simplifiedOnly = false;  // and those without the full ones (for a profiler)
  std::string look;             // a folder for the pictures of the simplified frames
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
    else if (a == "--levels")
      o.levelsOnly = true;
    else if (a == "--lod")
      o.lodOnly = true;
    else if (a == "--simplified")
      o.lodOnly = o.simplifiedOnly = true;
    else if (a == "--look" && i + 1 < argc)
      o.look = argv[++i];
    else if (a == "--cpu")
      mv::bench::gCpuTime = true;
    else if (a == "--runs" && i + 1 < argc)
      o.runs = std::max(1, std::atoi(argv[++i]));
    else
      o.legs.push_back(std::atoll(a.c_str()));
  }
  if (o.legs.empty()) o.legs = {25000, 100000, 300000, 1000000};
  return o;
}

// What the parts of one survey size's benchmark share: the survey loaded
// with every element on, the renderer, the scene cache, the floor and how
// long the strips alone took to build.
struct Bench {
  int64_t legs;
  const Options& o;
  mv::AppState& state;
  mv::ViewState& v;
  const mv::SurveyModel& m;
  mv::RealGl& gl;
  mv::SceneCache& cache;
  const Floor& floor;
  double buildMs;

  void DepthColours();
  void StationNames();
  void LevelsOfDetail();
  void Pick();
  void Fit();
  void Visibility();
  void Breakdown();
};

// The same frame with the lines coloured by depth and the legend over it,
// against the same floor.
void Bench::DepthColours() {
  const mv::PictureGeometry picture{kWidth, kHeight, kWidth, kHeight, mv::kToolbarHeight, 1};
  v.DepthColours = true;
  TimeFrames(v, 3, [&] { mv::DrawFrame(gl, v, m, cache, &picture); });
  std::vector<double> coloured, plain;
  for (int run = 0; run < o.runs; ++run) {
    coloured.push_back(TimeFrames(v, o.frames, [&] { mv::DrawFrame(gl, v, m, cache, &picture); }));
    plain.push_back(TimeFrames(v, o.frames, [&] { floor.Draw(gl, v, m); }));
  }
  v.DepthColours = false;
  std::printf("frame legs=%lld depth=1 frame_ms=%.1f floor_ms=%.1f ratio=%.2f\n",
              static_cast<long long>(legs), Median(coloured), Median(plain),
              Median(coloured) / Median(plain));
}

// The same frame with every station's name that has room, against the
// frame without names.
void Bench::StationNames() {
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

// Zooms `f` 8 times about the axis, then turns it so that the middle of
// the upper left eighth of what the picture shows of the survey comes to
// the middle of the picture, where most of the survey lies outside it.
void ZoomIntoUpperLeft(mv::ViewState& f, const mv::SurveyModel& m) {
  mv::ui::ScaleZoom(f, 8);
  const mv::Mat4 mv = mv::FrameModelView(f), pr = mv::FrameProjection(kWidth, kHeight);
  double left = INFINITY, right = -INFINITY, top = -INFINITY, bottom = INFINITY;
  for (int32_t s = 0; s < m.StationCount(); ++s) {
    const mv::WindowPoint p =
        mv::Project(mv, pr, kWidth, kHeight, m.X(s) - f.CentreX.AsDouble(),
                    m.Y(s) - f.CentreY.AsDouble(), m.Z(s) - m.originZ.AsDouble());
    if (!p.visible) continue;
    left = std::min(left, std::max(p.x, -4.0 * kWidth));
    right = std::max(right, std::min(p.x, 5.0 * kWidth));
    bottom = std::min(bottom, std::max(p.y, -4.0 * kHeight));
    top = std::max(top, std::min(p.y, 5.0 * kHeight));
  }
  const double x = left + (right - left) / 16, y = top - (top - bottom) / 16;
  mv::ui::PanByDrag(f, static_cast<int>(std::lround(kWidth / 2.0 - x)),
                    static_cast<int>(std::lround(y - kHeight / 2.0)), kHeight);
}

// Saves the picture just drawn, for a look at what the benchmark drew.
void SavePicture(const std::string& path) {
  glFinish();
  QImage image(kWidth, kHeight, QImage::Format_RGBA8888);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
  image.mirrored().save(QString::fromStdString(path));
}

// The lines simplified to what the picture shows against the same frame
// drawn in full: fitted to the picture, then zoomed 8 times and turned to
// the upper left corner of the survey, where most of it lies outside the
// picture.
// Both with the picture's overlays, as the window draws them. From
// 300,000 legs, where it matters.
void Bench::LevelsOfDetail() {
  if (legs >= 300000) {
    const mv::PictureGeometry picture{kWidth, kHeight, kWidth, kHeight, mv::kToolbarHeight, 1};
    mv::AppState fitted = state;
    mv::FitNow(fitted, picture);
    mv::ViewState& f = fitted.view;
    f.TickCount = v.TickCount;
    mv::SceneCache full;
    full.SetSimplified(false);
    const auto levels = Clock::now();
    mv::SceneCache simplified;
    simplified.SurveyLines(m, f.CentreX, f.CentreY);
    const double levelsMs =
        std::chrono::duration<double, std::milli>(Clock::now() - levels).count() - buildMs;
    const mv::LineLayout& layout = simplified.Layout();
    std::printf(
        "# legs=%lld chunks=%zu levels_built_ms=%.1f (strips alone %.1f ms) level_bytes=%zu "
        "model_bytes=%zu\n",
        static_cast<long long>(legs), layout.chunks.size(), levelsMs, buildMs, layout.LevelBytes(),
        ModelBytes(m));
    // Each cache with a renderer of its own, so neither uploads its buffers
    // again when the other has drawn.
    mv::RealGl fullGl;
    for (const int zoom : {1, 8}) {
      if (zoom == 8) ZoomIntoUpperLeft(f, m);
      const auto drawn = [&](mv::SceneCache& c) {
        return c.ChooseLines(f, m, &picture).SegmentCount(c.Layout().stripSegments);
      };
      TimeFrames(f, 3, [&] { mv::DrawFrame(gl, f, m, simplified, &picture); });
      const int64_t lodSegments = drawn(simplified);
      TimeFrames(f, 3, [&] { mv::DrawFrame(fullGl, f, m, full, &picture); });
      std::vector<double> lod, whole;
      for (int run = 0; run < o.runs; ++run) {
        lod.push_back(
            TimeFrames(f, o.frames, [&] { mv::DrawFrame(gl, f, m, simplified, &picture); }));
        if (!o.simplifiedOnly)
          whole.push_back(
              TimeFrames(f, o.frames, [&] { mv::DrawFrame(fullGl, f, m, full, &picture); }));
      }
      if (!o.look.empty())
        for (const bool simple : {true, false}) {
          mv::DrawFrame(simple ? gl : fullGl, f, m, simple ? simplified : full, &picture);
          SavePicture(o.look + "/lines_" + std::to_string(legs) + "_zoom" + std::to_string(zoom) +
                      (simple ? "_lod.png" : "_full.png"));
        }
      std::printf("# legs=%lld lod=1%s segments drawn %lld of %lld\n", static_cast<long long>(legs),
                  zoom == 8 ? " zoom=8" : "", static_cast<long long>(lodSegments),
                  static_cast<long long>(layout.stripSegments));
      std::printf("frame legs=%lld lod=1%s frame_ms=%.1f full_ms=%.1f ratio=%.2f\n",
                  static_cast<long long>(legs), zoom == 8 ? " zoom=8" : "", Median(lod),
                  Median(whole), Median(lod) / Median(whole));
      std::fflush(stdout);
    }
    fullGl.ReleaseResources();
  }
}

// A click on the middle of the picture: the nearest shown station.
void Bench::Pick() {
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
void Bench::Fit() {
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

// The survey as a tree of a thousand parts: hiding one or highlighting
// one, the first frame after the change against an ordinary frame.
void Bench::Visibility() {
  mv::SurveyModel parts = m;
  constexpr int32_t kParts = 1000;
  parts.surveys.assign(1, {-1, ""});
  for (int32_t k = 0; k < kParts; ++k) parts.surveys.push_back({0, std::to_string(k)});
  const auto rows = static_cast<size_t>(std::max(parts.SurveyLineCount(), 1));
  parts.lineSurvey.resize(rows);
  for (size_t i = 0; i < rows; ++i)
    parts.lineSurvey[i] = 1 + static_cast<int32_t>(i * kParts / rows);
  parts.generation = mv::NextModelGeneration();
  mv::ViewState pv = v;
  const mv::PictureGeometry picture{kWidth, kHeight, kWidth, kHeight, 0, 1};
  mv::SceneCache partsCache;
  TimeFrames(pv, 3, [&] { mv::DrawFrame(gl, pv, parts, partsCache, &picture); });
  std::vector<double> change, steady;
  for (int run = 0; run < o.runs; ++run) {
    for (const bool highlight : {false, true}) {
      const int32_t node = 1 + (run * 37 + highlight * 500) % kParts;
      if (highlight) {
        pv.HiddenSurveys.clear();
        pv.HighlightedSurvey = node;
      } else {
        pv.HighlightedSurvey = -1;
        pv.HiddenSurveys.assign(kParts + 1, 0);
        pv.HiddenSurveys[static_cast<size_t>(node)] = 1;
      }
      const auto start = Clock::now();
      mv::DrawFrame(gl, pv, parts, partsCache, &picture);
      glFinish();
      change.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      steady.push_back(
          TimeFrames(pv, o.frames, [&] { mv::DrawFrame(gl, pv, parts, partsCache, &picture); }));
    }
  }
  std::printf("visibility legs=%lld parts=%d change_frame_ms=%.1f frame_ms=%.1f\n",
              static_cast<long long>(legs), kParts, Median(change), Median(steady));
}

// What each element adds: the frame with only that element on, less the
// frame with nothing but the clear and the camera.
void Bench::Breakdown() {
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
}

void BenchOne(int64_t legs, const Options& o) {
  const auto made = Clock::now();
  const mv::SurveyModel cave = mv::bench::GenerateCave(legs, kSeed);
  mv::AppState state;
  mv::SetStartParameters(state.view);
  if (!mv::InstallLoad(state, mv::bench::LoadCave(cave))) {
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
  {
    mv::SceneCache plain;
    plain.SetSimplified(false);
    plain.SurveyLines(m, v.CentreX, v.CentreY);
  }
  const double buildMs = std::chrono::duration<double, std::milli>(Clock::now() - build).count();
  const auto first = Clock::now();
  mv::DrawFrame(gl, v, m, cache);
  glFinish();
  const double firstMs = std::chrono::duration<double, std::milli>(Clock::now() - first).count();

  const Floor floor(cache.SurveyLines(m, v.CentreX, v.CentreY));
  Bench bench{legs, o, state, v, m, gl, cache, floor, buildMs};
  // A profiler sees the simplified lines alone.
  if (o.simplifiedOnly) {
    bench.LevelsOfDetail();
    gl.ReleaseResources();
    return;
  }
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

  if (o.lodOnly) {
    bench.LevelsOfDetail();
    gl.ReleaseResources();
    return;
  }
  bench.DepthColours();
  bench.StationNames();
  bench.LevelsOfDetail();
  bench.Pick();
  bench.Fit();
  std::fflush(stdout);
  bench.Visibility();
  std::fflush(stdout);
  bench.Breakdown();
  gl.ReleaseResources();
}

}  // namespace

// The time to lay out the lines with their levels, against the layout
// without them and against loading the survey from its folder (written
// once to a temporary folder), without OpenGL.
void BenchLevels(int64_t legs, const Options& o) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("mv_levels_" + std::to_string(legs));
  const std::filesystem::path lox = dir.string() + ".lox";
  const mv::SurveyModel cave = mv::bench::GenerateCave(legs, kSeed);
  for (const std::string& error :
       {mv::bench::WriteCave(cave, dir), mv::bench::WriteTherionLox(cave, lox)})
    if (!error.empty()) {
      std::fprintf(stderr, "%s\n", error.c_str());
      std::exit(1);
    }
  // The same survey opened as a .lox, the quickest of the formats a large
  // survey comes in.
  std::vector<double> open;
  for (int run = 0; run < o.runs; ++run) {
    const double start = NowMs();
    const mv::LoadResult r = mv::LoadSurveySource(lox);
    open.push_back(NowMs() - start);
    if (!r.ok) {
      std::fprintf(stderr, "%s\n", r.error.c_str());
      std::exit(1);
    }
  }
  std::filesystem::remove(lox);
  std::vector<double> load, plain, levels;
  size_t bytes = 0, modelBytes = 0;
  for (int run = 0; run < o.runs; ++run) {
    double start = NowMs();
    const mv::LoadResult r = mv::LoadSurveyFolder(dir);
    load.push_back(NowMs() - start);
    const mv::SurveyModel& m = r.model;
    start = NowMs();
    const mv::LineLayout a = mv::LayOutLines(m, false);
    plain.push_back(NowMs() - start);
    start = NowMs();
    const mv::LineLayout b = mv::LayOutLines(m, true);
    levels.push_back(NowMs() - start);
    bytes = b.LevelBytes();
    modelBytes = ModelBytes(m);
  }
  std::filesystem::remove_all(dir);
  const double built = Median(levels) - Median(plain);
  std::printf(
      "levels legs=%lld load_ms=%.1f layout_ms=%.1f levels_ms=%.1f share=%.2f lox_open_ms=%.1f "
      "lox_share=%.2f level_mb=%.1f model_mb=%.1f\n",
      static_cast<long long>(legs), Median(load), Median(plain), built, built / Median(load),
      Median(open), built / Median(open), bytes / 1e6, modelBytes / 1e6);
}

int main(int argc, char** argv) {
  const Options o = Parse(argc, argv);
  if (o.levelsOnly) {
    for (const int64_t legs : o.legs) BenchLevels(legs, o);
    return 0;
  }
  QSurfaceFormat::setDefaultFormat(mv::ViewerSurfaceFormat());
  QGuiApplication app(argc, argv);

  const mv::bench::OffscreenGl offscreen;
  if (!offscreen.ok) return 1;
  std::printf("# renderer: %s, OpenGL %s, %dx%d framebuffer\n",
              reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
              reinterpret_cast<const char*>(glGetString(GL_VERSION)), kWidth, kHeight);

  for (const int64_t legs : o.legs) BenchOne(legs, o);
  return 0;
}
