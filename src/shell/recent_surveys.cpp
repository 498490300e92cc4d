#include "shell/recent_surveys.h"

#include <QFile>
#include <QVariant>

namespace mv {

namespace {

constexpr char kFormatKey[] = "recent/format";
constexpr char kSourcesKey[] = "recent/sources";

}  // namespace

RecentSurveys::RecentSurveys(std::unique_ptr<QSettings> settings)
    : settings_(settings ? std::move(settings)
                         : std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                       "morvalka", "morvalka")) {
  if (settings_->status() != QSettings::NoError) return;
  const QVariant format = settings_->value(kFormatKey);
  if (!format.isValid()) return;
  bool isNumber = false;
  const int version = format.toInt(&isNumber);
  if (!isNumber || version != kFormat) {
    // Someone else's list, or a later version's: not ours to overwrite.
    writable_ = isNumber && version < kFormat;
    return;
  }
  const QVariant stored = settings_->value(kSourcesKey);
  const QStringList list = stored.metaType().id() == QMetaType::QStringList ? stored.toStringList()
                           : stored.metaType().id() == QMetaType::QString
                               ? QStringList{stored.toString()}
                               : QStringList{};
  for (const QString& s : list)
    if (!s.isEmpty() && !sources_.contains(s) && sources_.size() < kMost) sources_ << s;
}

void RecentSurveys::Add(const std::filesystem::path& source) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(source, ec);
  if (ec) full = source;
  full = full.lexically_normal();
  if (!full.has_filename() && full.has_parent_path()) full = full.parent_path();  // "cave/"
  const QString text = QFile::decodeName(QByteArray::fromStdString(full.string()));
  sources_.removeAll(text);
  sources_.prepend(text);
  while (sources_.size() > kMost) sources_.removeLast();
  Save();
}

void RecentSurveys::Remove(const QString& source) {
  if (sources_.removeAll(source)) Save();
}

std::filesystem::path RecentSurveys::NewestExisting() {
  for (const QString& source : QStringList(sources_)) {
    const std::filesystem::path path = QFile::encodeName(source).toStdString();
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return path;
    Remove(source);
  }
  return {};
}

void RecentSurveys::Save() {
  if (!writable_) return;
  settings_->setValue(kFormatKey, kFormat);
  settings_->setValue(kSourcesKey, sources_);
  settings_->sync();
}

}  // namespace mv
