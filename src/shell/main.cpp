// Start-up of the viewer.
#include <QApplication>
#include <QSurfaceFormat>

#include "shell/gl_view.h"
#include "shell/main_window.h"

int main(int argc, char** argv) {
  QSurfaceFormat::setDefaultFormat(mv::ViewerSurfaceFormat());
  QApplication app(argc, argv);
  QApplication::setApplicationName("Morwalka Vendra");
  mv::MainWindow window;
  window.show();
  return app.exec();
}
