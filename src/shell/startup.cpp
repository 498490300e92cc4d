#include "shell/startup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "mv_version.h"

namespace mv {

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

}  // namespace mv
