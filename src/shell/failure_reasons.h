// What the failure box says under its text when a survey file cannot be
// read: the reader's reason in Polish. Standard error keeps the reader's
// English line.
#pragma once

#include <QString>

#include "data/read_result.h"

namespace mv {

// Where the fault lies (the file, and the line, byte or record within it)
// and what is wrong, in Polish. The reasons the readers give most are worded
// in Polish; any other keeps its English after a Polish opening. cavern's
// own messages follow on their lines as cavern wrote them.
QString PolishFailureReason(const SourceError& e);

}  // namespace mv
