// What the viewer prepares before its window: the application's name and
// language.
#pragma once

#include <QString>

class QApplication;

namespace mv {

// Names the program and makes Qt's own dialogs and buttons speak Polish like
// the rest of it, whatever the user's locale: loads Qt's Polish translations
// and keeps out the platform's native dialogs, which would not follow them.
// Returns false when the translations are not installed; Qt's English stays
// then.
bool PrepareApplication(QApplication& app);

}  // namespace mv
