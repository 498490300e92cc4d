#include "ui/controls.h"

#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>

namespace mv::ui {

struct Controls::Impl {
  Host& host;
};

Controls::Controls(Host& host) : d_(new Impl{host}) {
  QMenu* plik = host.Window()->menuBar()->addMenu("&Plik");
  QAction* zamknij = plik->addAction("&Zamknij");
  zamknij->setShortcut(QKeySequence("Ctrl+Q"));
  QObject::connect(zamknij, &QAction::triggered, [&host] { host.Close(); });
}

Controls::~Controls() = default;

void Controls::SyncTexts() {}
void Controls::PlacePanels(int, int) {}
bool Controls::KeyPress(QKeyEvent*) { return false; }

}  // namespace mv::ui
