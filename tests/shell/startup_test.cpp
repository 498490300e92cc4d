// Start-up: Qt's own dialogs in Polish, and a viewer without OpenGL that says
// so and ends instead of crashing.
#include "shell/startup.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "ui/command_table.h"

namespace {

QString WithoutMnemonic(QString text) {
  return text.remove('&');
}

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void qtDialogsSpeakPolish();
  void keyNamesAsPrintedOnTheKeys();
  void openGlIsFoundOnThisDisplay();
  void withoutOpenGlTheViewerSaysSoAndEnds_data();
  void withoutOpenGlTheViewerSaysSoAndEnds();
};

void StartupTest::qtDialogsSpeakPolish() {
  if (!mv::PrepareApplication(*qApp)) QSKIP("Qt's Polish translations are not installed");
  QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QCOMPARE(WithoutMnemonic(buttons.button(QDialogButtonBox::Cancel)->text()), QString("Anuluj"));
  // The file dialog of Ctrl+O, Qt's own.
  QFileDialog dialog(nullptr, "Otwórz dane jaskini");
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  auto* lookIn = dialog.findChild<QLabel*>("lookInLabel");
  QVERIFY(lookIn);
  QVERIFY2(!lookIn->text().startsWith("Look in"), qPrintable(lookIn->text()));
  auto* box = dialog.findChild<QDialogButtonBox*>("buttonBox");
  QVERIFY(box);
  QCOMPARE(WithoutMnemonic(box->button(QDialogButtonBox::Cancel)->text()), QString("Anuluj"));
}

void StartupTest::keyNamesAsPrintedOnTheKeys() {
  if (!mv::PrepareApplication(*qApp)) QSKIP("Qt's Polish translations are not installed");
  // As the menus show them: Qt's Polish names Home the home folder.
  QCOMPARE(QKeySequence(Qt::Key_Home).toString(QKeySequence::NativeText), QString("Home"));
  for (const mv::ui::CommandRow& row : mv::ui::AllCommands()) {
    const QKeySequence keys(row.key);
    QCOMPARE(keys.toString(QKeySequence::NativeText), keys.toString(QKeySequence::PortableText));
  }
  // Qt's other texts stay Polish.
  QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Anuluj"));
}

void StartupTest::openGlIsFoundOnThisDisplay() {
  // The check must not turn away a display the viewer can draw on.
  QCOMPARE(mv::OpenGlProblem(), QString());
}

void StartupTest::withoutOpenGlTheViewerSaysSoAndEnds_data() {
  QTest::addColumn<QString>("platform");
  QTest::addColumn<bool>("display");
  QTest::addColumn<QString>("glIntegration");
  QTest::addColumn<QString>("problem");
  QTest::newRow("offscreen, no display") << "offscreen" << false << ""
                                         << "no OpenGL context can be created";
  QTest::newRow("offscreen on a display") << "offscreen" << true << ""
                                          << "the \"offscreen\" platform shows no OpenGL windows";
  // A desktop without OpenGL: the box waits for the user.
  QTest::newRow("X without OpenGL") << "xcb" << true << "none"
                                    << "no OpenGL context";
}

void StartupTest::withoutOpenGlTheViewerSaysSoAndEnds() {
  QFETCH(QString, platform);
  QFETCH(bool, display);
  QFETCH(QString, glIntegration);
  QFETCH(QString, problem);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  // The viewer's settings go to a folder of the test's own.
  QTemporaryDir config;
  env.insert("XDG_CONFIG_HOME", config.path());
  env.insert("QT_QPA_PLATFORM", platform);
  if (!display) env.remove("DISPLAY");
  if (!glIntegration.isEmpty()) env.insert("QT_XCB_GL_INTEGRATION", glIntegration);
  QProcess viewer;
  viewer.setProcessEnvironment(env);
  viewer.start(MV_VIEWER, {MV_SAMPLE_DIR});
  QVERIFY(viewer.waitForStarted());
  QByteArray err;
  QTRY_VERIFY_WITH_TIMEOUT((err += viewer.readAllStandardError()).contains("morvalka: OpenGL"),
                           20000);
  if (platform == "xcb") {
    // The box waits for the user: the viewer does not end by itself.
    QVERIFY(!viewer.waitForFinished(300));
    QCOMPARE(viewer.state(), QProcess::Running);
    viewer.kill();
    viewer.waitForFinished();
  } else {
    QTRY_COMPARE_WITH_TIMEOUT(viewer.state(), QProcess::NotRunning, 20000);
    QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
    QCOMPARE(viewer.exitCode(), mv::kNoOpenGlExit);
  }
  err += viewer.readAllStandardError();
  const QList<QByteArray> lines = err.split('\n');
  const auto line = std::find_if(lines.begin(), lines.end(),
                                 [](const QByteArray& l) { return l.startsWith("morvalka: "); });
  QVERIFY(line != lines.end());
  QVERIFY2(line->contains(problem.toUtf8()) && line->contains("libgl1-mesa-dri"), line->data());
  QCOMPARE(err.count("morvalka: "), 1);
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
