#include "shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGridLayout>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QUrl>
#include <cstdio>

#include "data/loader.h"
#include "data/survey_source.h"
#include "shell/file_dialogs.h"
#include "shell/survey_loading.h"

namespace mv {

namespace {

void ShowSaveFailure(QWidget* parent, const QString& caption, const QString& text) {
  QMessageBox::warning(parent, caption, text);
}

// The survey that dropped files stand for: a folder, a .3d file, or the
// survey files of one folder dropped together.
std::optional<std::filesystem::path> DroppedSource(const QMimeData* data) {
  if (!data || !data->hasUrls()) return std::nullopt;
  std::optional<std::filesystem::path> source;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return std::nullopt;
    const std::filesystem::path p = QFile::encodeName(url.toLocalFile()).toStdString();
    if (!LooksLikeSurveySource(p)) return std::nullopt;
    const std::filesystem::path s = SurveySourceFor(p);
    if (source && *source != s) return std::nullopt;
    source = s;
  }
  return source;
}

}  // namespace

MainWindow::MainWindow(std::filesystem::path source, FailureBox box, QWidget* parent)
    : QMainWindow(parent),
      source_(SurveySourceFor(source)),
      failureBox_(box ? std::move(box) : FailureBox(&MainWindow::ShowFailureBox)),
      sourceChooser_(&ChooseSurveyWithDialog),
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
  AddFileCommands();
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

void MainWindow::AddFileCommands() {
  QMenu* file = controls_->FileMenu();
  auto* open = new QAction("Otwórz dane jaskini...", file);
  open->setObjectName("Otworzdanejaskini1");
  open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  connect(open, &QAction::triggered, this, &MainWindow::Otworzdanejaskini1Click);
  auto* save = new QAction("Zapisz obraz...", file);
  save->setObjectName("Zapiszobraz1");
  save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  connect(save, &QAction::triggered, this, &MainWindow::Zapiszobraz1Click);
  file->insertActions(controls_->FileMenuAnchor(), {open, save});

  auto* fullScreen = new QAction(this);
  fullScreen->setObjectName("FullScreenKey");
  fullScreen->setShortcut(QKeySequence(Qt::Key_F11));
  connect(fullScreen, &QAction::triggered, this, &MainWindow::ToggleFullScreen);
  addAction(fullScreen);
}

std::filesystem::path MainWindow::SourceFolder() const {
  std::error_code ec;
  if (std::filesystem::is_directory(source_, ec)) return source_;
  const std::filesystem::path parent = source_.parent_path();
  return parent.empty() ? std::filesystem::path(".") : parent;
}

void MainWindow::OpenSource(const std::filesystem::path& chosen) {
  source_ = SurveySourceFor(chosen);
  SpeedButton1Click();
}

void MainWindow::Otworzdanejaskini1Click() {
  if (const auto chosen = sourceChooser_(this, SourceFolder())) OpenSource(*chosen);
}

void MainWindow::Zapiszobraz1Click() {
  const std::filesystem::path folder = pictureFolder_.empty() ? SourceFolder() : pictureFolder_;
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

void MainWindow::ToggleFullScreen() {
  setWindowState(windowState() ^ Qt::WindowFullScreen);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e) {
  if (DroppedSource(e->mimeData())) e->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* e) {
  if (DroppedSource(e->mimeData())) e->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* e) {
  const auto source = DroppedSource(e->mimeData());
  if (!source) return;
  e->acceptProposedAction();
  // Load after the drop has finished: the failure box must not run its
  // modal loop inside the drag and drop of the window system.
  QMetaObject::invokeMethod(
      this, [this, s = *source] { OpenSource(s); }, Qt::QueuedConnection);
}

void MainWindow::SpeedButton1Click() {
  LoadResult r = LoadSurveySource(source_);
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
}

void MainWindow::keyPressEvent(QKeyEvent* e) {
  if (!controls_->KeyPress(e)) QMainWindow::keyPressEvent(e);
}

}  // namespace mv
