#include "shell/startup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QTranslator>

#include "mv_version.h"
#include "shell/gl_view.h"
#include "shell/standard_error.h"

namespace mv {

namespace {

// Platforms that show no window a person could see. Qt draws no OpenGL
// widget on them either, even where they make OpenGL contexts.
bool HasDesktop() {
  const QString platform = QGuiApplication::platformName();
  return platform != "offscreen" && platform != "minimal";
}

}  // namespace

bool PrepareApplication(QApplication& app) {
  QApplication::setApplicationName("Morvalka Vendra");
  QApplication::setApplicationVersion(kVersion);
  // A desktop's native file dialog speaks the user's language, not the one
  // loaded here.
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  auto* qtTexts = new QTranslator(&app);
  if (!qtTexts->load("qtbase_pl", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete qtTexts;
    return false;
  }
  QApplication::installTranslator(qtTexts);
  return true;
}

QString OpenGlProblem() {
  QOpenGLContext context;
  context.setFormat(ViewerSurfaceFormat());
  if (!context.create())
    return QString("no OpenGL context can be created on the \"%1\" platform")
        .arg(QGuiApplication::platformName());
  QOffscreenSurface surface;
  surface.setFormat(context.format());
  surface.create();
  if (!surface.isValid()) return "no surface for OpenGL to draw on can be created";
  if (!context.makeCurrent(&surface)) return "the OpenGL context cannot be made current";
  context.doneCurrent();
  if (!HasDesktop())
    return QString("the \"%1\" platform shows no OpenGL windows")
        .arg(QGuiApplication::platformName());
  return {};
}

void ReportNoOpenGl(const QString& problem) {
  ReportOnStandardError(
      QString("OpenGL could not be started (%1); the viewer needs a graphics driver with OpenGL "
              "2.1, such as Mesa (on Debian: apt install libgl1-mesa-dri), on a display that "
              "offers it")
          .arg(problem));
  if (!HasDesktop()) return;
  QMessageBox::critical(
      nullptr, "Brak OpenGL",
      "Nie udało się uruchomić OpenGL, bez którego program nie narysuje modelu jaskini.\n\n"
      "Potrzebny jest sterownik grafiki z OpenGL 2.1, np. Mesa (w Debianie pakiet "
      "libgl1-mesa-dri).");
}

}  // namespace mv
