#include "shell/startup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QTranslator>

#include "mv_version.h"
#include "shell/command_line.h"
#include "shell/gl_view.h"
#include "shell/recent_surveys.h"
#include "shell/standard_error.h"

namespace mv {

namespace {

// Platforms that show no window a person could see. Qt draws no OpenGL
// widget on them either, even where they make OpenGL contexts.
bool HasDesktop() {
  const QString platform = QGuiApplication::platformName();
  return platform != "offscreen" && platform != "minimal";
}

// Key names as printed on the keys ("Home", "PgUp", "Del", "Ctrl"), in the
// menus and wherever else Qt names a key: Qt's Polish texts would call Home
// "Katalog domowy", the home folder. Installed after them, it is asked
// first, and leaves every other text to them.
class KeyNamesAsPrinted : public QTranslator {
 public:
  using QTranslator::QTranslator;
  QString translate(const char* context, const char* sourceText, const char*, int) const override {
    if (qstrcmp(context, "QShortcut") == 0) return QString::fromUtf8(sourceText);
    return {};
  }
  bool isEmpty() const override { return false; }
};

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
  QApplication::installTranslator(new KeyNamesAsPrinted(&app));
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

std::filesystem::path StartSource(const CommandLine& c, RecentSurveys& recent) {
  if (c.fromDesktop && c.source.empty()) return recent.NewestExisting();
  return c.source;
}

}  // namespace mv
