#include "shell/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>

#include "data/loader.h"
#include "shell/survey_loading.h"

namespace mv {

MainWindow::MainWindow(std::filesystem::path source, FailureBox box, QWidget* parent)
    : QMainWindow(parent),
      source_(std::move(source)),
      failureBox_(box ? std::move(box) : FailureBox(&MainWindow::ShowFailureBox)) {
  setWindowTitle("Symulacja 3D  - Jaskinia Morvalka Vendra");
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);
  setAutoFillBackground(true);

  overlay_ = new QWidget(this);
  overlay_->setFocusPolicy(Qt::NoFocus);
  setCentralWidget(overlay_);
  view_ = new GlView(state_, overlay_);
  view_->setFocusPolicy(Qt::NoFocus);
  auto* layout = new QGridLayout(overlay_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_, 0, 0);
  panel1_ = new QWidget(overlay_);
  panel1_->setObjectName("Panel1");
  panel1_->setAutoFillBackground(true);
  panel1_->setPalette(QApplication::palette());
  panel1_->setGeometry(0, 0, kOuterWidth - 8, kToolbarHeight);
  panel1_->raise();
  controls_ = std::make_unique<ui::Controls>(*this);
  setFocusPolicy(Qt::StrongFocus);

  resize(kOuterWidth, kOuterHeight);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  // The start of the main window: toolbar width, placeholder model (already
  // in the state), start parameters, then the first load. The rendering
  // context itself is made by the picture when it is first shown.
  panel1_->resize(kOuterWidth - 8, kToolbarHeight);
  SetStartParameters(state_.view);
  connect(&clock_, &TickClock::Tick, this, &MainWindow::Timer1Timer);
  clock_.Start();
  SpeedButton1Click();
}

MainWindow::~MainWindow() {
  clock_.Stop();
  view_->ReleaseContext();
}

QSize MainWindow::OuterSize() const {
  return frameGeometry().size();
}

void MainWindow::Timer1Timer() {
  AdvanceTick(state_.view);
  if (!destroyed_) view_->update();
}

void MainWindow::SpeedButton1Click() {
  LoadResult r = LoadSurveyFolder(source_);
  std::string error = r.error;
  const bool ok = ApplyLoad(state_, std::move(r));
  controls_->SyncTexts();
  if (!ok) {
    std::fprintf(stderr, "morvalka: %s\n", error.c_str());
    failureBox_(isVisible() ? this : nullptr);
  }
}

void MainWindow::Reload() {
  SpeedButton1Click();
}

void MainWindow::ShowFailureBox(QWidget* parent) {
  QMessageBox box(QMessageBox::NoIcon, "Błąd wczytania danych!", "Pliki o złej strukturze!",
                  QMessageBox::Ok, parent);
  box.exec();
}

void MainWindow::FormDestroy() {
  view_->ReleaseContext();
  if (destroyed_) return;
  destroyed_ = true;
  clock_.Stop();
  QCoreApplication::quit();
}

void MainWindow::Close() {
  FormDestroy();
}

void MainWindow::closeEvent(QCloseEvent* e) {
  FormDestroy();
  e->accept();
}

void MainWindow::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (sized_) return;
  sized_ = true;
  // resize() sets the client size; take off what the window frame adds so
  // the outer size is the one asked for.
  const QSize extra = frameGeometry().size() - size();
  if (!extra.isEmpty()) resize(kOuterWidth - extra.width(), kOuterHeight - extra.height());
  setFocus();
}

void MainWindow::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  FormResize();
}

void MainWindow::FormResize() {
  const QSize outer = OuterSize();
  panel1_->resize(outer.width() - 8, kToolbarHeight);
  view_->SetOuterSize(outer);
  controls_->PlacePanels(outer.width(), outer.height());
}

void MainWindow::keyPressEvent(QKeyEvent* e) {
  if (!controls_->KeyPress(e)) QMainWindow::keyPressEvent(e);
}

}  // namespace mv
