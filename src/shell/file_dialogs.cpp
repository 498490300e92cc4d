#include "shell/file_dialogs.h"

#include <QFile>
#include <QFileDialog>

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
  const auto both = [](const char* ext) {
    return QString("*.%1 *.%2").arg(ext, QString(ext).toUpper());
  };
  const QString survex = both("3d"), compass = both("plt") + " " + both("plf"),
                therion = both("lox"), sources = both("svx"),
                folder = "Dane.bin Dane1.bin Dane2.bin";
  return {QString("Wszystkie pomiary jaskiń (%1 %2 %3 %4 %5)")
              .arg(survex, compass, therion, sources, folder),
          QString("Survex, wynik (%1)").arg(survex),
          QString("Survex, pomiary źródłowe (%1)").arg(sources),
          QString("Compass (%1)").arg(compass),
          QString("Therion (%1)").arg(therion),
          QString("Folder z plikami Dane (%1)").arg(folder),
          "Wszystkie pliki (*)"};
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
  const QString suffix = QString::fromStdString(suggested.extension().string()).mid(1).toLower();
  const char* title = suffix == "gif"   ? "Zapisz animację obrotu"
                      : suffix == "svg" ? "Zapisz rysunek SVG"
                                        : "Zapisz obraz";
  const char* filter = suffix == "gif"   ? "Animacja GIF (*.gif)"
                       : suffix == "svg" ? "Rysunek SVG (*.svg)"
                                         : "Obraz PNG (*.png)";
  QFileDialog dialog(parent, title);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(filter);
  dialog.setDefaultSuffix(suffix.isEmpty() ? QString("png") : suffix);
  dialog.selectFile(PathText(suggested));
  return Chosen(dialog);
}

}  // namespace mv
