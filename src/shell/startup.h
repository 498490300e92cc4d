// What the viewer prepares before its window: the application's name and
// language, and the check that OpenGL can be had at all.
#pragma once

#include <QString>

class QApplication;

namespace mv {

// Exit status of a viewer that ended because OpenGL could not be started.
inline constexpr int kNoOpenGlExit = 3;

// Names the program and makes Qt's own dialogs and buttons speak Polish like
// the rest of it, whatever the user's locale: loads Qt's Polish translations
// and keeps out the platform's native dialogs, which would not follow them.
// Returns false when the translations are not installed; Qt's English stays
// then.
bool PrepareApplication(QApplication& app);

// Empty when the platform shows OpenGL windows and an OpenGL context of the
// viewer's format can be created and made current; else what failed, in a
// few words.
QString OpenGlProblem();

// Says that OpenGL is missing and how to get it: one line on standard error,
// and a box where there is a desktop to show it on.
void ReportNoOpenGl(const QString& problem);

}  // namespace mv
