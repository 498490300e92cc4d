// The exports: one turn as a looping GIF with one palette, an SVG drawing
// that looks like the picture, and files that are whole or not there at all.
#include "shell/exports.h"

#include <gif_lib.h>

#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "data/reader_table.h"
#include "render/offscreen_frame.h"
#include "shell/export_command.h"
#include "shell/gif_writer.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSample = MV_SAMPLE_DIR;
const fs::path kCzarna = fs::path(MV_SURVEX_DIR) / "jaskinie_czarna.3d";

mv::ExportState Opened(const fs::path& source, int tick, bool depth, int w = 780, int h = 591) {
  mv::ExportRequest r;
  r.source = source;
  r.tick = tick;
  r.depth = depth;
  r.width = w;
  r.height = h;
  return mv::OpenForExport(r);
}

// Which cells of a coarse grid over the picture hold anything but black.
QVector<bool> LitCells(const QImage& image, int cell) {
  QVector<bool> lit;
  for (int cy = 0; cy < image.height() / cell; ++cy)
    for (int cx = 0; cx < image.width() / cell; ++cx) {
      bool any = false;
      for (int y = cy * cell; y < (cy + 1) * cell && !any; ++y)
        for (int x = cx * cell; x < (cx + 1) * cell && !any; ++x)
          any = qGray(image.pixel(x, y)) > 40;
      lit << any;
    }
  return lit;
}

// Of the cells lit in either picture, the share lit in both.
double Overlap(const QImage& a, const QImage& b) {
  const QVector<bool> la = LitCells(a, 12), lb = LitCells(b, 12);
  int both = 0, either = 0;
  for (qsizetype i = 0; i < la.size(); ++i) both += la[i] && lb[i], either += la[i] || lb[i];
  return either ? double(both) / either : 1;
}

QStringList FilesIn(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

}  // namespace

class ExportsTest : public QObject {
  Q_OBJECT

 private slots:
  void gifIsOneLoopingTurnWithOnePalette();
  void paletteKeepsTheElementColours_data();
  void paletteKeepsTheElementColours();
  void svgLooksLikeThePicture_data();
  void svgLooksLikeThePicture();
  void splaysAndSurfaceLegsAsAsked();
  void failedExportLeavesTheOldFile_data();
  void failedExportLeavesTheOldFile();
};

void ExportsTest::gifIsOneLoopingTurnWithOnePalette() {
  mv::ExportState e = Opened(kSample, 200, false, 390, 280);
  QVERIFY(e.error.isEmpty());
  // Without the entrances' names, whose smoothed letters bring more colours
  // than a palette holds, so every colour of the picture must come through.
  e.state.view.EntrancesVisible = false;
  QTemporaryDir dir;
  const fs::path file = dir.filePath("turn.gif").toStdString();
  int steps = 0;
  const mv::ExportResult r =
      mv::ExportPicture(file, mv::ExportFormat::Gif, {e.state.view, e.state.survey, e.picture},
                        [&steps](int, int total) { return steps = total, true; });
  QVERIFY2(r.ok, qPrintable(r.error));
  QCOMPARE(steps, 2 * mv::kSpinFrames);

  int error = 0;
  GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
  QVERIFY(gif);
  QCOMPARE(DGifSlurp(gif), GIF_OK);
  QCOMPARE(gif->SWidth, 390);
  QCOMPARE(gif->SHeight, 280);
  QCOMPARE(gif->ImageCount, mv::kSpinFrames);
  QVERIFY(gif->SColorMap);
  bool loops = false;
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    QVERIFY2(!image.ImageDesc.ColorMap, "a frame has a palette of its own");
    GraphicsControlBlock control;
    QCOMPARE(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK);
    QCOMPARE(control.DelayTime, mv::kSpinFrameDelay);
    for (int k = 0; k < image.ExtensionBlockCount; ++k) {
      const ExtensionBlock& b = image.ExtensionBlocks[k];
      if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
          std::memcmp(b.Bytes, "NETSCAPE2.0", 11) == 0) {
        const ExtensionBlock& count = image.ExtensionBlocks[k + 1];
        loops = count.ByteCount == 3 && count.Bytes[1] == 0 && count.Bytes[2] == 0;
      }
    }
  }
  QVERIFY2(loops, "no NETSCAPE2.0 block with a count of 0");
  // The first frame is the view as it is, colour for colour: the picture
  // has fewer colours than the palette holds.
  mv::OffscreenGl gl(390, 280);
  const QImage expected = gl.Frame(e.state.view, e.state.survey, &e.picture);
  const SavedImage& first = gif->SavedImages[0];
  QCOMPARE(first.ImageDesc.Width * first.ImageDesc.Height, 390 * 280);
  int wrong = 0;
  for (int y = 0; y < 280; ++y)
    for (int x = 0; x < 390; ++x) {
      const GifColorType c = gif->SColorMap->Colors[first.RasterBits[y * 390 + x]];
      wrong += qRgb(c.Red, c.Green, c.Blue) != expected.pixel(x, y);
    }
  QCOMPARE(wrong, 0);
  DGifCloseFile(gif, &error);
}

void ExportsTest::paletteKeepsTheElementColours_data() {
  QTest::addColumn<int>("colours");  // of a ramp, beside black and the exact ones
  QTest::newRow("few colours") << 20;
  QTest::newRow("more than a palette") << 5000;
}

void ExportsTest::paletteKeepsTheElementColours() {
  QFETCH(int, colours);
  std::vector<std::pair<uint32_t, uint64_t>> counts{{0x000000, 100000}, {0xFF0000, 500}};
  for (int i = 0; i < colours; ++i) counts.emplace_back(0x100000u + uint32_t(i) * 37u, 3);
  const std::vector<uint32_t> exact{0x000000, 0xFF0000, 0x0000FF, 0x00FF00};
  const std::vector<uint32_t> palette = mv::MakePalette(counts, exact);
  QVERIFY(palette.size() <= 256);
  QCOMPARE(palette.size(), std::min<size_t>(256, exact.size() + size_t(colours)));
  mv::PaletteMap map(palette);
  for (const uint32_t c : exact) QCOMPARE(palette[map.IndexOf(c)], c);
  // Every colour finds a near one.
  for (const auto& [c, n] : counts) {
    const uint32_t p = palette[map.IndexOf(c)];
    for (int ch = 0; ch < 3; ++ch)
      QVERIFY(std::abs(int((c >> 8 * ch) & 0xFF) - int((p >> 8 * ch) & 0xFF)) <= 24);
  }
}

void ExportsTest::svgLooksLikeThePicture_data() {
  QTest::addColumn<QString>("source");
  QTest::addColumn<int>("tick");
  QTest::addColumn<bool>("depth");
  QTest::newRow("sample cave") << QString(MV_SAMPLE_DIR) << 200 << false;
  QTest::newRow("Czarna by depth") << QString::fromStdString(kCzarna.string()) << 30 << true;
}

void ExportsTest::svgLooksLikeThePicture() {
  QFETCH(QString, source);
  QFETCH(int, tick);
  QFETCH(bool, depth);
  const mv::ExportState e = Opened(source.toStdString(), tick, depth);
  QVERIFY(e.error.isEmpty());
  mv::OffscreenGl gl(780, 591);
  const QImage picture = gl.Frame(e.state.view, e.state.survey, &e.picture);
  QBuffer svg;
  svg.open(QIODevice::WriteOnly);
  QVERIFY(mv::WriteSvg(svg, {e.state.view, e.state.survey, e.picture}).ok);

  QSvgRenderer renderer(svg.data());
  QVERIFY(renderer.isValid());
  QImage drawn(780, 591, QImage::Format_RGB32);
  drawn.fill(Qt::white);
  QPainter p(&drawn);
  renderer.render(&p);
  p.end();
  const double overlap = Overlap(picture, drawn);
  if (overlap < 0.85) {
    picture.save(QString(MV_ARTIFACT_DIR "/svg_%1_png.png").arg(tick));
    drawn.save(QString(MV_ARTIFACT_DIR "/svg_%1_svg.png").arg(tick));
  }
  QVERIFY2(overlap >= 0.85, qPrintable(QString("overlap %1").arg(overlap)));

  // A renderer of the kind browsers use reads it the same way.
  const QString rsvg = QStandardPaths::findExecutable("rsvg-convert");
  if (rsvg.isEmpty()) return;
  QProcess convert;
  convert.start(rsvg, {"--format", "png"});
  convert.write(svg.data());
  convert.closeWriteChannel();
  QVERIFY(convert.waitForFinished(30000));
  QCOMPARE(convert.exitCode(), 0);
  const QImage browser =
      QImage::fromData(convert.readAllStandardOutput()).convertToFormat(QImage::Format_RGB32);
  QCOMPARE(browser.size(), QSize(780, 591));
  QVERIFY(Overlap(picture, browser) >= 0.85);
}

void ExportsTest::splaysAndSurfaceLegsAsAsked() {
  // The Tatra caves: 4,031 splays and 9 surface legs among 5,186 legs.
  mv::ExportRequest r;
  r.source = fs::path(MV_SURVEX_DIR) / "jaskinie_all.3d";
  const mv::ExportState opened = mv::OpenForExport(r);
  QVERIFY(opened.error.isEmpty());
  QCOMPARE(opened.state.view.Splays, mv::LegShow::Faded);
  QCOMPARE(opened.state.view.SurfaceLegs, mv::LegShow::Hidden);
  mv::OffscreenGl gl(780, 591);
  const auto litPixels = [&](mv::LegShow splays, mv::LegShow surface) {
    r.splays = splays;
    r.surface = surface;
    const mv::ExportState e = mv::OpenForExport(r);
    [&] {
      QCOMPARE(e.state.view.Splays, splays);
      QCOMPARE(e.state.view.SurfaceLegs, surface);
    }();
    mv::ViewState v = e.state.view;
    v.AxisVisible = v.ScaleVisible = v.WindRoseVisible = v.EntrancesVisible = false;
    v.MapOverlaysVisible = v.StationNamesVisible = false;
    const QImage image = gl.Frame(v, e.state.survey);
    int lit = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) lit += (image.pixel(x, y) & 0xffffff) != 0;
    return lit;
  };
  using enum mv::LegShow;
  const int all = litPixels(Shown, Shown), faded = litPixels(Faded, Shown),
            noSplays = litPixels(Hidden, Shown), noSurface = litPixels(Shown, Hidden);
  QCOMPARE(faded, all);
  QVERIFY2(noSplays < all && noSurface < all,
           qPrintable(QString("%1 %2 %3").arg(all).arg(noSplays).arg(noSurface)));
}

void ExportsTest::failedExportLeavesTheOldFile_data() {
  QTest::addColumn<QString>("why");
  QTest::newRow("cancelled") << "cancel";
  QTest::newRow("the disk is full half way") << "full";
  QTest::newRow("the name is a folder") << "folder";
  QTest::newRow("the folder is missing") << "missing";
}

void ExportsTest::failedExportLeavesTheOldFile() {
  QFETCH(QString, why);
  const mv::ExportState e = Opened(kSample, 0, false, 120, 90);
  QTemporaryDir dir;
  const fs::path old = dir.filePath("cave.gif").toStdString();
  QFile f(QString::fromStdString(old.string()));
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write("the old picture");
  f.close();
  const mv::ExportScene scene{e.state.view, e.state.survey, e.picture};
  mv::ExportResult r;
  if (why == "cancel") {
    r = mv::ExportPicture(old, mv::ExportFormat::Gif, scene,
                          [](int done, int) { return done < 80; });
    QVERIFY(r.cancelled);
  } else if (why == "full") {
    r = mv::WriteAtomically(old, [](QIODevice& out) {
      out.write("the first half of a new picture");
      mv::ExportResult failed;
      failed.error = "No space left on device";
      return failed;
    });
  } else if (why == "folder") {
    r = mv::ExportPicture(dir.path().toStdString(), mv::ExportFormat::Svg, scene);
    QCOMPARE(r.error, QString("it is a folder"));
  } else {
    r = mv::ExportPicture(fs::path(dir.filePath("missing/cave.svg").toStdString()),
                          mv::ExportFormat::Svg, scene);
  }
  QVERIFY(!r.ok);
  QVERIFY(!r.error.isEmpty());
  QVERIFY(f.open(QIODevice::ReadOnly));
  QCOMPARE(f.readAll(), QByteArray("the old picture"));
  QCOMPARE(FilesIn(dir.path()), QStringList{"cave.gif"});
}

QTEST_MAIN(ExportsTest)
#include "exports_test.moc"
