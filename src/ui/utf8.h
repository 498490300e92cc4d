// Text from the survey model, which holds UTF-8, for Qt.
#pragma once

#include <QString>
#include <string_view>

namespace mv::ui {

inline QString FromUtf8(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace mv::ui
