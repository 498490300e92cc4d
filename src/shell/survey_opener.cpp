#include "shell/survey_opener.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QUrl>
#include <QWidget>

#include "data/survey_source.h"
#include "shell/failure_reasons.h"
#include "shell/file_dialogs.h"
#include "shell/standard_error.h"
#include "view/survey_loading.h"

namespace mv {

FitRequest FitRequestFor(const std::filesystem::path& source) {
  std::error_code ec;
  return std::filesystem::is_directory(source, ec) ? FitRequest::UnlessWhole : FitRequest::Always;
}

QString CaptionFor(const SurveyModel& m, const std::filesystem::path& source, bool read) {
  const QString caption = "Symulacja 3D  - ";
  if (!read || source.empty() || FitRequestFor(source) == FitRequest::UnlessWhole)
    return caption + "Jaskinia Morvalka Vendra";
  QString shown = QString::fromUtf8(m.title.c_str()).simplified();
  if (shown.isEmpty()) shown = PathText(source.filename());
  if (shown.size() > kMostCaptionChars) {
    qsizetype cut = kMostCaptionChars - 1;
    if (shown[cut].isLowSurrogate()) --cut;  // never half a character
    shown = shown.left(cut) + "…";
  }
  return caption + shown;
}

std::filesystem::path PictureNameFor(const std::filesystem::path& source,
                                     const std::string& extension) {
  std::filesystem::path name = "jaskinia";
  if (!source.empty() && FitRequestFor(source) != FitRequest::UnlessWhole && !source.stem().empty())
    name = source.stem();
  return name += extension;
}

SurveyOpener::SurveyOpener(AppState& state, QWidget* window, std::filesystem::path source,
                           FailureBox box, std::function<void()> loaded)
    : state_(state),
      window_(window),
      source_(source.empty() ? source : SurveySourceFor(source)),
      failureBox_(box ? std::move(box)
                      : FailureBox([this](QWidget* parent) { ShowFailureBox(parent, detail_); })),
      loaded_(std::move(loaded)),
      chooser_(&ChooseSurveyWithDialog) {}

std::filesystem::path SurveyOpener::SourceFolder() const {
  std::error_code ec;
  if (source_.empty()) return QDir::homePath().toStdString();
  if (std::filesystem::is_directory(source_, ec)) return source_;
  const std::filesystem::path parent = source_.parent_path();
  return parent.empty() ? std::filesystem::path(".") : parent;
}

void SurveyOpener::Load() {
  Read(source_, false);
}

void SurveyOpener::Open(const std::filesystem::path& chosen) {
  Read(SurveySourceFor(chosen), true);
}

bool SurveyOpener::Read(std::filesystem::path source, bool keepOnFailure) {
  if (source.empty()) {
    // Nothing to read: the placeholder, and no box.
    ApplyLoad(state_, LoadResult{});
    Installed(false, FitRequest::None);
    return false;
  }
  // A slow open (cavern working through a Survex source) shows a dialog after
  // a moment, and its Cancel ends the open. The window takes no input
  // meanwhile; the picture keeps turning.
  QProgressDialog progress("Wczytywanie pomiarów...", "Anuluj", 0, 0,
                           window_->isVisible() ? window_ : nullptr);
  progress.setWindowTitle("Otwieranie");
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(400);
  progress.setValue(0);
  SourceOptions options;
  options.cancelled = [&progress] {
    QCoreApplication::processEvents();
    return progress.wasCanceled();
  };
  ReadResult read = ReadSurveySource(source, options);
  progress.reset();
  // A survey folder keeps the view its loader chose where that shows the
  // whole survey at a readable size; every other source is fitted. A survey
  // folder's failure box stays bare; a survey file's says what went wrong.
  const FitRequest fit = FitRequestFor(source);
  const bool folder = fit == FitRequest::UnlessWhole;
  std::optional<SourceError> fault = read.error;
  const std::string named = folder ? std::string() : source.string();
  LoadResult r = FinishLoad(std::move(read), named);
  if (r.ok) {
    ApplyLoad(state_, std::move(r));
    source_ = std::move(source);
    Installed(true, fit);
    return true;
  }
  // Read, but nothing to show: the one reason the finish gives, named after
  // the source.
  if (!fault) {
    std::string what = r.error;
    if (!named.empty() && what.starts_with(named + ": ")) what.erase(0, named.size() + 2);
    fault = SourceError{named, SourceError::Place::kFile, 0, what};
  }
  ReportOnStandardError(r.error);
  detail_ = folder ? QString() : PolishFailureReason(*fault);
  if (!keepOnFailure) {
    ApplyLoad(state_, std::move(r));
    Installed(false, FitRequest::None);
  }
  failureBox_(window_->isVisible() ? window_ : nullptr);
  return false;
}

void SurveyOpener::Installed(bool ok, FitRequest fit) {
  if (ok) detail_.clear();
  lastLoadOk_ = ok;
  openedCentreX_ = state_.view.CentreX;
  openedCentreY_ = state_.view.CentreY;
  state_.framing.pending = fit;
  if (loaded_) loaded_();
}

void SurveyOpener::Choose(const std::filesystem::path& start) {
  if (const auto chosen = chooser_(window_, start)) Open(*chosen);
}

std::optional<std::filesystem::path> SurveyOpener::DroppedSource(const QMimeData* data) {
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

void SurveyOpener::ShowFailureBox(QWidget* parent, const QString& detail) {
  QMessageBox box(QMessageBox::NoIcon, "Błąd wczytania danych!", "Pliki o złej strukturze!",
                  QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  if (!detail.isEmpty()) {
    box.setInformativeText(detail);
    // Wide enough that a message of the form file:line: text reads whole.
    box.setStyleSheet("QLabel { min-width: 460px; }");
  }
  box.exec();
}

}  // namespace mv
