#include "ui/station_finder.h"

#include <QAbstractListModel>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <string_view>

namespace mv::ui {

namespace {

// The survey's station names for the completer, read from the model as the
// list is shown: a million names are never copied.
class NameList : public QAbstractListModel {
 public:
  explicit NameList(const SurveyModel& m, QObject* parent) : QAbstractListModel(parent), m_(m) {}
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(m_.stationNames.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    const std::string_view name = m_.StationName(index.row());
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  }

 private:
  const SurveyModel& m_;
};

bool SameText(std::string_view name, const QString& query) {
  return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))
             .compare(query, Qt::CaseInsensitive) == 0;
}

}  // namespace

int32_t FindStation(const SurveyModel& m, const QString& query) {
  const QString q = query.trimmed();
  if (q.isEmpty()) return -1;
  const int32_t n = m.StationCount();
  if (m.stationNames.empty()) {
    bool number = false;
    const qlonglong row = q.toLongLong(&number);
    return number && row >= 1 && row <= n ? static_cast<int32_t>(row - 1) : -1;
  }
  const int32_t named = std::min<int32_t>(n, static_cast<int32_t>(m.stationNames.size()));
  for (int32_t row = 0; row < named; ++row)
    if (SameText(m.StationName(row), q)) return row;
  for (int32_t row = 0; row < named; ++row) {
    const std::string_view name = m.StationName(row);
    const size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && SameText(name.substr(dot + 1), q)) return row;
  }
  return -1;
}

FindStationDialog::FindStationDialog(const SurveyModel& m, QWidget* parent)
    : QDialog(parent), model_(m) {
  setWindowTitle("Znajdź stację");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(m.stationNames.empty() ? "Numer stacji:" : "Nazwa stacji:", this));
  field_ = new QLineEdit(this);
  field_->setObjectName("StationName");
  if (!m.stationNames.empty()) {
    auto* completer = new QCompleter(new NameList(m, this), this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    field_->setCompleter(completer);
  }
  layout->addWidget(field_);
  message_ = new QLabel(this);
  message_->setObjectName("NotFound");
  layout->addWidget(message_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &FindStationDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &FindStationDialog::reject);
  layout->addWidget(buttons);
}

void FindStationDialog::accept() {
  found_ = FindStation(model_, field_->text());
  if (found_ < 0) {
    // The dialog stays open, so the name can be mended.
    message_->setText(QString("Nie ma stacji „%1”.").arg(field_->text().trimmed()));
    return;
  }
  QDialog::accept();
}

}  // namespace mv::ui
