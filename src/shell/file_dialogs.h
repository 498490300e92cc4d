// The file dialogs of the "&Plik" menu and the writing of a picture.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>

class QWidget;

namespace mv {

// The open dialog's file types: every survey file at once, then one format
// each, then every file.
QStringList SurveyNameFilters();

// Asks for a survey: a file of one of the formats, or one of the three
// survey files, which stands for its folder. Starts in `start`; nullopt when
// cancelled.
std::optional<std::filesystem::path> ChooseSurveyWithDialog(QWidget* parent,
                                                            const std::filesystem::path& start);

// Asks where to save a PNG picture, starting with the file `suggested`;
// nullopt when cancelled.
std::optional<std::filesystem::path> ChoosePictureWithDialog(
    QWidget* parent, const std::filesystem::path& suggested);

// Writes `picture` to `file` as an opaque PNG, whatever the file's name ends
// in. Returns an empty text on success, else what went wrong.
QString WritePng(const QImage& picture, const std::filesystem::path& file);

// A path as the file system names it, for showing to a person.
QString PathText(const std::filesystem::path& p);

}  // namespace mv
