// The main window: the OpenGL picture with the toolbar strip and panels over
// it, the menu bar, the tick clock and the survey loader.
#pragma once

#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <memory>

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

  // `source` is the survey folder to read (the working directory by default).
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

 private:
  void FormResize();

  AppState state_;
  std::filesystem::path source_;
  FailureBox failureBox_;
  QWidget* overlay_ = nullptr;
  GlView* view_ = nullptr;
  QWidget* panel1_ = nullptr;
  TickClock clock_;
  std::unique_ptr<ui::Controls> controls_;
  bool destroyed_ = false;
  bool sized_ = false;
};

}  // namespace mv
