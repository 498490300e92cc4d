#include "shell/file_dialogs.h"

#include <QFile>
#include <QFileDialog>

#include "data/reader_table.h"
#include "shell/exports.h"
#include "ui/utf8.h"

namespace mv {

namespace {

std::optional<std::filesystem::path> Chosen(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;
  return std::filesystem::path(QFile::encodeName(files.first()).toStdString());
}

}  // namespace

QStringList SurveyNameFilters() {
  QStringList all, formats;
  for (const FormatReader& r : FormatReaders()) {
    // Each extension in both letter cases.
    QStringList patterns;
    for (const std::string_view e : r.extensions)
      if (!e.empty()) patterns << "*" + ui::FromUtf8(e) << "*" + ui::FromUtf8(e).toUpper();
    all << patterns;
    formats << QString("%1 (%2)").arg(ui::FromUtf8(r.dialogName), patterns.join(' '));
  }
  QStringList folderFiles;
  for (const std::string_view name : kSurveyFolderFiles) folderFiles << ui::FromUtf8(name);
  const QString folder = folderFiles.join(' ');
  return QStringList{QString("Wszystkie pomiary jaskiń (%1 %2)").arg(all.join(' '), folder)} +
         formats +
         QStringList{QString("Folder z plikami Dane (%1)").arg(folder), "Wszystkie pliki (*)"};
}

QString SurveyFormatsByProgram() {
  QStringList programs;
  std::vector<QStringList> extensions;
  for (const FormatReader& r : FormatReaders()) {
    const QString program = ui::FromUtf8(r.program);
    qsizetype at = programs.indexOf(program);
    if (at < 0) {
      at = programs.size();
      programs << program;
      extensions.emplace_back();
    }
    for (const std::string_view e : r.extensions)
      if (!e.empty()) extensions[static_cast<size_t>(at)] << ui::FromUtf8(e);
  }
  QStringList formats;
  for (qsizetype i = 0; i < programs.size(); ++i)
    formats << programs[i] + " " + extensions[static_cast<size_t>(i)].join(" i ");
  return formats.join(", ");
}

QString PathText(const std::filesystem::path& p) {
  return QFile::decodeName(QByteArray::fromStdString(p.string()));
}

std::optional<std::filesystem::path> ChooseSurveyWithDialog(QWidget* parent,
                                                            const std::filesystem::path& start) {
  QFileDialog dialog(parent, "Otwórz dane jaskini", PathText(start));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  // A folder is opened by choosing one of its survey files.
  dialog.setNameFilters(SurveyNameFilters());
  return Chosen(dialog);
}

std::optional<std::filesystem::path> ChoosePictureWithDialog(
    QWidget* parent, const std::filesystem::path& suggested) {
  // The kind of file follows the suggested name's.
  const ExportKind& kind = ExportKindOf(ExportFormatOf(suggested).value_or(ExportFormat::Png));
  QFileDialog dialog(parent, kind.title);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(kind.filter);
  dialog.setDefaultSuffix(QString(kind.extension).mid(1));
  dialog.selectFile(PathText(suggested));
  return Chosen(dialog);
}

}  // namespace mv
