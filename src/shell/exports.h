// Writing the picture to files: PNG, an animated GIF of one turn, an SVG
// drawing. Every file is written under a temporary name in its folder and
// renamed over the old one only when all of it has been written, so a
// failed or cancelled export leaves an older file as it was and no part of
// a new one.
#pragma once

#include <QImage>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>

#include "view/camera.h"
#include "view/view_state.h"

class QIODevice;

namespace mv {

class OffscreenGl;

enum class ExportFormat { Png, Gif, Svg };

// Each kind of file the program writes, and all it says about it.
struct ExportKind {
  ExportFormat format;
  const char* extension;  // lower case, with the dot
  const char* usage;      // what the usage text calls it
  const char* title;      // of the save dialog and the progress box
  const char* filter;     // the save dialog's file type
  const char* progress;   // the progress box's caption; null for an export without one
  const char* failureTitle;
  const char* what;  // the box's "Nie udało się zapisać <what> <file>"
};
std::span<const ExportKind> ExportKinds();
const ExportKind& ExportKindOf(ExportFormat format);

// The format a file's name asks for by its extension, in any letter case.
std::optional<ExportFormat> ExportFormatOf(const std::filesystem::path& file);

// What an export shows: the view and survey, and where the picture lies
// (its size is the file's, in pixels).
struct ExportScene {
  const ViewState& view;
  const SurveyModel& survey;
  PictureGeometry picture;
};

// Called with the steps done of all; returns false to stop the export.
using ExportProgress = std::function<bool(int done, int total)>;

struct ExportResult {
  bool ok = false;
  bool cancelled = false;
  bool noOpenGl = false;  // the picture could not be drawn for want of OpenGL
  QString error;          // what went wrong, for a message
};

// Why `file` cannot take an export in `format` at all (it is a folder);
// empty when it can be tried.
QString ExportTargetProblem(const std::filesystem::path& file);
// The same, and the format from the name's extension, for a name that must
// tell it: without a known extension the problem says so.
QString ExportNameProblem(const std::filesystem::path& file);

// Writes `file` through a temporary file in its folder: `write` writes the
// contents to the device and returns an empty text, or what went wrong.
ExportResult WriteAtomically(const std::filesystem::path& file,
                             const std::function<ExportResult(QIODevice&)>& write);

// The animation: frames of one full turn of the model from the view as it
// is, turning the way the spin turns.
inline constexpr int kSpinFrames = 72;     // 5° a frame
inline constexpr int kSpinFrameDelay = 6;  // hundredths of a second: 4.3 s a turn

ExportResult WritePng(QIODevice& out, const QImage& picture);
ExportResult WriteSvg(QIODevice& out, const ExportScene& scene);
// Renders with `gl` (of the picture's size) twice: once to choose the
// palette from all frames' colours, once to write them.
ExportResult WriteSpinGif(QIODevice& out, OffscreenGl& gl, const ExportScene& scene,
                          const ExportProgress& progress = {}, int frames = kSpinFrames);

// Writes `file` in `format`, drawn offscreen (the SVG without OpenGL).
ExportResult ExportPicture(const std::filesystem::path& file, ExportFormat format,
                           const ExportScene& scene, const ExportProgress& progress = {});

}  // namespace mv
