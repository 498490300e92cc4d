// What the viewer prepares before its window: the application's name and
// language, and the check that OpenGL can be had at all.
#pragma once

#include <QString>
#include <filesystem>

class QApplication;

namespace mv {

// Exit status of a viewer that ended because OpenGL could not be started.
inline constexpr int kNoOpenGlExit = 3;

// Names the program and makes Qt's own dialogs and buttons speak Polish like
// the rest of it, whatever the user's locale: loads Qt's Polish translations
// and keeps out the platform's native dialogs, which would not follow them;
// key names stay as printed on the keys. Returns false when the translations
// are not installed; Qt's English stays then.
bool PrepareApplication(QApplication& app);

// Empty when the platform shows OpenGL windows and an OpenGL context of the
// viewer's format can be created and made current; else what failed, in a
// few words.
QString OpenGlProblem();

// Says that OpenGL is missing and how to get it: one line on standard error,
// and a box where there is a desktop to show it on.
void ReportNoOpenGl(const QString& problem);

struct CommandLine;
class RecentSurveys;

// The survey the window opens with: the one the command line gives. Started
// from the desktop menu without one, the newest recent survey that is still
// there (those gone leave the list); empty when there is none, and the
// window then opens on nothing, with a hint and without the failure box.
std::filesystem::path StartSource(const CommandLine& c, RecentSurveys& recent);

}  // namespace mv
