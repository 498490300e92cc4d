// The file dialogs of the "&Plik" menu and the writing of a picture.
#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>

class QWidget;

namespace mv {

// The open dialog's file types: every survey file at once, then one format
// each, then every file.
QStringList SurveyNameFilters();
// The formats by the program that writes them, for a person (in Polish):
// "Survex .3d i .svx, Therion .lox, Compass .plt i .plf".
QString SurveyFormatsByProgram();

// Asks for a survey: a file of one of the formats, or one of the three
// survey files, which stands for its folder. Starts in `start`; nullopt when
// cancelled.
std::optional<std::filesystem::path> ChooseSurveyWithDialog(QWidget* parent,
                                                            const std::filesystem::path& start);

// Asks where to save a picture, starting with the file `suggested`, whose
// extension tells the kind (.png, .gif, .svg); nullopt when cancelled.
std::optional<std::filesystem::path> ChoosePictureWithDialog(
    QWidget* parent, const std::filesystem::path& suggested);

// A path as the file system names it, for showing to a person.
QString PathText(const std::filesystem::path& p);

}  // namespace mv
