#include "shell/standard_error.h"

#include <cstdio>

namespace mv {

void ReportOnStandardError(std::string_view text) {
  std::fprintf(stderr, "morvalka: %.*s\n", static_cast<int>(text.size()), text.data());
  std::fflush(stderr);
}

void ReportOnStandardError(const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  ReportOnStandardError(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

}  // namespace mv
