// Lines for standard error, each after the program's name, so that a
// script's log says which program wrote them.
#pragma once

#include <QString>
#include <string_view>

namespace mv {

// Writes "morvalka: <text>" and a line break to standard error at once.
void ReportOnStandardError(std::string_view text);
// The same for a text in the locale's encoding.
void ReportOnStandardError(const QString& text);

}  // namespace mv
