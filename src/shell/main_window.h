// The main window: the OpenGL picture with the toolbar strip and panels over
// it, the menu bar and the tick clock.
#pragma once

#include <QMainWindow>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "shell/exports.h"
#include "shell/gl_view.h"
#include "shell/recent_surveys.h"
#include "shell/survey_opener.h"
#include "shell/tick_clock.h"
#include "ui/controls.h"
#include "ui/host.h"
#include "ui/survey_tree_panel.h"
#include "view/camera.h"
#include "view/fit.h"
#include "view/repaint.h"
#include "view/view_state.h"

class QLabel;

namespace mv {

class MainWindow : public QMainWindow, public ui::Host {
  Q_OBJECT
 public:
  using FailureBox = SurveyOpener::FailureBox;
  using PathChooser = SurveyOpener::PathChooser;
  // Tells the user that something failed.
  using NoticeBox =
      std::function<void(QWidget* parent, const QString& caption, const QString& text)>;

  // `source` is the survey to read: a folder of the three survey files (the
  // working directory by default), one of those files, or a survey file;
  // empty for none, which shows a hint how to open one instead. `recent`
  // keeps the surveys opened last; by default in the user's settings.
  explicit MainWindow(std::filesystem::path source = ".", FailureBox box = {},
                      QWidget* parent = nullptr, std::unique_ptr<RecentSurveys> recent = {});
  ~MainWindow() override;

  // ui::Host
  AppState& State() override { return state_; }
  QMainWindow* Window() override { return this; }
  QWidget* Overlay() override { return overlay_; }
  QWidget* ToolbarStrip() override { return panel1_; }
  QSize OuterSize() const override;
  void Reload() override;
  void Close() override;
  void OpenSurvey() override;
  // Asks for a file and writes the picture to it as a PNG, without the
  // toolbar and panels over it.
  void SavePicture() override;
  // Ask for a file and write one turn of the picture as an animated GIF
  // (with a progress box that can stop it), or the picture as an SVG
  // drawing.
  void SaveAnimation() override;
  void SaveDrawing() override;
  void ToggleFullScreen() override;
  void FitView() override;
  // A click on the picture: picks the station shown nearest the pointer (with
  // Shift, the second one to measure to); a click on empty picture clears.
  void PickAt(double x, double y, bool second);

  // Where the picture lies in the viewport, for fitting the view.
  PictureGeometry Geometry() const;

  GlView* View() { return view_; }
  TickClock& Clock() { return clock_; }
  ui::Controls& ControlsOf() { return *controls_; }
  SurveyOpener& Opener() { return *opener_; }
  RecentSurveys& Recent() { return *recent_; }
  // Opens a survey of the "Ostatnio otwierane" list; one that is gone is
  // taken off the list with a note.
  void OpenRecent(const QString& source);
  void ShowNote(const QString& text) override;
  QLabel* Note() { return note_; }
  // "Pomiary": the survey tree panel.
  ui::SurveyTreePanel* SurveyTree() { return tree_; }
  // The statistics of survey node `node`; the finder of where it comes
  // closest to another part.
  void ShowStatistics(int32_t node);
  void FindConnections(int32_t node);
  void ToggleSurveyTree() override;
  void ShowStatistics() override { ShowStatistics(tree_->SelectedNode()); }
  void FindConnections() override { FindConnections(tree_->SelectedNode()); }
  // Shows or hides the tree panel, the window growing or shrinking by it.
  void SetSurveyTreeShown(bool shown);
  // The hint in the middle of an empty picture while no survey was chosen.
  QLabel* StartHint() { return hint_; }
  const std::filesystem::path& Source() const { return opener_->Source(); }

  void SetSourceChooser(PathChooser chooser) { opener_->SetChooser(std::move(chooser)); }
  void SetPictureChooser(PathChooser chooser) { pictureChooser_ = std::move(chooser); }
  void SetSaveFailureBox(NoticeBox box) { saveFailureBox_ = std::move(box); }

  // The timer's tick: advance the counter, and repaint where the picture
  // would change by half a pixel or more.
  void Timer1Timer();
  // Whether the window shows its picture: visible, not minimised, and not
  // wholly covered.
  bool PictureShown() const;
  // The loader: reads the survey source into the state; on failure shows
  // the one failure box and keeps the placeholder model.
  void SpeedButton1Click();
  // Deletes the rendering context (once) and ends the program.
  void FormDestroy();

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void showEvent(QShowEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void changeEvent(QEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  void FormResize();
  void FitOuterSizeOnce();
  void Export(ExportFormat format);
  void FillRecentMenu();
  void PlaceStartHint();
  // After a load: the tree panel follows a new survey, shown where it has
  // more than one part.
  void FollowSurveyTree();
  // Where a picture of `extension` (".png") is offered to be saved.
  std::filesystem::path SuggestedPicture(const std::string& extension) const;

  AppState state_;
  PathChooser pictureChooser_;
  NoticeBox saveFailureBox_;
  std::filesystem::path pictureFolder_;  // where the last picture went
  QWidget* overlay_ = nullptr;
  GlView* view_ = nullptr;
  QWidget* panel1_ = nullptr;
  TickClock clock_;
  RepaintGate gate_;
  std::unique_ptr<ui::Controls> controls_;
  std::unique_ptr<SurveyOpener> opener_;
  std::unique_ptr<RecentSurveys> recent_;
  QLabel* note_ = nullptr;
  QLabel* hint_ = nullptr;
  ui::SurveyTreePanel* tree_ = nullptr;
  uint64_t treeGeneration_ = 0;  // the survey the tree panel shows
  bool destroyed_ = false;
  bool sized_ = false;
  bool frameFitted_ = false;
};

}  // namespace mv
