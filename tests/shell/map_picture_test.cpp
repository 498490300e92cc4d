// A survey other than the survey folders is drawn as a cave map: whatever
// the spin, in plan and in elevation, nothing it draws leaves the scene area;
// the survey folders' picture keeps no labels of its own.
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <random>

#include "data/model_builder.h"
#include "shown_window.h"
#include "view/framing.h"
#include "view/install_load.h"

using mv::MainWindow;
namespace fs = std::filesystem;

namespace {

const fs::path kSample = MV_SAMPLE_DIR;
const fs::path kSurvex = MV_SURVEX_DIR;

// A cave system `span` metres across: random-walk passages from entrances
// spread over it, dropping through shafts, with named stations.
mv::LoadResult GeneratedSystem(double span, int passages, uint64_t seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> unit(0, 1);
  mv::ModelBuilder b;
  for (int p = 0; p < passages; ++p) {
    mv::RawPoint at{span * unit(random), 0.2 * span * unit(random), 1000 + 40 * unit(random)};
    b.Entrance(at, "otwor_" + std::to_string(p));
    double heading = 2 * M_PI * unit(random);
    for (int k = 0; k < 200; ++k) {
      heading += 0.6 * (unit(random) - 0.5);
      const double length = 5 + 10 * unit(random), drop = unit(random) < 0.1 ? 30 : 2;
      const mv::RawPoint next{at.x + length * std::cos(heading), at.y + length * std::sin(heading),
                              at.z - drop * unit(random)};
      b.Leg(at, next);
      b.Name(next, "jaskinia_" + std::to_string(p) + "." + std::to_string(k));
      at = next;
    }
  }
  mv::LoadResult r = mv::FinishLoad(b.Finish("generated"));
  r.info.format = mv::SourceFormat::kSurvex3d;
  return r;
}

// Lit pixels on the edges of the scene area and under the toolbar: where
// anything cut off by the picture's edge, or hidden by the toolbar, shows.
int EdgePixels(const QImage& picture, int toolbar) {
  int lit = 0;
  const int w = picture.width(), h = picture.height();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool edge = y <= toolbar || y == h - 1 || x == 0 || x == w - 1;
      if (edge && qGray(picture.pixel(x, y)) > 24) ++lit;
    }
  return lit;
}

}  // namespace

class MapPictureTest : public QObject {
  Q_OBJECT
 private slots:
  void nothingLeavesTheScene_data();
  void nothingLeavesTheScene();
  void surveyFolderHasNoLabelsOfItsOwn();
};

void MapPictureTest::nothingLeavesTheScene_data() {
  QTest::addColumn<QString>("source");
  QTest::addColumn<double>("span");
  for (const char* f : {"jaskinie_czarna.3d", "jaskinie_zimna.3d", "jaskinie_all.3d",
                        "jaskinie_all.lox", "jaskinie_all.plt"})
    QTest::newRow(f) << QString::fromStdString((kSurvex / f).string()) << 0.0;
  QTest::newRow("generated 5 km") << QString() << 5000.0;
  QTest::newRow("generated 20 km") << QString() << 20000.0;
}

void MapPictureTest::nothingLeavesTheScene() {
  QFETCH(QString, source);
  QFETCH(double, span);
  MainWindow w(source.isEmpty() ? kSample : fs::path(source.toStdString()), mv::test::NoBox);
  if (source.isEmpty()) {
    mv::InstallLoad(w.State(), GeneratedSystem(span, 12, static_cast<uint64_t>(span)));
    w.State().framing.pending = mv::FitRequest::Always;
  }
  QVERIFY(mv::test::Show(w));
  QTRY_VERIFY(w.View()->FramesDrawn() > 0);
  QVERIFY(w.State().view.MapStyle);
  // A pick shows its description over the picture too.
  w.State().view.PickedFirst = 0;
  for (const Qt::Key view : {Qt::Key_L, Qt::Key_P}) {
    QTest::keyClick(&w, view);
    for (int angle = 0; angle < 360; angle += 45) {
      // Stopped at the angle: the frame read back is drawn at it.
      w.State().view.SpinStep = 1.0L;
      w.State().view.TickCount = angle;
      const QImage picture = w.View()->grabFramebuffer();
      QCOMPARE(EdgePixels(picture, mv::kToolbarHeight), 0);
    }
  }
}

void MapPictureTest::surveyFolderHasNoLabelsOfItsOwn() {
  MainWindow w(kSample, mv::test::NoBox);
  QVERIFY(mv::test::Show(w));
  QTRY_VERIFY(w.View()->FramesDrawn() > 0);
  QVERIFY(!w.State().view.MapStyle);
  // The entrances' labels are written in a light yellow no other part of
  // the sample's picture has.
  const auto labelPixels = [&w] {
    const QImage picture = w.View()->grabFramebuffer();
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x)
        if ((picture.pixel(x, y) & 0xffffff) == 0xffe678) ++n;
    return n;
  };
  QCOMPARE(labelPixels(), 0);
  QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
  QVERIFY(labelPixels() > 0);
}

QTEST_MAIN(MapPictureTest)
#include "map_picture_test.moc"
