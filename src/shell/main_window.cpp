#include "shell/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "shell/file_dialogs.h"
#include "shell/standard_error.h"
#include "ui/survey_dialogs.h"
#include "view/framing.h"
#include "view/picking.h"
#include "view/repaint.h"
#include "view/survey_selection.h"

namespace mv {

namespace {

void ShowSaveFailure(QWidget* parent, const QString& caption, const QString& text) {
  QMessageBox::warning(parent, caption, text);
}

// Writing a file of `kind` failed: a line on standard error and a box.
void ReportSaveFailure(const MainWindow::NoticeBox& box, QWidget* parent, const ExportKind& kind,
                       const std::filesystem::path& file, const QString& error) {
  ReportOnStandardError(file.string() + ": " + error.toLocal8Bit().toStdString());
  box(parent, kind.failureTitle,
      QString("Nie udało się zapisać %1 %2:\n%3").arg(kind.what, PathText(file), error));
}

// Over the empty picture of a start with nothing to open.
QLabel* MakeStartHint(QWidget* parent) {
  auto* hint = new QLabel(parent);
  hint->setObjectName("StartHint");
  hint->setText(
      "Otwórz dane jaskini... (Ctrl+O)\n\n"
      "albo upuść je na to okno:\n"
      "folder z plikami Dane*.bin,\n" +
      SurveyFormatsByProgram());
  hint->setAlignment(Qt::AlignCenter);
  hint->setStyleSheet("QLabel { color: #c8c8c8; background: transparent; font-size: 15px; }");
  // Clicks and drops go through to the window.
  hint->setAttribute(Qt::WA_TransparentForMouseEvents);
  hint->hide();
  return hint;
}

}  // namespace

MainWindow::MainWindow(std::filesystem::path source, FailureBox box, QWidget* parent,
                       std::unique_ptr<RecentSurveys> recent)
    : QMainWindow(parent),
      pictureChooser_(&ChoosePictureWithDialog),
      saveFailureBox_(&ShowSaveFailure),
      recent_(recent ? std::move(recent) : std::make_unique<RecentSurveys>()) {
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
  note_ = new QLabel(overlay_);
  note_->setObjectName("NoteLabel");
  note_->setStyleSheet("QLabel { background: rgba(0, 0, 0, 190); color: white; padding: 4px; }");
  note_->hide();
  hint_ = MakeStartHint(overlay_);
  ui::SurveyTreePanel::Actions treeActions;
  treeActions.fit = [this](int32_t node) { FitToSurvey(state_, Geometry(), node); };
  treeActions.statistics = [this](int32_t node) { ShowStatistics(node); };
  treeActions.connections = [this](int32_t node) { FindConnections(node); };
  tree_ = new ui::SurveyTreePanel(state_, std::move(treeActions), this);
  addDockWidget(Qt::LeftDockWidgetArea, tree_);
  tree_->hide();
  opener_ = std::make_unique<SurveyOpener>(state_, this, std::move(source), std::move(box), [this] {
    controls_->SyncTexts();
    FollowSurveyTree();
    setWindowTitle(CaptionFor(state_.survey, opener_->Source(), opener_->LastLoadOk()));
    hint_->setVisible(opener_->Source().empty());
    PlaceStartHint();
    if (opener_->LastLoadOk()) {
      recent_->Add(opener_->Source());
      FillRecentMenu();
    }
    if (isVisible()) ApplyPendingFit(state_, Geometry());
  });
  FillRecentMenu();
  // Just before each frame: a fit asked for before the window was laid out
  // is made, and the state the frame draws is remembered, so the ticks can
  // tell whether the picture has changed since.
  view_->SetBeforeFrame([this] {
    const PictureGeometry g = Geometry();
    KeepFitted(state_, g);
    gate_.Drawn(FrameInputsOf(state_, g), SpinAngle(state_.view),
                SpinPixelsPerDegree(state_.view, DrawnCylinder(state_), g));
  });
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
  // A frame only where it would show something new: a minimised or covered
  // window draws none, and neither does a still picture. Whatever changed
  // meanwhile shows at the next tick that finds the window shown.
  if (destroyed_) return;
  if (!PictureShown()) {
    // Nothing to draw for: wake four times a second instead of 64.
    clock_.SetTicksPerWake(kTicksPerSecond / 4);
    return;
  }
  clock_.SetTicksPerWake(1);
  if (gate_.Wanted(FrameInputsOf(state_, Geometry()), SpinAngle(state_.view))) view_->update();
}

bool MainWindow::PictureShown() const {
  const QWindow* w = windowHandle();
  return isVisible() && !isMinimized() && w && w->isExposed();
}

void MainWindow::OpenSurvey() {
  // In the folder of the survey opened last, where the user left off.
  std::filesystem::path start = opener_->SourceFolder();
  if (!recent_->Sources().isEmpty()) {
    const std::filesystem::path last = QFile::encodeName(recent_->Sources().first()).toStdString();
    std::error_code ec;
    start = std::filesystem::is_directory(last, ec) ? last : last.parent_path();
  }
  opener_->Choose(start);
}

void MainWindow::OpenRecent(const QString& source) {
  const std::filesystem::path path = QFile::encodeName(source).toStdString();
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    recent_->Remove(source);
    FillRecentMenu();
    ShowNote(QString("Nie ma już %1 - usunięto z listy ostatnio otwieranych.").arg(source));
    return;
  }
  opener_->Open(path);
}

void MainWindow::FillRecentMenu() {
  QMenu* menu = controls_->Menu().RecentMenu();
  menu->clear();
  const QStringList& sources = recent_->Sources();
  for (qsizetype i = 0; i < sources.size(); ++i) {
    const QString source = sources[i];
    QAction* a = menu->addAction(QString("&%1 %2").arg(i + 1).arg(source));
    connect(a, &QAction::triggered, this, [this, source] {
      // After the menu has closed: a load may show a box.
      QMetaObject::invokeMethod(
          this, [this, source] { OpenRecent(source); }, Qt::QueuedConnection);
    });
  }
  menu->setEnabled(!sources.isEmpty());
}

void MainWindow::PlaceStartHint() {
  hint_->adjustSize();
  hint_->move((overlay_->width() - hint_->width()) / 2,
              (overlay_->height() + kToolbarHeight - hint_->height()) / 2);
}

void MainWindow::ShowNote(const QString& text) {
  note_->setText(text);
  note_->adjustSize();
  note_->move(8, overlay_->height() - note_->height() - 8);
  note_->show();
  note_->raise();
  // Only the latest note's timer hides it.
  const QString shown = text;
  QTimer::singleShot(6000, note_, [this, shown] {
    if (note_->text() == shown) note_->hide();
  });
}

std::filesystem::path MainWindow::SuggestedPicture(const std::string& extension) const {
  const std::filesystem::path folder =
      pictureFolder_.empty() ? opener_->SourceFolder() : pictureFolder_;
  return folder / PictureNameFor(opener_->Source(), extension);
}

void MainWindow::SavePicture() {
  const ExportKind& kind = ExportKindOf(ExportFormat::Png);
  const auto file = pictureChooser_(this, SuggestedPicture(kind.extension));
  if (!file) return;
  // The picture alone, drawn afresh into an offscreen buffer of the
  // picture's size; the toolbar strip and panels are separate widgets.
  const QImage picture = view_->grabFramebuffer();
  ExportResult r;
  r.error = ExportTargetProblem(*file);
  if (r.error.isEmpty())
    r = WriteAtomically(*file, [&picture](QIODevice& out) { return WritePng(out, picture); });
  const QString error = r.error;
  if (r.ok) {
    pictureFolder_ = file->parent_path();
    return;
  }
  ReportSaveFailure(saveFailureBox_, this, kind, *file, error);
}

void MainWindow::SaveAnimation() {
  Export(ExportFormat::Gif);
}

void MainWindow::SaveDrawing() {
  Export(ExportFormat::Svg);
}

void MainWindow::Export(ExportFormat format) {
  const ExportKind& kind = ExportKindOf(format);
  const auto file = pictureChooser_(this, SuggestedPicture(kind.extension));
  if (!file) return;
  // The view as it is now: the clock goes on ticking while the frames are
  // drawn.
  const ViewState view = state_.view;
  PictureGeometry picture = Geometry();
  picture.pixelRatio = 1;
  QProgressDialog progress(kind.progress, "Anuluj", 0, 1, this);
  progress.setWindowTitle(kind.title);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  const ExportProgress step = [&progress](int done, int total) {
    progress.setMaximum(total);
    progress.setValue(done);
    return !progress.wasCanceled();
  };
  const ExportResult r = ExportPicture(*file, format, {view, state_.survey, picture},
                                       kind.progress ? step : ExportProgress());
  progress.reset();
  if (r.ok) {
    pictureFolder_ = file->parent_path();
    return;
  }
  if (r.cancelled) return;
  ReportSaveFailure(saveFailureBox_, this, kind, *file, r.error);
}

void MainWindow::FitView() {
  // After a find or a move of the axis, the survey spins about its middle
  // again.
  state_.view.CentreX = opener_->OpenedCentreX();
  state_.view.CentreY = opener_->OpenedCentreY();
  FitNow(state_, Geometry());
}

void MainWindow::PickAt(double x, double y, bool second) {
  ViewState& v = state_.view;
  const SurveyModel& m = state_.survey;
  SceneCache& cache = view_->Cache();
  const int32_t row =
      StationAt(v, m, Geometry(), cache.LineStations(m, v), cache.Entrances(m, v), x, y);
  PickStation(v, row, second);
  // The tree shows where the picked station belongs.
  if (row >= 0 && tree_->isVisible()) tree_->SelectNode(m.StationSurvey(row));
}

void MainWindow::FollowSurveyTree() {
  if (treeGeneration_ == state_.survey.generation) return;
  treeGeneration_ = state_.survey.generation;
  tree_->SurveyChanged();
  SetSurveyTreeShown(state_.view.MapStyle && state_.survey.SurveyCount() > 1);
}

void MainWindow::SetSurveyTreeShown(bool shown) {
  if (shown == tree_->isVisible()) return;
  // The window grows by the panel, so the picture keeps its size, unless
  // the window fills the screen.
  constexpr int kTreeWidth = 280;
  const bool free = !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
  tree_->setVisible(shown);
  if (shown) {
    resizeDocks({tree_}, {kTreeWidth}, Qt::Horizontal);
    if (free) resize(width() + kTreeWidth, height());
  } else if (free) {
    resize(std::max(width() - kTreeWidth, 1), height());
  }
}

void MainWindow::ToggleSurveyTree() {
  SetSurveyTreeShown(!tree_->isVisible());
}

void MainWindow::ShowStatistics(int32_t node) {
  ui::StatisticsDialog dialog(state_.survey, node, this);
  dialog.exec();
}

void MainWindow::FindConnections(int32_t node) {
  // Modeless: the picture shows each approach chosen while the list stays.
  auto* dialog = new ui::ConnectionsDialog(
      state_.survey, node,
      [this](const Approach& a) {
        ViewState& v = state_.view;
        PickStation(v, a.fromStation, false);
        PickStation(v, a.toStation, true);
        // The model spins about the gap.
        v.CentreX = (a.from[0] + a.to[0]) / 2;
        v.CentreY = (a.from[1] + a.to[1]) / 2;
      },
      this);
  dialog->found = [this](const std::vector<Approach>& found) {
    std::vector<ViewState::ApproachLine>& lines = state_.view.Approaches;
    lines.clear();
    for (const Approach& a : found)
      lines.push_back({{a.from[0], a.from[1], a.from[2]}, {a.to[0], a.to[1], a.to[2]}});
  };
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::finished, this, [this] { state_.view.Approaches.clear(); });
  dialog->show();
}

PictureGeometry MainWindow::Geometry() const {
  return view_->Picture();
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

// The window shown again, uncovered or restored: the ticks held back come at
// once, before the frame that shows it.
bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
  if (watched == windowHandle() && e->type() == QEvent::Expose && PictureShown())
    clock_.SetTicksPerWake(1);
  return QMainWindow::eventFilter(watched, e);
}

void MainWindow::changeEvent(QEvent* e) {
  QMainWindow::changeEvent(e);
  if (e->type() == QEvent::WindowStateChange && PictureShown()) clock_.SetTicksPerWake(1);
}

void MainWindow::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (QWindow* w = windowHandle()) w->installEventFilter(this);
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
  PlaceStartHint();
  if (isVisible()) RefitIfUntouched(state_, Geometry());
}

void MainWindow::keyPressEvent(QKeyEvent* e) {
  if (!controls_->KeyPress(e)) QMainWindow::keyPressEvent(e);
}

}  // namespace mv
