// Opening a survey: from the command line, the open dialog, a drop onto the
// window, the recent list or the return to the start parameters, with the
// failure box when the source cannot be read.
#pragma once

#include <QString>
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

// The main window's caption: "Symulacja 3D  - " and what it shows, the
// survey's title or else its file's name, shortened where it is very long.
// A survey folder, and a window with no survey read, keep the caption
// "Symulacja 3D  - Jaskinia Morvalka Vendra".
QString CaptionFor(const SurveyModel& m, const std::filesystem::path& source, bool read);
// Captions are cut to this many characters, the cut marked by "…".
inline constexpr qsizetype kMostCaptionChars = 100;

// The file name the save dialogs offer for a picture of the survey with the
// extension `extension` (".png"): a survey file's own name, else
// "jaskinia".
std::filesystem::path PictureNameFor(const std::filesystem::path& source,
                                     const std::string& extension);

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
  // another format; empty for none. `loaded` runs after every load that
  // changed what is shown, failed or not, before the failure box.
  SurveyOpener(AppState& state, QWidget* window, std::filesystem::path source, FailureBox box,
               std::function<void()> loaded);

  const std::filesystem::path& Source() const { return source_; }
  // The folder the source lies in (the source itself for a folder).
  std::filesystem::path SourceFolder() const;

  // Reads the source into the state; on failure shows the one failure box
  // and keeps the placeholder model. Without a source the placeholder is
  // shown and no box.
  void Load();
  // Opens `chosen`, another source than the one shown. When it is read it
  // becomes the source; when not, the failure box shows over the survey on
  // screen, which stays, and so does its source.
  void Open(const std::filesystem::path& chosen);
  // Asks for a survey, starting in `start`, and opens it.
  void Choose(const std::filesystem::path& start);
  // Whether the survey on screen was read from the source (and is not the
  // placeholder).
  bool LastLoadOk() const { return lastLoadOk_; }
  // Where the rotation axis stood when the survey on screen was opened.
  Real48 OpenedCentreX() const { return openedCentreX_; }
  Real48 OpenedCentreY() const { return openedCentreY_; }

  void SetChooser(PathChooser chooser) { chooser_ = std::move(chooser); }

  // The survey that dropped files stand for: a folder, a survey file, or the
  // survey files of one folder dropped together; nullopt for anything else.
  static std::optional<std::filesystem::path> DroppedSource(const QMimeData* data);

  // What went wrong in the last failed open of a survey file, in Polish,
  // for the failure box: cavern's own messages as they are. Empty for a
  // survey folder, whose box says only that its files are wrong.
  const QString& FailureDetail() const { return detail_; }

  // The one failure box, with `detail` under its text where there is one.
  static void ShowFailureBox(QWidget* parent, const QString& detail);

 private:
  // Reads `source`. On success installs it; on failure says why on
  // standard error, then either keeps the state or installs the
  // placeholder, and shows the box. Whether it was read.
  bool Read(std::filesystem::path source, bool keepOnFailure);
  // After the state took a load (or the placeholder): remembers how it
  // went and where the axis stands, asks for the fit, tells the window.
  void Installed(bool ok, FitRequest fit);

  AppState& state_;
  QWidget* window_;
  std::filesystem::path source_;
  FailureBox failureBox_;
  QString detail_;
  std::function<void()> loaded_;
  PathChooser chooser_;
  bool lastLoadOk_ = false;
  Real48 openedCentreX_, openedCentreY_;
};

}  // namespace mv
