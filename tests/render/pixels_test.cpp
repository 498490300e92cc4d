// Real OpenGL: frames rendered offscreen with the production seam and read
// back. Each element shows in its own colour, and any combination of elements
// is the union of the single-element pictures, the nearer one winning where
// they overlap.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "data/survey_folder.h"
#include "render/depth_colours.h"
#include "render/offscreen_frame.h"
#include "view/install_load.h"

namespace mv::test {
namespace {

enum Ink { kBlack, kRed, kGreen, kBlue, kOther };
constexpr const char* kInkNames[] = {"black", "red", "green", "blue", "other"};

Ink InkOf(QRgb p) {
  switch (p & 0xffffff) {
    case 0x000000:
      return kBlack;
    case 0xff0000:
      return kRed;
    case 0x00ff00:
      return kGreen;
    case 0x0000ff:
      return kBlue;
    default:
      return kOther;
  }
}

// Pixels of each ink.
std::array<int, 5> Count(const QImage& image) {
  std::array<int, 5> n{};
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) ++n[InkOf(image.pixel(x, y))];
  return n;
}

std::string Describe(const std::array<int, 5>& n) {
  std::string s;
  for (int i = 0; i < 5; ++i) s += std::string(kInkNames[i]) + " " + std::to_string(n[i]) + "  ";
  return s;
}

// Keeps a picture that failed its check beside the test binary.
void Keep(const QImage& image, const std::string& name) {
  const std::string path = std::string(MV_ARTIFACT_DIR) + "/pixels_" + name + ".png";
  image.save(QString::fromStdString(path));
  ADD_FAILURE() << "picture saved as " << path;
}

// A hand-made cave of 46 stations under an entrance at a non-zero origin: a
// trunk that winds down 60 m and two side passages, about 90 x 70 x 70 m.
AppState HandMadeCave() {
  SurveyModel m;
  m.originX = 40, m.originY = -25, m.originZ = 120;
  const auto add = [&](double x, double y, double z) {
    m.stations.insert(m.stations.end(), {40 + x, -25 + y, 120 + z});
    return m.StationCount() - 1;
  };
  std::vector<int32_t> trunk;
  for (int i = 0; i < 26; ++i) {
    const double a = i * 0.25;
    trunk.push_back(add(3.4 * i * std::cos(a) * 0.5 + 2 * i, 20 * std::sin(a), -2.4 * i));
  }
  std::vector<int32_t> east{trunk[12]}, west{trunk[20]};
  for (int i = 1; i <= 10; ++i) east.push_back(add(30 + 2 * i, 2.5 * i, -30 + 0.5 * i));
  for (int i = 1; i <= 10; ++i) west.push_back(add(40 - 1.5 * i, -40 - 3 * i, -48 - i));
  const auto asLine = [&](const std::vector<int32_t>& rows) {
    std::array<int32_t, kLineColumns> r{};
    r[0] = static_cast<int32_t>(rows.size()) - 1;
    for (size_t j = 0; j < rows.size(); ++j) r[j + 1] = rows[j];
    m.lines.insert(m.lines.end(), r.begin(), r.end());
  };
  // The trunk in two lines that share a station, then the side passages.
  asLine({trunk.begin(), trunk.begin() + 14});
  asLine({trunk.begin() + 13, trunk.end()});
  asLine(east);
  asLine(west);
  m.entranceCount = 2;
  m.entrances = {trunk[0], east.back()};

  AppState s;
  SetStartParameters(s.view);
  const bool ok = InstallLoad(s, FinishLoad(std::move(m)));
  EXPECT_TRUE(ok);
  s.view.TickCount = 30;
  return s;
}

void Show(ViewState& v, int mask) {
  v.LinesVisible = mask & 1;
  v.AxisVisible = mask & 2;
  v.AxisMoveMode = mask & 4;
  v.ScaleVisible = mask & 8;
  v.WindRoseVisible = mask & 16;
  v.EntrancesVisible = mask & 32;
}

constexpr const char* kElements[] = {"lines", "axis", "marker", "scale", "rose", "entrances"};
constexpr Ink kElementInk[] = {kRed, kBlue, kBlue, kGreen, kGreen, kRed};

class Pixels : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { gl_ = new OffscreenGl(); }
  static void TearDownTestSuite() {
    delete gl_;
    gl_ = nullptr;
  }
  void SetUp() override { ASSERT_EQ(gl_->Error(), ""); }

  // Checks the six single-element pictures and every combination of them.
  void CheckScene(AppState& s, const std::string& name) {
    QImage single[6];
    for (int i = 0; i < 6; ++i) {
      SCOPED_TRACE(kElements[i]);
      Show(s.view, 1 << i);
      single[i] = gl_->Frame(s.view, s.survey);
      ASSERT_EQ(single[i].size(), QSize(kOuterWidth, kOuterHeight));
      const std::array<int, 5> n = Count(single[i]);
      // An element alone shows in its colour only.
      bool right = n[kElementInk[i]] > 0 && n[kOther] == 0;
      for (Ink ink : {kRed, kGreen, kBlue})
        if (ink != kElementInk[i] && n[ink] != 0) right = false;
      if (!right) {
        ADD_FAILURE() << Describe(n);
        Keep(single[i], name + "_" + kElements[i]);
      }
    }
    for (int mask = 0; mask < 64; ++mask) {
      SCOPED_TRACE("elements " + std::to_string(mask));
      Show(s.view, mask);
      const QImage image = gl_->Frame(s.view, s.survey);
      ASSERT_EQ(image.size(), QSize(kOuterWidth, kOuterHeight));
      int wrong = 0;
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
          // Black where every shown element is black; otherwise the colour
          // of one of the elements drawn there.
          const Ink got = InkOf(image.pixel(x, y));
          bool any = false, match = false;
          for (int i = 0; i < 6; ++i) {
            if (!(mask & (1 << i))) continue;
            const Ink ink = InkOf(single[i].pixel(x, y));
            if (ink == kBlack) continue;
            any = true;
            if (ink == got) match = true;
          }
          if (any ? !match : got != kBlack) ++wrong;
        }
      if (wrong != 0) {
        ADD_FAILURE() << wrong << " pixels differ from the union of the single elements";
        Keep(image, name + "_mask" + std::to_string(mask));
      }
      // Switching an element off removes its colour when no other element
      // shares it.
      const std::array<int, 5> n = Count(image);
      EXPECT_EQ(n[kRed] > 0, (mask & (1 | 32)) != 0) << Describe(n);
      EXPECT_EQ(n[kBlue] > 0, (mask & (2 | 4)) != 0) << Describe(n);
      EXPECT_EQ(n[kGreen] > 0, (mask & (8 | 16)) != 0) << Describe(n);
    }
  }

  static OffscreenGl* gl_;
};

OffscreenGl* Pixels::gl_ = nullptr;

TEST_F(Pixels, HandMadeCaveElementsByColourAndUnion) {
  AppState s = HandMadeCave();
  CheckScene(s, "handmade");
}

TEST_F(Pixels, SampleCaveElementsByColourAndUnion) {
  const std::filesystem::path dir = MV_SAMPLE_DIR;
  if (!std::filesystem::exists(dir / "Dane.bin")) GTEST_SKIP() << "no sample cave in " << dir;
  AppState s;
  SetStartParameters(s.view);
  ASSERT_TRUE(InstallLoad(s, LoadSurveyFolder(dir)));
  s.view.TickCount = 30;
  CheckScene(s, "sample");
}

// GL state the solids must leave alone: current colour and model-view matrix.
struct SolidState {
  std::array<float, 4> colour;
  std::array<float, 16> matrix;
  GLenum error;
  bool operator==(const SolidState&) const = default;
};

SolidState ReadState() {
  SolidState s{};
  glGetFloatv(GL_CURRENT_COLOR, s.colour.data());
  glGetFloatv(GL_MODELVIEW_MATRIX, s.matrix.data());
  s.error = glGetError();
  return s;
}

TEST_F(Pixels, SolidsOfNoSizeDrawNothingAndChangeNoState) {
  SolidState before{}, after{};
  const QImage image = gl_->Draw([&](GlApi& gl) {
    gl.Color3ub(10, 200, 30);
    gl.Translatef(0.1f, 0.2f, 0.3f);
    gl.Rotatef(30, 1, 1, 0);
    before = ReadState();
    gl.SolidCone(0, 0);
    gl.SolidCone(0, 0.5);
    gl.SolidCone(0.5, 0);
    gl.SolidSphere(0);
    after = ReadState();
  });
  EXPECT_EQ(before.error, GLenum(GL_NO_ERROR));
  EXPECT_TRUE(before == after);
  const std::array<int, 5> n = Count(image);
  EXPECT_EQ(n[kBlack], kOuterWidth * kOuterHeight) << Describe(n);
}

TEST_F(Pixels, SolidsFillInTheCurrentColourAndLeaveItAndTheMatrix) {
  struct Row {
    const char* name;
    std::function<void(GlApi&)> solid;
  };
  const Row rows[] = {
      {"cone", [](GlApi& gl) { gl.SolidCone(0.4, 0.8); }},
      {"sphere", [](GlApi& gl) { gl.SolidSphere(0.5); }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    SolidState before{}, after{};
    const QImage image = gl_->Draw([&](GlApi& gl) {
      gl.Color3ub(0, 0, 255);
      gl.Scalef(0.9f, 0.9f, 0.9f);
      before = ReadState();
      r.solid(gl);
      after = ReadState();
    });
    EXPECT_TRUE(before == after);
    const std::array<int, 5> n = Count(image);
    EXPECT_EQ(n[kBlack] + n[kBlue], kOuterWidth * kOuterHeight) << Describe(n);
    // A filled disc seen along its axis: well over half its square is covered.
    const double side = (r.name == std::string("cone") ? 0.4 : 0.5) * 0.9 * kOuterHeight;
    EXPECT_GT(n[kBlue], 0.6 * side * side * kOuterWidth / kOuterHeight) << Describe(n);
  }
}

TEST_F(Pixels, ConeTipPointsAlongLocalZ) {
  // Turned so that local +z runs up the picture, the cone narrows upwards.
  const QImage image = gl_->Draw([](GlApi& gl) {
    gl.Color3ub(255, 0, 0);
    gl.Translatef(0, -0.5f, 0);
    gl.Rotatef(-90, 1, 0, 0);
    gl.SolidCone(0.5, 1);
  });
  const auto width = [&](double yUp) {  // yUp in the [-1, 1] clip range
    const int row = static_cast<int>(std::lround((1 - yUp) / 2 * (kOuterHeight - 1)));
    int n = 0;
    for (int x = 0; x < image.width(); ++x) n += InkOf(image.pixel(x, row)) == kRed;
    return n;
  };
  EXPECT_GT(width(-0.4), 0);
  EXPECT_GT(width(-0.4), 2 * width(0.2));
  EXPECT_GT(width(0.2), width(0.4));
  EXPECT_EQ(width(0.6), 0);
}

}  // namespace
}  // namespace mv::test

namespace mv::test {
namespace {

TEST_F(Pixels, DepthColoursRunFromRedAtTheTopToBlueAtTheBottomAndLeaveNoTrace) {
  AppState s = HandMadeCave();
  Show(s.view, 1);
  s.view.TickCount = 0;
  const QImage plain = gl_->Frame(s.view, s.survey);
  s.view.DepthColours = true;
  const PictureGeometry picture{kOuterWidth, kOuterHeight, kOuterWidth, kOuterHeight, 33, 1};
  const QImage coloured = gl_->Frame(s.view, s.survey, &picture);

  // The topmost and lowest lit pixels of the lines: red above, blue below.
  QRgb top = 0, bottom = 0;
  const LegendPlace legend = PlaceDepthLegend(s.view, picture);
  for (int y = 0; y < coloured.height(); ++y)
    for (int x = 0; x < legend.x; ++x) {
      const QRgb p = coloured.pixel(x, y);
      if ((p & 0xffffff) == 0) continue;
      if (top == 0) top = p;
      bottom = p;
    }
  EXPECT_GT(qRed(top), 200);
  EXPECT_LT(qBlue(top), 60);
  EXPECT_GT(qBlue(bottom), 200);
  EXPECT_LT(qRed(bottom), 60);

  // The legend lies at the right edge, in the middle of the picture under the
  // toolbar (image rows run from the top).
  const int legendTop = kOuterHeight - (legend.y + kLegendHeight);
  int lit = 0;
  for (int y = legendTop; y < legendTop + kLegendHeight; ++y)
    for (int x = legend.x; x < legend.x + kLegendWidth; ++x)
      if ((coloured.pixel(x, y) & 0xffffff) != 0) ++lit;
  EXPECT_GT(lit, 16 * 100);  // the ramp alone is 16 pixels wide

  // Colouring and legend leave nothing behind for the next frame.
  s.view.DepthColours = false;
  if (gl_->Frame(s.view, s.survey, &picture) != plain) {
    ADD_FAILURE() << "the plain frame changed after a coloured one";
    Keep(coloured, "depth");
  }
}

TEST_F(Pixels, WallsShowLitUnderLinesThatStayWholeAndLeaveNoTrace) {
  AppState s = HandMadeCave();
  // Sizes along the trunk (the first 26 stations), 2 m to each wall.
  for (int32_t i = 0; i < 26; ++i)
    s.survey.sections.push_back({i, 2, 2, 2, 2, uint8_t(i == 25 ? kSectionEnd : 0)});
  s.survey.generation = NextModelGeneration();
  Show(s.view, 1);
  s.view.WallsVisible = false;
  const QImage lines = gl_->Frame(s.view, s.survey);
  s.view.WallsVisible = true;
  const QImage both = gl_->Frame(s.view, s.survey);
  s.view.LinesVisible = false;
  const QImage walls = gl_->Frame(s.view, s.survey);
  s.view.LinesVisible = true;
  s.view.WallsVisible = false;
  const QImage again = gl_->Frame(s.view, s.survey);

  // The walls alone: a lit surface, lighter than the lines' red and shaded.
  const std::array<int, 5> n = Count(walls);
  EXPECT_GT(n[kOther], 3000) << Describe(n);
  EXPECT_EQ(n[kRed], 0) << Describe(n);
  std::set<QRgb> shades;
  for (int y = 0; y < walls.height(); ++y)
    for (int x = 0; x < walls.width(); ++x)
      if (InkOf(walls.pixel(x, y)) == kOther) shades.insert(walls.pixel(x, y));
  EXPECT_GT(shades.size(), 20u);
  // Every pixel of the lines shows over the walls.
  int hidden = 0, lineCount = 0;
  for (int y = 0; y < lines.height(); ++y)
    for (int x = 0; x < lines.width(); ++x) {
      if (InkOf(lines.pixel(x, y)) != kRed) continue;
      ++lineCount;
      if (InkOf(both.pixel(x, y)) != kRed) ++hidden;
    }
  EXPECT_GT(lineCount, 200);
  EXPECT_EQ(hidden, 0);
  if (hidden != 0) Keep(both, "walls_and_lines");
  // And the walls leave nothing behind for the next frame.
  if (again != lines) {
    ADD_FAILURE() << "the frame without walls changed after one with them";
    Keep(again, "after_walls");
  }
}

TEST_F(Pixels, FadedSplaysAtAQuarterOfTheColourAndHiddenOnesNotAtAll) {
  AppState s = HandMadeCave();
  Show(s.view, 1);
  // The west side passage becomes a run of splays.
  s.survey.lineFlags = {0, 0, 0, kLegSplay};
  s.survey.generation = NextModelGeneration();
  const PictureGeometry picture{kOuterWidth, kOuterHeight, kOuterWidth, kOuterHeight, 33, 1};
  for (const bool depth : {false, true}) {
    SCOPED_TRACE(depth ? "by depth" : "plain");
    s.view.DepthColours = depth;
    s.view.Splays = LegShow::Shown;
    const QImage shown = gl_->Frame(s.view, s.survey, &picture);
    s.view.Splays = LegShow::Faded;
    const QImage faded = gl_->Frame(s.view, s.survey, &picture);
    s.view.Splays = LegShow::Hidden;
    const QImage hidden = gl_->Frame(s.view, s.survey, &picture);
    // Left of the depth legend: the same pixels lit in the shown and the
    // faded picture; the faded ones at a quarter (one step of rounding
    // either way), and gone from the hidden picture, which keeps the rest.
    // The sample's crossings leave a few such pixels.
    const int right = PlaceDepthLegend(s.view, picture).x;
    int dimmed = 0, wrong = 0;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < right; ++x) {
        const QRgb a = shown.pixel(x, y) & 0xffffff, f = faded.pixel(x, y) & 0xffffff,
                   h = hidden.pixel(x, y) & 0xffffff;
        if (a == f) {
          wrong += h != a;
          continue;
        }
        ++dimmed;
        // Where a splay crosses in front of a leg, hiding it shows the leg,
        // in full colour.
        const int brightest = std::max({qRed(h), qGreen(h), qBlue(h)});
        bool quarter = (h == 0 || brightest > 128) && a != 0;
        for (const int shift : {0, 8, 16}) {
          const int pa = static_cast<int>((a >> shift) & 0xff),
                    pf = static_cast<int>((f >> shift) & 0xff);
          quarter = quarter && std::abs(pf - (pa + 2) / 4) <= 1;
        }
        wrong += !quarter;
      }
    EXPECT_GT(dimmed, 100);
    EXPECT_EQ(wrong, 0);
    if (wrong != 0) Keep(faded, depth ? "faded_depth" : "faded");
  }
}

TEST_F(Pixels, HiddenSurveysLeaveThePictureAndAHighlightDimsTheRest) {
  AppState s = HandMadeCave();
  Show(s.view, 1);
  // The trunk, the east and the west passage as three surveys.
  s.survey.surveys = {{-1, ""}, {0, "trunk"}, {0, "east"}, {0, "west"}};
  s.survey.lineSurvey = {1, 1, 2, 3};
  s.survey.generation = NextModelGeneration();
  const QImage full = gl_->Frame(s.view, s.survey);
  s.view.HiddenSurveys = {0, 0, 1, 0};
  const QImage hidden = gl_->Frame(s.view, s.survey);
  s.view.HiddenSurveys.clear();
  s.view.HighlightedSurvey = 3;
  const QImage lit = gl_->Frame(s.view, s.survey);
  s.view.HighlightedSurvey = -1;
  EXPECT_EQ(gl_->Frame(s.view, s.survey), full);

  // Hiding takes pixels away and changes no other; a highlight leaves the
  // west passage as it was and the rest at kDimmedLines of its colour.
  int gone = 0, dimmed = 0, kept = 0, wrong = 0;
  for (int y = 0; y < full.height(); ++y)
    for (int x = 0; x < full.width(); ++x) {
      const QRgb a = full.pixel(x, y) & 0xffffff, h = hidden.pixel(x, y) & 0xffffff,
                 l = lit.pixel(x, y) & 0xffffff;
      if (h != a) (h == 0 ? gone : wrong) += 1;
      if (a == 0) {
        wrong += l != 0;
        continue;
      }
      if (l == a) {
        ++kept;
        continue;
      }
      bool scaled = true;
      for (const int shift : {0, 8, 16}) {
        const int pa = static_cast<int>((a >> shift) & 0xff),
                  pl = static_cast<int>((l >> shift) & 0xff);
        scaled = scaled && std::abs(pl - static_cast<int>(std::lround(pa * kDimmedLines))) <= 1;
      }
      (scaled ? dimmed : wrong) += 1;
    }
  EXPECT_GT(gone, 50);
  EXPECT_GT(dimmed, 200);
  EXPECT_GT(kept, 50);
  EXPECT_EQ(wrong, 0);
  if (wrong != 0) Keep(lit, "highlighted"), Keep(hidden, "hidden_east");
}

}  // namespace
}  // namespace mv::test
