// Linked into every test that makes a main window: its settings (the
// recent-surveys list) go to a folder of the test's own, never the user's.
#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

namespace {

void KeepSettingsAside() {
  static QTemporaryDir folder;
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(KeepSettingsAside)
