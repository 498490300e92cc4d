// Opening a survey: from the command line, the open dialog, a drop onto the
// window or the return to the start parameters, with the failure box when
// the source cannot be read.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "view/app_state.h"

class QMimeData;
class QWidget;

namespace mv {

// How a source that loaded is fitted to the picture: a survey folder keeps
// the view its files were made for where that shows the whole survey at a
// readable size; every other source is fitted.
FitRequest FitRequestFor(const std::filesystem::path& source);

class SurveyOpener {
 public:
  // Shows the load-failure box; tests replace it so no person has to press OK.
  using FailureBox = std::function<void(QWidget* parent)>;
  // Asks for a path, starting from `start`; nullopt when cancelled. Tests
  // answer instead of a file dialog.
  using PathChooser = std::function<std::optional<std::filesystem::path>(
      QWidget* parent, const std::filesystem::path& start)>;

  // `source` is the survey to read: a folder of the three survey files, one
  // of those files (which stands for its folder), or a survey file of
  // another format. `loaded` runs after every load, failed or not, before
  // the failure box.
  SurveyOpener(AppState& state, QWidget* window, std::filesystem::path source, FailureBox box,
               std::function<void()> loaded);

  const std::filesystem::path& Source() const { return source_; }
  // The folder the source lies in (the source itself for a folder).
  std::filesystem::path SourceFolder() const;

  // Reads the source into the state; on failure shows the one failure box
  // and keeps the placeholder model.
  void Load();
  // Makes `chosen` the source and loads it. The source stays chosen when the
  // load fails, so the return to the start parameters tries it again.
  void Open(const std::filesystem::path& chosen);
  // Asks for a survey, starting in `start`, and opens it.
  void Choose(const std::filesystem::path& start);
  // Whether the last load read its source.
  bool LastLoadOk() const { return lastLoadOk_; }

  void SetChooser(PathChooser chooser) { chooser_ = std::move(chooser); }

  // The survey that dropped files stand for: a folder, a survey file, or the
  // survey files of one folder dropped together; nullopt for anything else.
  static std::optional<std::filesystem::path> DroppedSource(const QMimeData* data);

  // What went wrong in the last failed open of a survey file, for the
  // failure box: cavern's own messages, say. Empty for a survey folder,
  // whose box says only that its files are wrong.
  const std::string& FailureDetail() const { return detail_; }

  // The one failure box, with `detail` under its text where there is one.
  static void ShowFailureBox(QWidget* parent, const std::string& detail);

 private:
  AppState& state_;
  QWidget* window_;
  std::filesystem::path source_;
  FailureBox failureBox_;
  std::string detail_;
  std::function<void()> loaded_;
  PathChooser chooser_;
  bool lastLoadOk_ = false;
};

}  // namespace mv
