#include "shell/survey_opener.h"

#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QUrl>
#include <QWidget>

#include "data/survey_source.h"
#include "shell/file_dialogs.h"
#include "shell/standard_error.h"
#include "view/survey_loading.h"

namespace mv {

FitRequest FitRequestFor(const std::filesystem::path& source) {
  std::error_code ec;
  return std::filesystem::is_directory(source, ec) ? FitRequest::UnlessWhole : FitRequest::Always;
}

SurveyOpener::SurveyOpener(AppState& state, QWidget* window, std::filesystem::path source,
                           FailureBox box, std::function<void()> loaded)
    : state_(state),
      window_(window),
      source_(SurveySourceFor(source)),
      failureBox_(box ? std::move(box)
                      : FailureBox([this](QWidget* parent) { ShowFailureBox(parent, detail_); })),
      loaded_(std::move(loaded)),
      chooser_(&ChooseSurveyWithDialog) {}

std::filesystem::path SurveyOpener::SourceFolder() const {
  std::error_code ec;
  if (std::filesystem::is_directory(source_, ec)) return source_;
  const std::filesystem::path parent = source_.parent_path();
  return parent.empty() ? std::filesystem::path(".") : parent;
}

void SurveyOpener::Load() {
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
  LoadResult r = LoadSurveySource(source_, options);
  progress.reset();
  const std::string error = r.error;
  const bool ok = ApplyLoad(state_, std::move(r));
  // A survey folder keeps the view its loader chose where that shows the
  // whole survey at a readable size; every other source is fitted. A survey
  // folder's failure box stays bare; a survey file's says what went wrong.
  const FitRequest fit = FitRequestFor(source_);
  const bool folder = fit == FitRequest::UnlessWhole;
  detail_ = ok || folder ? std::string() : error;
  lastLoadOk_ = ok;
  state_.framing.pending = ok ? fit : FitRequest::None;
  if (loaded_) loaded_();
  if (!ok) {
    ReportOnStandardError(error);
    failureBox_(window_->isVisible() ? window_ : nullptr);
  }
}

void SurveyOpener::Open(const std::filesystem::path& chosen) {
  source_ = SurveySourceFor(chosen);
  Load();
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

void SurveyOpener::ShowFailureBox(QWidget* parent, const std::string& detail) {
  QMessageBox box(QMessageBox::NoIcon, "Błąd wczytania danych!", "Pliki o złej strukturze!",
                  QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  if (!detail.empty()) {
    box.setInformativeText(QString::fromUtf8(detail.c_str()));
    // Wide enough that a message of the form file:line: text reads whole.
    box.setStyleSheet("QLabel { min-width: 460px; }");
  }
  box.exec();
}

}  // namespace mv
