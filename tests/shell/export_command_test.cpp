// morvalka --export: a picture without a window, or one line saying why not.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
  int exitCode = -1;
  QByteArray err;
};

Run Viewer(const QStringList& arguments, const QProcessEnvironment& env) {
  QProcess viewer;
  viewer.setProcessEnvironment(env);
  viewer.start(MV_VIEWER, arguments);
  if (!viewer.waitForFinished(60000)) return {};
  return {viewer.exitStatus() == QProcess::NormalExit ? viewer.exitCode() : -1,
          viewer.readAllStandardError()};
}

QProcessEnvironment Environment(const QString& config) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", config);
  env.insert("XDG_RUNTIME_DIR", config);
  return env;
}

}  // namespace

class ExportCommandTest : public QObject {
  Q_OBJECT

 private slots:
  void writesOrSaysWhyNot_data();
  void writesOrSaysWhyNot();
  void wallsOnOrOff();
  void withoutADisplay();
};

void ExportCommandTest::writesOrSaysWhyNot_data() {
  QTest::addColumn<QStringList>("arguments");  // OUT is in a folder of its own
  QTest::addColumn<int>("exitCode");
  QTest::addColumn<QString>("said");  // a part of the one line on failure
  const QString sample = MV_SAMPLE_DIR;
  QTest::newRow("png") << QStringList{"OUT/a.png", sample, "--size", "320x200", "--tick", "200"}
                       << 0 << "";
  QTest::newRow("svg by depth, planned")
      << QStringList{"OUT/a.SVG", sample, "--depth", "--plan", "--turn", "30"} << 0 << "";
  QTest::newRow("gif") << QStringList{"OUT/a.gif", sample, "--size", "160x120", "--tilt", "-20"}
                       << 0 << "";
  QTest::newRow("unknown extension") << QStringList{"OUT/a.jpg", sample} << 2 << "'.jpg'";
  QTest::newRow("no extension") << QStringList{"OUT/a", sample} << 2 << "no extension";
  QTest::newRow("a folder") << QStringList{"OUT", sample} << 2 << "is a folder";
  QTest::newRow("no such folder") << QStringList{"OUT/no/a.png", sample} << 1 << "cannot write";
  QTest::newRow("unreadable source")
      << QStringList{"OUT/a.png", "OUT/none.3d"} << 1 << "cannot read";
  QTest::newRow("size 0") << QStringList{"OUT/a.png", sample, "--size", "0x10"} << 2 << "--size";
  QTest::newRow("size negative") << QStringList{"OUT/a.png", sample, "--size", "-5x10"} << 2
                                 << "--size";
  QTest::newRow("size too large") << QStringList{"OUT/a.png", sample, "--size", "16385x10"} << 2
                                  << "--size";
  QTest::newRow("tilt not a number")
      << QStringList{"OUT/a.png", sample, "--tilt", "steep"} << 2 << "--tilt";
  QTest::newRow("splays hidden, surface faded")
      << QStringList{"OUT/a.png", sample, "--size",    "320x200",
                     "--splays",  "hide", "--surface", "fade"}
      << 0 << "";
  QTest::newRow("splays dimmed") << QStringList{"OUT/a.png", sample, "--splays", "dim"} << 2
                                 << "--splays 'dim' is not show, fade or hide";
  QTest::newRow("surface without a state")
      << QStringList{"OUT/a.png", sample, "--surface"} << 2 << "--surface needs a value";
  QTest::newRow("negative tick") << QStringList{"OUT/a.png", sample, "--tick", "-1"} << 2
                                 << "--tick";
  QTest::newRow("walls neither on nor off")
      << QStringList{"OUT/a.png", sample, "--walls", "yes"} << 2 << "--walls";
}

void ExportCommandTest::writesOrSaysWhyNot() {
  QFETCH(QStringList, arguments);
  QFETCH(int, exitCode);
  QFETCH(QString, said);
  QTemporaryDir dir;
  for (QString& a : arguments) a.replace("OUT", dir.path());
  const Run run = Viewer(QStringList{"--export"} + arguments, Environment(dir.path()));
  QCOMPARE(run.exitCode, exitCode);
  const QString out = arguments.first();
  if (exitCode == 0) {
    QVERIFY(QFile::exists(out));
    if (out.endsWith(".png")) QCOMPARE(QImage(out).size(), QSize(320, 200));
    return;
  }
  const QList<QByteArray> lines = run.err.trimmed().split('\n');
  QCOMPARE(lines.size(), 1);
  QVERIFY2(lines[0].startsWith("morvalka: ") && lines[0].contains(said.toUtf8()), run.err);
  // A file is named once ("cannot read X: X: ..." named the source twice).
  QVERIFY2(lines[0].count(dir.path().toUtf8()) <= 1, run.err);
  QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

void ExportCommandTest::wallsOnOrOff() {
  // A survey with passage sizes shows its walls unless told not to; the
  // drawing has them too, as filled shapes.
  QTemporaryDir dir;
  const QProcessEnvironment env = Environment(dir.path());
  QMap<QString, QImage> pictures;
  QMap<QString, QByteArray> drawings;
  for (const QString walls : {"", "on", "off"}) {
    for (const QString kind : {"png", "svg"}) {
      const QString out = dir.filePath(QString("walls-%1.%2").arg(walls, kind));
      QStringList arguments{"--export", out, MV_WALLS_SURVEY, "--size", "400x300"};
      if (!walls.isEmpty()) arguments << "--walls" << walls;
      const Run run = Viewer(arguments, env);
      QCOMPARE(run.exitCode, 0);
      QFile file(out);
      QVERIFY(file.open(QIODevice::ReadOnly));
      if (kind == "png")
        pictures[walls] = QImage(out);
      else
        drawings[walls] = file.readAll();
    }
  }
  QCOMPARE(pictures[""], pictures["on"]);
  QCOMPARE(drawings[""], drawings["on"]);
  const auto lit = [](const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xffffff) != 0;
    return n;
  };
  QVERIFY2(
      lit(pictures["on"]) > lit(pictures["off"]) + 500,
      qPrintable(
          QString("%1 against %2 lit pixels").arg(lit(pictures["on"])).arg(lit(pictures["off"]))));
  QVERIFY(drawings["on"].count("<path") > drawings["off"].count("<path") + 50);
}

void ExportCommandTest::withoutADisplay() {
  // Qt's offscreen platform: the drawing needs no OpenGL; a picture is
  // written where the platform gives OpenGL, else one line says so.
  QTemporaryDir dir;
  QProcessEnvironment env = Environment(dir.path());
  env.remove("DISPLAY");
  env.remove("QT_QPA_PLATFORM");
  const Run svg = Viewer({"--export", dir.filePath("a.svg"), MV_SAMPLE_DIR}, env);
  QCOMPARE(svg.exitCode, 0);
  const Run png = Viewer({"--export", dir.filePath("a.png"), MV_SAMPLE_DIR}, env);
  if (png.exitCode == 0) return;
  QCOMPARE(png.exitCode, 3);
  QVERIFY2(png.err.trimmed().split('\n').size() == 1 && png.err.contains("OpenGL"), png.err);
}

QTEST_MAIN(ExportCommandTest)
#include "export_command_test.moc"
