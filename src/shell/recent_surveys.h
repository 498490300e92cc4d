// The surveys opened last, newest first, kept in the user's settings.
#pragma once

#include <QSettings>
#include <QStringList>
#include <filesystem>
#include <memory>

namespace mv {

class RecentSurveys {
 public:
  static constexpr int kMost = 8;
  // The layout of the list in the settings; a file written by a later
  // version with another layout is left alone.
  static constexpr int kFormat = 1;

  // Reads the list from `settings`, by default the user's settings of the
  // program. A list that is missing, damaged or of a later format reads as
  // empty.
  explicit RecentSurveys(std::unique_ptr<QSettings> settings = {});

  const QStringList& Sources() const { return sources_; }
  // Puts `source` first (once) and saves the list.
  void Add(const std::filesystem::path& source);
  void Remove(const QString& source);
  // The newest source of the list that is still there; those gone are
  // taken off the list. Empty when none is left.
  std::filesystem::path NewestExisting();

 private:
  void Save();

  std::unique_ptr<QSettings> settings_;
  QStringList sources_;
  bool writable_ = true;
};

}  // namespace mv
