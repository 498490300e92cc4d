#include "shell/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>

#include "shell/file_dialogs.h"
#include "view/framing.h"
#include "view/picking.h"

namespace mv {

namespace {

void ShowSaveFailure(QWidget* parent, const QString& caption, const QString& text) {
  QMessageBox::warning(parent, caption, text);
}

}  // namespace

MainWindow::MainWindow(std::filesystem::path source, FailureBox box, QWidget* parent)
    : QMainWindow(parent),
      pictureChooser_(&ChoosePictureWithDialog),
      saveFailureBox_(&ShowSaveFailure) {
  setWindowTitle("Symulacja 3D  - Jaskinia Morvalka Vendra");
  overlay_ = new QWidget(this);
  overlay_->setFocusPolicy(Qt::NoFocus);
  // Black behind the picture; the menu bar keeps the desktop's colours.
  QPalette pal = overlay_->palette();
  pal.setColor(QPalette::Window, Qt::black);
  overlay_->setPalette(pal);
  overlay_->setAutoFillBackground(true);
  setCentralWidget(overlay_);
  view_ = new GlView(state_, overlay_);
  view_->setFocusPolicy(Qt::NoFocus);
  auto* layout = new QGridLayout(overlay_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_, 0, 0);
  panel1_ = new QWidget(overlay_);
  panel1_->setObjectName("Panel1");
  panel1_->setAutoFillBackground(true);
  panel1_->setGeometry(0, 0, kOuterWidth - 8, kToolbarHeight);
  panel1_->raise();
  controls_ = std::make_unique<ui::Controls>(*this);
  opener_ = std::make_unique<SurveyOpener>(state_, this, std::move(source), std::move(box), [this] {
    controls_->SyncTexts();
    if (isVisible()) ApplyPendingFit(state_, Geometry());
  });
  // A fit asked for before the window was laid out is made just before the
  // first frame that shows it.
  view_->SetBeforeFrame([this] { ApplyPendingFit(state_, Geometry()); });
  view_->SetClicked([this](double x, double y, bool shift) { PickAt(x, y, shift); });
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);

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

void MainWindow::OpenSurvey() {
  opener_->Choose();
}

void MainWindow::SavePicture() {
  const std::filesystem::path folder =
      pictureFolder_.empty() ? opener_->SourceFolder() : pictureFolder_;
  const auto file = pictureChooser_(this, folder / "jaskinia.png");
  if (!file) return;
  // The picture alone, drawn afresh into an offscreen buffer of the
  // picture's size; the toolbar strip and panels are separate widgets.
  const QString error = WritePng(view_->grabFramebuffer(), *file);
  if (error.isEmpty()) {
    pictureFolder_ = file->parent_path();
    return;
  }
  std::fprintf(stderr, "morvalka: %s: %s\n", file->string().c_str(),
               error.toLocal8Bit().constData());
  saveFailureBox_(this, "Błąd zapisu obrazu!",
                  QString("Nie udało się zapisać obrazu %1:\n%2").arg(PathText(*file), error));
}

void MainWindow::FitView() {
  FitNow(state_, Geometry());
}

void MainWindow::PickAt(double x, double y, bool second) {
  ViewState& v = state_.view;
  const SurveyModel& m = state_.survey;
  SceneCache& cache = view_->Cache();
  // Only what the picture shows can be picked: the lines' stations while the
  // lines are drawn, the entrances while they are shown.
  static const std::vector<int32_t> kNone;
  const int32_t row = NearestStation(v, m, Geometry(),
                                     {v.LinesVisible ? &cache.LineStations(m) : &kNone,
                                      v.EntrancesVisible ? &cache.Entrances(m) : &kNone},
                                     x, y);
  PickStation(v, row, second);
}

PictureGeometry MainWindow::Geometry() const {
  const QSize outer = view_->OuterSize();
  return {outer.width(), outer.height(), view_->width(), view_->height(), kToolbarHeight};
}

void MainWindow::ToggleFullScreen() {
  setWindowState(windowState() ^ Qt::WindowFullScreen);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e) {
  if (SurveyOpener::DroppedSource(e->mimeData())) e->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* e) {
  if (SurveyOpener::DroppedSource(e->mimeData())) e->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* e) {
  const auto source = SurveyOpener::DroppedSource(e->mimeData());
  if (!source) return;
  e->acceptProposedAction();
  // Load after the drop has finished: the failure box must not run its
  // modal loop inside the drag and drop of the window system.
  QMetaObject::invokeMethod(
      this, [this, s = *source] { opener_->Open(s); }, Qt::QueuedConnection);
}

void MainWindow::SpeedButton1Click() {
  opener_->Load();
}

void MainWindow::Reload() {
  SpeedButton1Click();
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
  FitOuterSizeOnce();
  if (sized_) return;
  sized_ = true;
  setFocus();
}

void MainWindow::FitOuterSizeOnce() {
  // resize() sets the client size; take off what the window frame adds so
  // the outer size is the one asked for. A frame may add only a caption, with
  // no side borders. On X11 the window manager tells the frame's size only
  // some time after the window is shown, so this is tried again on the first
  // moves and resizes until a frame is known (without one there is nothing
  // to take off).
  if (frameFitted_ || !isVisible()) return;
  const QSize extra = frameGeometry().size() - size();
  if (extra.isNull()) return;
  frameFitted_ = true;
  resize(kOuterWidth - extra.width(), kOuterHeight - extra.height());
}

void MainWindow::moveEvent(QMoveEvent* e) {
  QMainWindow::moveEvent(e);
  FitOuterSizeOnce();
}

void MainWindow::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  FitOuterSizeOnce();
  FormResize();
}

void MainWindow::FormResize() {
  const QSize outer = OuterSize();
  panel1_->resize(outer.width() - 8, kToolbarHeight);
  view_->SetOuterSize(outer);
  controls_->PlacePanels(outer.width(), outer.height());
  if (isVisible()) RefitIfUntouched(state_, Geometry());
}

void MainWindow::keyPressEvent(QKeyEvent* e) {
  if (!controls_->KeyPress(e)) QMainWindow::keyPressEvent(e);
}

}  // namespace mv
