// Opening surveys on the real main window (command line, Ctrl+O, Ctrl+S, a
// drop), steering with the mouse, saving the picture and full screen.
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>

#include "data/survey_source.h"
#include "mv_version.h"
#include "shell/command_line.h"
#include "shell/failure_reasons.h"
#include "shell/main_window.h"
#include "shell/survey_opener.h"
#include "shown_window.h"
#include "ui/key_actions.h"
#include "ui/station_finder.h"
#include "view/fit.h"
#include "view/framing.h"
#include "view/overlay_layout.h"
#include "view/picking.h"

using mv::MainWindow;
namespace fs = std::filesystem;

namespace {

const fs::path kSample = MV_SAMPLE_DIR;
const fs::path kCzarna = fs::path(MV_SURVEX_DIR) / "jaskinie_czarna.3d";
const fs::path kZimna = fs::path(MV_SURVEX_DIR) / "jaskinie_zimna.3d";

using mv::test::NoBox;

fs::path PathOf(const QTemporaryDir& d) {
  return d.path().toStdString();
}

using mv::test::Show;

int StationsOf(const fs::path& source) {
  return mv::LoadSurveySource(mv::SurveySourceFor(source)).model.StationCount();
}

// The load-failure box, counted instead of shown.
struct Failures {
  int shown = 0;
  MainWindow::FailureBox Box() {
    return [this](QWidget*) { ++shown; };
  }
};

void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held) {
  QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// Press at `from`, move through `path`, release at the last point.
void Drag(QWidget* w, Qt::MouseButton button, QPoint from, const QList<QPoint>& path) {
  SendMouse(w, QEvent::MouseButtonPress, from, button, button);
  QPoint at = from;
  for (QPoint p : path) {
    SendMouse(w, QEvent::MouseMove, p, Qt::NoButton, button);
    at = p;
  }
  SendMouse(w, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

// Drags `paths` over the window and drops them; whether the window took them.
bool DropOn(MainWindow& w, const QList<fs::path>& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const fs::path& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p.string()));
  data.setUrls(urls);
  const QPoint at(300, 300);
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&w, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&w, &drop);
  return drop.isAccepted();
}

}  // namespace

Q_DECLARE_METATYPE(fs::path)
Q_DECLARE_METATYPE(std::optional<fs::path>)

namespace QTest {
template <>
char* toString(const fs::path& p) {
  return qstrdup(p.c_str());
}
}  // namespace QTest

class OpenSurveyTest : public QObject {
  Q_OBJECT

 private slots:
  void commandLine_data();
  void commandLine();
  void startsWithTheGivenSource_data();
  void startsWithTheGivenSource();
  void ctrlOOpensTheChosenSurvey_data();
  void ctrlOOpensTheChosenSurvey();
  void ctrlSReloadsTheLastChosenSource();
  void failedOpenKeepsTheSurveyOnScreen_data();
  void failedOpenKeepsTheSurveyOnScreen();
  void captionAndSuggestedFileNames();
  void droppedSurveyOpens_data();
  void droppedSurveyOpens();
  void mouseSteersThePicture_data();
  void mouseSteersThePicture();
  void ctrlPSavesThePictureAlone_data();
  void ctrlPSavesThePictureAlone();
  void f11TogglesFullScreen();
  void fittedViewKeysAndDepthColours();
  void clicksPickMeasureCopyAndFind();
};

void OpenSurveyTest::commandLine_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<QString>("source");
  QTest::addColumn<int>("exitCode");  // -1: the viewer starts
  QTest::addColumn<QString>("output");
  QTest::newRow("no argument") << QStringList{"morvalka"} << "." << -1 << "";
  QTest::newRow("a folder") << QStringList{"morvalka", "/caves/czarna"} << "/caves/czarna" << -1
                            << "";
  QTest::newRow("a path that starts with -")
      << QStringList{"morvalka", "--", "-odd.3d"} << "-odd.3d" << -1 << "";
  QTest::newRow("help") << QStringList{"/usr/bin/morvalka", "--help"} << "." << 0
                        << "Usage: morvalka [SOURCE]";
  QTest::newRow("version") << QStringList{"morvalka", "a", "--version"} << "." << 0
                           << QString("morvalka %1\n").arg(mv::kVersion);
  QTest::newRow("two sources") << QStringList{"morvalka", "a", "b"} << "." << 2
                               << "morvalka: give at most one";
  QTest::newRow("unknown option") << QStringList{"morvalka", "--fast"} << "." << 2
                                  << "morvalka: unknown option '--fast'";
}

void OpenSurveyTest::commandLine() {
  QFETCH(QStringList, arguments);
  QFETCH(QString, source);
  QFETCH(int, exitCode);
  QFETCH(QString, output);
  const mv::CommandLine c = mv::ParseCommandLine(arguments);
  QCOMPARE(c.exit, exitCode >= 0);
  QCOMPARE(mv::AsksForInformation(arguments).isEmpty(), exitCode != 0);
  if (exitCode >= 0) {
    QCOMPARE(c.exitCode, exitCode);
    QVERIFY2(c.output.contains(output), qPrintable(c.output));
  } else {
    QCOMPARE(QString::fromStdString(c.source.string()), source);
  }
}

void OpenSurveyTest::startsWithTheGivenSource_data() {
  QTest::addColumn<fs::path>("given");
  QTest::addColumn<fs::path>("source");
  QTest::addColumn<bool>("loads");
  QTest::newRow(".3d file") << kCzarna << kCzarna << true;
  QTest::newRow("survey file") << kSample / "Dane.bin" << kSample << true;
  QTest::newRow("missing") << fs::path("/nonexistent/cave.3d") << fs::path("/nonexistent/cave.3d")
                           << false;
}

void OpenSurveyTest::startsWithTheGivenSource() {
  QFETCH(fs::path, given);
  QFETCH(fs::path, source);
  QFETCH(bool, loads);
  Failures failures;
  MainWindow w(given, failures.Box());
  QCOMPARE(w.Source(), source);
  QCOMPARE(failures.shown, loads ? 0 : 1);
  QCOMPARE(w.State().view.LinesVisible, loads);
  if (loads) {
    QCOMPARE(w.State().survey.StationCount(), StationsOf(source));
    QVERIFY(w.State().survey.StationCount() > 2);
  } else {
    QCOMPARE(w.State().survey.StationCount(), 2);  // the placeholder
  }
}

void OpenSurveyTest::ctrlOOpensTheChosenSurvey_data() {
  QTest::addColumn<std::optional<fs::path>>("chosen");
  QTest::addColumn<fs::path>("source");
  QTest::addColumn<bool>("loads");
  QTest::newRow("folder through one of its files")
      << std::optional<fs::path>(kSample / "Dane1.bin") << kSample << true;
  QTest::newRow(".3d file") << std::optional<fs::path>(kCzarna) << kCzarna << true;
  const fs::path survex = MV_SURVEX_DIR;
  for (const char* name : {"jaskinie_czarna.plt", "jaskinie_czarna.lox", "small.svx"})
    QTest::newRow(name) << std::optional<fs::path>(survex / name) << survex / name << true;
  QTest::newRow("cancelled") << std::optional<fs::path>() << kZimna << true;
  // A failed open keeps the survey on screen, and its source.
  QTest::newRow("missing file") << std::optional<fs::path>("/nonexistent/cave.3d") << kZimna
                                << false;
}

void OpenSurveyTest::ctrlOOpensTheChosenSurvey() {
  QFETCH(std::optional<fs::path>, chosen);
  QFETCH(fs::path, source);
  QFETCH(bool, loads);
  Failures failures;
  MainWindow w(kZimna, failures.Box());
  QVERIFY(Show(w));
  fs::path start;
  w.SetSourceChooser([&](QWidget*, const fs::path& from) {
    start = from;
    return chosen;
  });
  QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
  QCOMPARE(start, kZimna.parent_path());
  QCOMPARE(w.Source(), source);
  QCOMPARE(failures.shown, loads ? 0 : 1);
  QVERIFY(w.State().view.LinesVisible);
  QCOMPARE(w.State().survey.StationCount(), StationsOf(source));
  // A survey file that fails says why in the box; a folder keeps the box bare.
  QCOMPARE(w.Opener().FailureDetail().isEmpty(), loads);
  // The item is the first of "&Plik".
  QCOMPARE(w.ControlsOf().Menu().FileMenu()->actions().first()->text(),
           QString("Otwórz dane jaskini..."));
}

void OpenSurveyTest::ctrlSReloadsTheLastChosenSource() {
  QTemporaryDir dir;
  const fs::path late = PathOf(dir) / "late.3d";
  Failures failures;
  MainWindow w(kSample, failures.Box());
  QVERIFY(Show(w));
  std::optional<fs::path> answer = kCzarna;
  w.SetSourceChooser([&](QWidget*, const fs::path&) { return answer; });
  QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
  const mv::ViewState opened = w.State().view;
  const int stations = w.State().survey.StationCount();
  QVERIFY(stations != StationsOf(kSample));

  w.State().view.ZoomScale = 3;
  w.State().view.CentreX = 0;
  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(w.State().survey.StationCount(), stations);
  QCOMPARE(w.State().view.ZoomScale.AsDouble(), opened.ZoomScale.AsDouble());
  QCOMPARE(w.State().view.CentreX.AsDouble(), opened.CentreX.AsDouble());

  // A source that failed to open is not taken: the return to the start
  // parameters reads the survey on screen again. One that fails then
  // leaves the placeholder.
  answer = late;
  QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
  QCOMPARE(failures.shown, 1);
  QCOMPARE(w.Source(), kCzarna);
  QCOMPARE(w.State().survey.StationCount(), stations);
  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(failures.shown, 1);
  QCOMPARE(w.State().survey.StationCount(), stations);
  QVERIFY(fs::copy_file(kCzarna, late));
  w.Opener().Open(late);
  QVERIFY(fs::remove(late));
  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(failures.shown, 2);
  QCOMPARE(w.State().survey.StationCount(), 2);
}

void OpenSurveyTest::failedOpenKeepsTheSurveyOnScreen_data() {
  QTest::addColumn<QString>("way");
  QTest::addColumn<QString>("file");  // in a folder of the test's own
  QTest::addColumn<QByteArray>("contents");
  QTest::addColumn<QStringList>("detail");  // what the box says under its text
  QFile czarna(QString::fromStdString(kCzarna.string()));
  QVERIFY(czarna.open(QIODevice::ReadOnly));
  QTest::newRow("dialog, missing")
      << "dialog"
      << "none.3d" << QByteArray() << QStringList{"none.3d: nie ma takiego pliku ani folderu"};
  QTest::newRow("drop, cut short") << "drop"
                                   << "cut.3d" << czarna.read(czarna.size() - 9)
                                   << QStringList{"cut.3d, bajt ", ": zapis ", " urywa się"};
  QTest::newRow("recent, cavern's messages as they are")
      << "recent"
      << "bad.svx" << QByteArray("*begin bad\n1 2 notanumber 0 0\n*end bad\n")
      << QStringList{"bad.svx: program cavern nie przetworzył pomiarów\n", "bad.svx:2:"};
}

void OpenSurveyTest::failedOpenKeepsTheSurveyOnScreen() {
  QFETCH(QString, way);
  QFETCH(QString, file);
  QFETCH(QByteArray, contents);
  QFETCH(QStringList, detail);
  QTemporaryDir dir;
  const fs::path path = PathOf(dir) / file.toStdString();
  QFile f(QString::fromStdString(path.string()));
  QVERIFY(contents.isEmpty() || (f.open(QIODevice::WriteOnly) && f.write(contents) && f.flush()));
  Failures failures;
  MainWindow w(kZimna, failures.Box());
  QVERIFY(Show(w));
  const mv::ViewState before = w.State().view;
  w.SetSourceChooser([&](QWidget*, const fs::path&) { return std::optional<fs::path>(path); });
  if (way == "dialog") QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
  if (way == "drop") QVERIFY(DropOn(w, {path}));
  if (way == "recent") w.OpenRecent(QString::fromStdString(path.string()));
  QTRY_COMPARE(failures.shown, 1);
  QCOMPARE(w.Source(), kZimna);
  QCOMPARE(w.State().survey.StationCount(), StationsOf(kZimna));
  QVERIFY(w.State().view == before);
  const QString said = w.Opener().FailureDetail();
  for (const QString& part : detail) QVERIFY2(said.contains(part), qPrintable(said));
  QCOMPARE(said.count(file), way == "recent" ? 2 : 1);  // once, and once by cavern
  // A reason without a Polish wording keeps its English.
  QCOMPARE(mv::PolishFailureReason({"a.lox", mv::SourceError::Place::kRecord, 4, "new"}),
           QString("a.lox, rekord 4: nie udało się odczytać pomiarów (new)"));
}

void OpenSurveyTest::droppedSurveyOpens_data() {
  QTest::addColumn<QList<fs::path>>("dropped");
  QTest::addColumn<fs::path>("source");  // empty: the drop is refused
  QTest::newRow("folder") << QList<fs::path>{kSample} << kSample;
  QTest::newRow(".3d file") << QList<fs::path>{kCzarna} << kCzarna;
  const fs::path plt = fs::path(MV_SURVEX_DIR) / "jaskinie_zimna.plt";
  QTest::newRow(".plt file") << QList<fs::path>{plt} << plt;
  QTest::newRow("survey file") << QList<fs::path>{kSample / "Dane2.bin"} << kSample;
  QTest::newRow("the three survey files")
      << QList<fs::path>{kSample / "Dane.bin", kSample / "Dane1.bin", kSample / "Dane2.bin"}
      << kSample;
  QTest::newRow("other file") << QList<fs::path>{kSample / "README.md"} << fs::path();
  QTest::newRow("two surveys") << QList<fs::path>{kSample, kCzarna} << fs::path();
}

void OpenSurveyTest::droppedSurveyOpens() {
  QFETCH(QList<fs::path>, dropped);
  QFETCH(fs::path, source);
  Failures failures;
  MainWindow w(kZimna, failures.Box());
  QVERIFY(Show(w));
  const int before = w.State().survey.StationCount();
  QCOMPARE(DropOn(w, dropped), !source.empty());
  if (source.empty()) {
    QCoreApplication::processEvents();
    QCOMPARE(w.Source(), kZimna);
    QCOMPARE(w.State().survey.StationCount(), before);
  } else {
    QTRY_COMPARE(w.Source(), source);
    QCOMPARE(w.State().survey.StationCount(), StationsOf(source));
  }
  QCOMPARE(failures.shown, 0);
}

void OpenSurveyTest::mouseSteersThePicture_data() {
  QTest::addColumn<int>("button");  // Qt::MouseButton; 0 for the wheel
  QTest::addColumn<QList<QPoint>>("path");
  QTest::addColumn<int>("wheel");
  QTest::addColumn<double>("turn");
  QTest::addColumn<double>("tilt");
  QTest::addColumn<int>("panX");  // sign of the change of TargetY
  QTest::addColumn<int>("panZ");  // sign of the change of TargetZ
  QTest::addColumn<int>("zoomSteps");
  using P = QList<QPoint>;
  QTest::newRow("left drag") << int(Qt::LeftButton) << P{{205, 200}, {220, 210}} << 0 << 10.0 << 5.0
                             << 0 << 0 << 0;
  QTest::newRow("left click") << int(Qt::LeftButton) << P{} << 0 << 0.0 << 0.0 << 0 << 0 << 0;
  QTest::newRow("right drag") << int(Qt::RightButton) << P{{230, 215}} << 0 << 0.0 << 0.0 << -1 << 1
                              << 0;
  QTest::newRow("wheel in") << 0 << P{} << 120 << 0.0 << 0.0 << 0 << 0 << 1;
}

void OpenSurveyTest::mouseSteersThePicture() {
  QFETCH(int, button);
  QFETCH(QList<QPoint>, path);
  QFETCH(int, wheel);
  QFETCH(double, turn);
  QFETCH(double, tilt);
  QFETCH(int, panX);
  QFETCH(int, panZ);
  QFETCH(int, zoomSteps);
  MainWindow w(kSample, NoBox);
  QVERIFY(Show(w));
  QWidget* view = w.View();
  mv::ViewState expected = w.State().view;
  mv::ui::ZoomByWheel(expected, zoomSteps);
  const mv::ViewState before = w.State().view;

  if (button != 0) {
    Drag(view, Qt::MouseButton(button), {200, 200}, path);
  } else {
    QWheelEvent e(QPointF(200, 200), view->mapToGlobal(QPointF(200, 200)), QPoint(),
                  QPoint(0, wheel), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &e);
  }
  const mv::ViewState& v = w.State().view;
  QCOMPARE(static_cast<double>(v.TurnAngle - before.TurnAngle), turn);
  QCOMPARE(static_cast<double>(v.TiltAngle - before.TiltAngle), tilt);
  const auto sign = [](long double d) { return (d > 0) - (d < 0); };
  QCOMPARE(sign(v.TargetY - before.TargetY), panX);
  QCOMPARE(sign(v.TargetZ - before.TargetZ), panZ);
  QCOMPARE(v.ZoomScale.AsDouble(), expected.ZoomScale.AsDouble());
  QCOMPARE(v.SpinStep.AsDouble(), before.SpinStep.AsDouble());
  QVERIFY(!v.SpinStopped);
}

void OpenSurveyTest::ctrlPSavesThePictureAlone_data() {
  QTest::addColumn<QString>("name");  // empty: the dialog is cancelled
  QTest::addColumn<bool>("written");
  QTest::newRow("saved") << "cave.png" << true;
  QTest::newRow("saved without the suffix") << "cave" << true;
  QTest::newRow("cancelled") << "" << false;
  QTest::newRow("folder that does not exist") << "missing/cave.png" << false;
}

void OpenSurveyTest::ctrlPSavesThePictureAlone() {
  QFETCH(QString, name);
  QFETCH(bool, written);
  QTemporaryDir dir;
  const fs::path file = PathOf(dir) / (name.isEmpty() ? "cave.png" : name.toStdString());
  MainWindow w(kSample, NoBox);
  QVERIFY(Show(w));
  QTRY_VERIFY(w.View()->FramesDrawn() > 0);
  fs::path suggested;
  w.SetPictureChooser([&](QWidget*, const fs::path& s) -> std::optional<fs::path> {
    suggested = s;
    if (name.isEmpty()) return std::nullopt;
    return file;
  });
  QStringList notices;
  w.SetSaveFailureBox(
      [&](QWidget*, const QString& caption, const QString& text) { notices << caption << text; });
  QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier);
  QCOMPARE(suggested, kSample / "jaskinia.png");
  QCOMPARE(fs::exists(file), written);
  if (!written) {
    QVERIFY(fs::is_empty(PathOf(dir)));
    if (name.isEmpty()) {
      QVERIFY(notices.isEmpty());
    } else {
      QCOMPARE(notices.size(), 2);
      QCOMPARE(notices[0], QString("Błąd zapisu obrazu!"));
      QVERIFY2(notices[1].contains(QString::fromStdString(file.string())), qPrintable(notices[1]));
    }
    return;
  }
  QVERIFY(notices.isEmpty());
  QImage picture;
  QVERIFY(picture.load(QString::fromStdString(file.string()), "PNG"));
  QCOMPARE(picture.size(), w.View()->size() * w.View()->devicePixelRatio());
  QVERIFY(!picture.hasAlphaChannel());
  // The toolbar strip lies over the top of the picture on screen; the
  // saved picture has the survey there, never the strip's grey.
  QWidget* strip = w.ToolbarStrip();
  const QRgb grey = strip->palette().color(strip->backgroundRole()).rgb();
  QVERIFY(qGray(grey) > 100);
  const QImage onScreen = w.grab().toImage();
  const int menuBar = w.View()->mapTo(&w, QPoint(0, 0)).y();
  QCOMPARE(onScreen.pixel(5, menuBar + 5), grey);
  int stripGrey = 0, lit = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QRgb p = picture.pixel(x, y);
      if ((p & 0xffffff) == (grey & 0xffffff)) ++stripGrey;
      if (qGray(p) > 0) ++lit;
    }
  }
  QCOMPARE(stripGrey, 0);
  QVERIFY(lit > 100);
}

void OpenSurveyTest::f11TogglesFullScreen() {
  MainWindow w(kSample, NoBox);
  QVERIFY(Show(w));
  // The window manager carries the state out; a bare X server has none, so
  // only the state asked for is checked here.
  QTest::keyClick(&w, Qt::Key_F11);
  QVERIFY(w.windowState() & Qt::WindowFullScreen);
  QTest::keyClick(&w, Qt::Key_F11);
  QVERIFY(!(w.windowState() & Qt::WindowFullScreen));
}

void OpenSurveyTest::fittedViewKeysAndDepthColours() {
  // A .3d survey opens fitted, before its first frame; the sample keeps its
  // own view.
  MainWindow sample(kSample, NoBox);
  QVERIFY(Show(sample));
  QTRY_VERIFY(sample.View()->FramesDrawn() > 0);
  QVERIFY(!sample.State().view.Fitted);

  MainWindow w(kZimna, NoBox);
  QVERIFY(Show(w));
  QTRY_VERIFY(w.View()->FramesDrawn() > 0);
  const mv::ViewState fitted = w.State().view;
  QVERIFY(fitted.Fitted);
  // Everything the picture draws in the model fills the room the overlays
  // leave, whatever the spin.
  const auto holdsEverything = [&w] {
    const mv::ScreenBox area = mv::MapFitArea(w.State().view, w.Geometry());
    const mv::ScreenBox b =
        mv::ProjectCylinder(w.State().view, mv::DrawnCylinder(w.State()), w.Geometry()).box;
    return b.left >= area.left - 1e-6 && b.right <= area.right + 1e-6 &&
           b.bottom >= area.bottom - 1e-6 && b.top <= area.top + 1e-6 &&
           (b.Width() >= 0.9 * area.Width() || b.Height() >= 0.9 * area.Height());
  };
  QVERIFY(holdsEverything());

  // "+" scales the picture by a steady factor; Home fits again.
  QTest::keyClick(&w, Qt::Key_Plus);
  QTest::keyClick(&w, Qt::Key_8);
  // The scale is kept in six-byte reals: to their precision.
  QVERIFY(std::abs(static_cast<double>((w.State().view.ZoomScale - 0.018L) /
                                       (fitted.ZoomScale - 0.018L)) -
                   1.1) < 1e-9);
  QTest::keyClick(&w, Qt::Key_Home);
  QCOMPARE(w.State().view.ZoomScale.AsDouble(), fitted.ZoomScale.AsDouble());
  QCOMPARE(w.State().view.TargetZ.AsDouble(), fitted.TargetZ.AsDouble());

  // P shows the plan and L the elevation, each fitted anew, the spin kept.
  QTest::keyClick(&w, Qt::Key_Plus);
  QTest::keyClick(&w, Qt::Key_P);
  QCOMPARE(w.State().view.TiltAngle.AsDouble(), 90.0);
  QTRY_VERIFY(!w.State().view.RefitRequested);
  QVERIFY(holdsEverything());
  QTest::keyClick(&w, Qt::Key_L);
  QCOMPARE(w.State().view.TiltAngle.AsDouble(), fitted.TiltAngle.AsDouble());
  QTRY_VERIFY(!w.State().view.RefitRequested);
  QCOMPARE(w.State().view.ZoomScale.AsDouble(), fitted.ZoomScale.AsDouble());

  // A cave map opens coloured by depth; Ctrl+G switches the colours off and
  // says what the next use will do, and the fit takes the legend's room
  // back.
  QAction* depth = w.findChild<QAction*>("DepthColours");
  QVERIFY(depth);
  QVERIFY(w.State().view.DepthColours);
  QCOMPARE(depth->text(), QString("Nie koloruj według głębokości"));
  const double withLegend = w.State().view.ZoomScale.AsDouble();
  QTest::keyClick(&w, Qt::Key_G, Qt::ControlModifier);
  QVERIFY(!w.State().view.DepthColours);
  QCOMPARE(depth->text(), QString("Koloruj według głębokości"));
  const qint64 frames = w.View()->FramesDrawn();
  QTRY_VERIFY(w.View()->FramesDrawn() > frames);
  QTRY_VERIFY(w.State().view.ZoomScale.AsDouble() > withLegend);
  QVERIFY(holdsEverything());
}

void OpenSurveyTest::clicksPickMeasureCopyAndFind() {
  MainWindow w(kCzarna, NoBox);
  QVERIFY(Show(w));
  QTRY_VERIFY(w.View()->FramesDrawn() > 0);
  QTest::keyClick(&w, Qt::Key_Space);  // a still picture to click on
  const mv::ViewState opened = w.State().view;
  const mv::SurveyModel& m = w.State().survey;
  const mv::ViewState& v = w.State().view;
  const auto at = [&](int32_t row) {
    const mv::PicturePoint p = mv::StationOnPicture(v, m, w.Geometry(), row);
    return QPoint(qRound(p.x), qRound(p.y));
  };
  // The two entrances of the cave, far apart on the picture.
  const int32_t a = m.entrances[0], b = m.entrances[1];
  QTest::mouseClick(w.View(), Qt::LeftButton, Qt::NoModifier, at(a));
  QCOMPARE(v.PickedFirst, a);
  QTest::mouseClick(w.View(), Qt::LeftButton, Qt::ShiftModifier, at(b));
  QCOMPARE(v.PickedSecond, b);

  // Ctrl+C: Polish words, and the numbers with the decimal mark of the
  // user's locale; names as they are.
  const QLocale userLocale;
  for (const QLocale& locale : {QLocale(QLocale::Polish), QLocale::c()}) {
    QLocale::setDefault(locale);
    QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier);
    const QStringList copied = QGuiApplication::clipboard()->text().split('\n');
    QCOMPARE(copied.size(), 4);  // two stations, the distance, the final line break
    QVERIFY(copied[0].startsWith(QString::fromStdString(std::string(m.StationName(a))) + "\t"));
    const QString mark = locale.decimalPoint();
    QVERIFY2(copied[2].contains(QRegularExpression("^odległość\t\\d+\\" + mark +
                                                   "\\d\\d\tpoziomo\t.*\tpionowo\t")),
             qPrintable(copied[2]));
  }
  QLocale::setDefault(userLocale);

  // A click on empty picture clears the pick; Ctrl+C then says there is
  // nothing to copy.
  QTest::mouseClick(w.View(), Qt::LeftButton, Qt::NoModifier, QPoint(5, w.View()->height() - 5));
  QCOMPARE(v.PickedFirst, -1);
  QGuiApplication::clipboard()->setText("kept");
  QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QGuiApplication::clipboard()->text(), QString("kept"));
  QVERIFY(w.Note()->isVisible());
  QVERIFY2(w.Note()->text().startsWith("Nie wskazano stacji"), qPrintable(w.Note()->text()));

  // Ctrl+F picks the station found and turns the model about it.
  w.ControlsOf().SetStationAsker(
      [](const mv::SurveyModel& survey, QWidget*) -> std::optional<int32_t> {
        return mv::ui::FindStation(survey, "c12");
      });
  QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
  QVERIFY(v.PickedFirst >= 0);
  QVERIFY(std::string(m.StationName(v.PickedFirst)).ends_with(".c12"));
  QCOMPARE(v.CentreX.AsDouble(), m.X(v.PickedFirst));
  // Home puts the axis back where the survey opened with it, and fits.
  QTest::keyClick(&w, Qt::Key_Plus);
  QTest::keyClick(&w, Qt::Key_Home);
  QCOMPARE(v.CentreX.AsDouble(), opened.CentreX.AsDouble());
  QCOMPARE(v.CentreY.AsDouble(), opened.CentreY.AsDouble());
  QCOMPARE(v.ZoomScale.AsDouble(), opened.ZoomScale.AsDouble());
  QCOMPARE(v.TargetZ.AsDouble(), opened.TargetZ.AsDouble());

  QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
  QVERIFY(v.StationNamesVisible);
}

void OpenSurveyTest::captionAndSuggestedFileNames() {
  const std::pair<fs::path, const char*> rows[] = {
      {kSample, "Jaskinia Morvalka Vendra"},
      {fs::path(MV_SURVEX_DIR) / "jaskinie_all.3d", "all"}};  // the title
  for (const auto& [source, shown] : rows) {
    MainWindow w(source, NoBox);
    QCOMPARE(w.windowTitle(), QString("Symulacja 3D  - ") + shown);
    // The save dialogs offer a survey file's name, else "jaskinia".
    const QString name = source == kSample ? "jaskinia" : "jaskinie_all";
    QStringList offered;
    w.SetPictureChooser([&](QWidget*, const fs::path& s) -> std::optional<fs::path> {
      offered << QString::fromStdString(s.filename().string());
      return std::nullopt;
    });
    w.SavePicture();
    w.SaveAnimation();
    w.SaveDrawing();
    QCOMPARE(offered, (QStringList{name + ".png", name + ".gif", name + ".svg"}));
  }
  // Without a title, the file's name; a title of 10,000 characters is cut.
  mv::SurveyModel m;
  QCOMPARE(mv::CaptionFor(m, "/caves/a.plt", true), QString("Symulacja 3D  - a.plt"));
  m.title = std::string(10000, 'x');
  QCOMPARE(mv::CaptionFor(m, "/caves/a.plt", true).size(), 16 + mv::kMostCaptionChars);
}

QTEST_MAIN(OpenSurveyTest)
#include "open_survey_test.moc"
