// Passage walls benchmark: building the walls of a generated cave with a
// cross-section at every station (time per 10,000 sections, memory per
// section), and the viewer's frame with the walls against the same frame
// without them, fitted and zoomed in, into an offscreen framebuffer of the
// main window's size.
//
//   mv_walls_bench [--frames N] [--runs R] [--cpu] [SECTIONS ...]
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "cave_gen.h"
#include "data/passage_walls.h"
#include "gl_bench.h"
#include "median.h"
#include "render/frame.h"
#include "render/gl_real.h"
#include "render/scene_cache.h"
#include "shell/gl_view.h"
#include "view/framing.h"
#include "view/install_load.h"

namespace {

using mv::bench::kHeight;
using mv::bench::kSeed;
using mv::bench::kWidth;

using Clock = std::chrono::steady_clock;
using mv::bench::Median;
using mv::bench::NowMs;
using mv::bench::TimeFrames;

double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// A size from 'lo' to 'hi' metres, the same for the same key on every run.
float Size(uint64_t key, float lo, float hi) {
  key = (key ^ (key >> 31)) * 0x7fb5d329728ea185ull;
  key = (key ^ (key >> 27)) * 0x81dadef4bc2dd44dull;
  key ^= key >> 33;
  return lo + (hi - lo) * static_cast<float>(key % 1000) / 1000.0f;
}

// Every survey-line record of the cave as a passage, a section at each of
// its stations, until `sections` are made.
void AddSections(mv::SurveyModel& m, int64_t sections) {
  for (int32_t row = 0; row < m.SurveyLineCount() && int64_t(m.sections.size()) < sections; ++row) {
    const int32_t* l = m.Line(row);
    for (int32_t k = 1; k <= l[0] + 1; ++k) {
      const uint64_t key = m.sections.size() * 4;
      m.sections.push_back({l[k], Size(key, 0.5f, 3), Size(key + 1, 0.5f, 3),
                            Size(key + 2, 0.5f, 4), Size(key + 3, 0.2f, 1.5f),
                            uint8_t(k == l[0] + 1 ? mv::kSectionEnd : 0)});
    }
  }
  m.sections.back().flags |= mv::kSectionEnd;
  m.generation = mv::NextModelGeneration();
}

void BenchOne(int64_t sections, int frames, int runs) {
  // About one section a leg, with one more at each record's start.
  mv::LoadResult load = mv::bench::LoadCave(mv::bench::GenerateCave(sections, kSeed));
  if (!load.ok) {
    std::fprintf(stderr, "the generated cave did not load: %s\n", load.error.c_str());
    std::exit(1);
  }
  AddSections(load.model, sections);
  const int64_t made = static_cast<int64_t>(load.model.sections.size());

  // Building the walls, alone.
  std::vector<double> build;
  size_t bytes = 0, gpu = 0;
  for (int run = 0; run < runs; ++run) {
    const auto start = Clock::now();
    const mv::PassageWalls w = mv::BuildPassageWalls(load.model);
    build.push_back(Ms(start));
    bytes = w.Bytes();
    gpu = w.vertices.size() * sizeof(mv::WallVertex);
  }
  const double buildMs = Median(build);
  std::printf("walls build sections=%lld build_ms=%.1f ms_per_10k=%.1f bytes_per_section=%.0f\n",
              static_cast<long long>(made), buildMs, buildMs * 10000 / made,
              static_cast<double>(bytes) / made);
  std::printf(
      "# the GPU's copy of the vertices: %.0f bytes a section, and the triangles of "
      "the frame\n",
      static_cast<double>(gpu) / made);

  // The frame, fitted as the viewer opens it, every element on.
  mv::AppState state;
  mv::SetStartParameters(state.view);
  mv::InstallLoad(state, std::move(load));
  mv::FitNow(state, {kWidth, kHeight, kWidth, kHeight, 0, 1});
  mv::ViewState& v = state.view;
  v.LinesVisible = v.AxisVisible = v.ScaleVisible = v.GraduationVisible = v.WindRoseVisible =
      v.EntrancesVisible = true;
  const mv::SurveyModel& m = state.survey;
  mv::RealGl gl;
  mv::SceneCache cache;
  gl.Viewport(0, 0, kWidth, kHeight);
  mv::SetProjection(gl, kWidth, kHeight);
  v.WallsVisible = true;
  const auto first = Clock::now();
  mv::DrawFrame(gl, v, m, cache);
  glFinish();
  std::printf("# sections=%lld first frame with the walls (built and uploaded) %.0f ms\n",
              static_cast<long long>(made), Ms(first));

  for (const double zoom : {1.0, 3.0, 8.0}) {
    const mv::Real48 fitted = v.ZoomScale;
    v.ZoomScale = static_cast<long double>(fitted) * zoom;
    for (const bool walls : {true, false}) {
      v.WallsVisible = walls;
      TimeFrames(v, 3, [&] { mv::DrawFrame(gl, v, m, cache); });
    }
    std::vector<double> with, without;
    for (int run = 0; run < runs; ++run) {
      v.WallsVisible = true;
      with.push_back(TimeFrames(v, frames, [&] { mv::DrawFrame(gl, v, m, cache); }));
      v.WallsVisible = false;
      without.push_back(TimeFrames(v, frames, [&] { mv::DrawFrame(gl, v, m, cache); }));
    }
    // How much of the walls the last frame drew.
    int fine = 0, coarse = 0;
    for (const mv::WallDetail d : cache.Walls().Detail()) {
      fine += d == mv::WallDetail::kFine;
      coarse += d == mv::WallDetail::kCoarse;
    }
    std::printf("# zoom %.0f: chunks fine %d, coarse %d, of %zu\n", zoom, fine, coarse,
                cache.Walls().Detail().size());
    std::printf("walls sections=%lld zoom=%.0f frame_ms=%.1f plain_ms=%.1f ratio=%.2f\n",
                static_cast<long long>(made), zoom, Median(with), Median(without),
                Median(with) / Median(without));
    v.ZoomScale = fitted;
  }
  std::fflush(stdout);
  gl.ReleaseResources();
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 20, runs = 5;
  std::vector<int64_t> sizes;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--frames" && i + 1 < argc)
      frames = std::max(1, std::atoi(argv[++i]));
    else if (a == "--runs" && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else if (a == "--cpu")
      mv::bench::gCpuTime = true;
    else
      sizes.push_back(std::atoll(a.c_str()));
  }
  if (sizes.empty()) sizes = {10000, 100000};
  QSurfaceFormat::setDefaultFormat(mv::ViewerSurfaceFormat());
  QGuiApplication app(argc, argv);
  const mv::bench::OffscreenGl offscreen;
  if (!offscreen.ok) return 1;
  for (const int64_t n : sizes) BenchOne(n, frames, runs);
  return 0;
}
