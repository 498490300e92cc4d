// The main window: the OpenGL picture with the toolbar strip and panels over
// it, the menu bar, the tick clock and the survey loader.
#pragma once

#include <QMainWindow>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "shell/gl_view.h"
#include "shell/tick_clock.h"
#include "shell/view_state.h"
#include "ui/controls.h"
#include "ui/host.h"

namespace mv {

inline constexpr int kOuterWidth = 780;
inline constexpr int kOuterHeight = 591;
inline constexpr int kToolbarHeight = 33;

class MainWindow : public QMainWindow, public ui::Host {
  Q_OBJECT
 public:
  // Shows the load-failure box; tests replace it so no person has to press OK.
  using FailureBox = std::function<void(QWidget* parent)>;
  // Asks for a path, starting from `start`; nullopt when cancelled. Tests
  // answer instead of a file dialog.
  using PathChooser = std::function<std::optional<std::filesystem::path>(
      QWidget* parent, const std::filesystem::path& start)>;
  // Tells the user that something failed.
  using NoticeBox =
      std::function<void(QWidget* parent, const QString& caption, const QString& text)>;

  // `source` is the survey to read: a folder of the three survey files (the
  // working directory by default), one of those files, or a .3d file.
  explicit MainWindow(std::filesystem::path source = ".", FailureBox box = {},
                      QWidget* parent = nullptr);
  ~MainWindow() override;

  // ui::Host
  AppState& State() override { return state_; }
  QMainWindow* Window() override { return this; }
  QWidget* Overlay() override { return overlay_; }
  QWidget* ToolbarStrip() override { return panel1_; }
  QSize OuterSize() const override;
  void Reload() override;
  void Close() override;

  GlView* View() { return view_; }
  TickClock& Clock() { return clock_; }
  ui::Controls& ControlsOf() { return *controls_; }
  const std::filesystem::path& Source() const { return source_; }
  void SetSource(std::filesystem::path p) { source_ = std::move(p); }

  // Makes `chosen` the survey source (a survey file stands for its folder)
  // and loads it. The source stays chosen when the load fails, so the return
  // to the start parameters tries it again.
  void OpenSource(const std::filesystem::path& chosen);
  // "Otwórz dane jaskini..." (Ctrl+O): asks for a survey and opens it.
  void Otworzdanejaskini1Click();
  // "Zapisz obraz..." (Ctrl+P): asks for a file and writes the picture to it
  // as a PNG, without the toolbar and panels over it.
  void Zapiszobraz1Click();
  // F11: full screen on and off.
  void ToggleFullScreen();

  void SetSourceChooser(PathChooser chooser) { sourceChooser_ = std::move(chooser); }
  void SetPictureChooser(PathChooser chooser) { pictureChooser_ = std::move(chooser); }
  void SetSaveFailureBox(NoticeBox box) { saveFailureBox_ = std::move(box); }

  // The timer's tick: advance the counter and repaint.
  void Timer1Timer();
  // The loader: reads the survey source into the state; on failure shows
  // the one failure box and keeps the placeholder model.
  void SpeedButton1Click();
  // Deletes the rendering context (once) and ends the program.
  void FormDestroy();

  static void ShowFailureBox(QWidget* parent);

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  void FormResize();
  void FitOuterSizeOnce();
  void AddFileCommands();
  // The folder the survey source lies in (the source itself for a folder).
  std::filesystem::path SourceFolder() const;

  AppState state_;
  std::filesystem::path source_;
  FailureBox failureBox_;
  PathChooser sourceChooser_;
  PathChooser pictureChooser_;
  NoticeBox saveFailureBox_;
  std::filesystem::path pictureFolder_;  // where the last picture went
  QWidget* overlay_ = nullptr;
  GlView* view_ = nullptr;
  QWidget* panel1_ = nullptr;
  TickClock clock_;
  std::unique_ptr<ui::Controls> controls_;
  bool destroyed_ = false;
  bool sized_ = false;
  bool frameFitted_ = false;
};

}  // namespace mv
