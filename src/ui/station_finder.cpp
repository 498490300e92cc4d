#include "ui/station_finder.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "ui/utf8.h"

namespace mv::ui {

namespace {

// The list of several matching stations shows at most this many; a longer
// name narrows it.
constexpr int kMostChoices = 1000;

// The survey's station names for the completer, read from the model as the
// list is shown: a million names are never copied. Where some station has
// several names each is an entry of its own, and only the rows and places
// of the names are kept.
class NameList : public QAbstractListModel {
 public:
  NameList(const SurveyModel& m, QObject* parent) : QAbstractListModel(parent), m_(m) {
    const int32_t n =
        std::min<int32_t>(m.StationCount(), static_cast<int32_t>(m.stationNames.size()));
    bool several = false;
    for (int32_t row = 0; row < n && !several; ++row) several = NamesOfStation(m, row).size() > 1;
    count_ = n;
    if (!several) return;
    for (int32_t row = 0; row < n; ++row) {
      const size_t names = NamesOfStation(m, row).size();
      for (size_t i = 0; i < names; ++i) entries_.emplace_back(row, static_cast<int32_t>(i));
    }
    count_ = static_cast<int32_t>(entries_.size());
  }
  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : count_; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    if (entries_.empty()) return FromUtf8(m_.StationName(index.row()));
    const auto [row, i] = entries_[static_cast<size_t>(index.row())];
    return FromUtf8(NamesOfStation(m_, row)[static_cast<size_t>(i)]);
  }

 private:
  const SurveyModel& m_;
  int32_t count_ = 0;
  // Row and place of each name; empty while every station has one name at
  // most, entry i being then the name of row i.
  std::vector<std::pair<int32_t, int32_t>> entries_;
};

// Wide enough for the longest name, up to most of the screen: a list that
// cuts every name at the field's width shows only their common start.
int PopupWidth(const SurveyModel& m, const QWidget* popup, int least) {
  std::string_view longest;
  for (int32_t row = 0; row < m.StationCount(); ++row)
    for (std::string_view name : NamesOfStation(m, row))
      if (name.size() > longest.size()) longest = name;
  const int text = popup->fontMetrics().horizontalAdvance(FromUtf8(longest));
  // Room for the frame, the item's margins and the scroll bar.
  const int width = text + 48;
  const QScreen* screen = popup->screen();
  const int most = screen ? screen->availableGeometry().width() * 9 / 10 : width;
  return std::clamp(width, least, std::max(least, most));
}

// All names of a station in one line of the list of choices.
QString ChoiceText(const SurveyModel& m, int32_t row) {
  QStringList names;
  for (std::string_view name : NamesOfStation(m, row)) names << FromUtf8(name);
  return names.join(" = ");
}

}  // namespace

std::vector<std::string_view> NamesOfStation(const SurveyModel& m, int32_t row) {
  // The station's own names, equated ones included, and the name its
  // entrance is given where that is yet another.
  std::vector<std::string_view> names = StationNames(m, row);
  if (!(m.StationFlags(row) & kStationEntrance)) return names;
  const std::string_view entrance = EntranceName(m, row);
  if (!entrance.empty() && std::find(names.begin(), names.end(), entrance) == names.end())
    names.push_back(entrance);
  return names;
}

std::vector<int32_t> FindStations(const SurveyModel& m, const QString& query) {
  const QString q = query.trimmed();
  if (q.isEmpty()) return {};
  const int32_t n = m.StationCount();
  if (m.stationNames.empty()) {
    bool number = false;
    const qlonglong row = q.toLongLong(&number);
    if (number && row >= 1 && row <= n) return {static_cast<int32_t>(row - 1)};
    return {};
  }
  std::vector<int32_t> whole, tail;
  for (int32_t row = 0; row < n; ++row) {
    bool wholeMatch = false, tailMatch = false;
    for (std::string_view bytes : NamesOfStation(m, row)) {
      // A name of fewer bytes than the query has UTF-16 units cannot match.
      if (bytes.size() < static_cast<size_t>(q.size())) continue;
      const QString name = FromUtf8(bytes);
      if (name.compare(q, Qt::CaseInsensitive) == 0) {
        wholeMatch = true;
      } else if (name.size() > q.size() && name.endsWith(q, Qt::CaseInsensitive) &&
                 name[name.size() - q.size() - 1] == '.') {
        tailMatch = true;
      }
    }
    if (wholeMatch)
      whole.push_back(row);
    else if (tailMatch)
      tail.push_back(row);
  }
  return whole.empty() ? tail : whole;
}

int32_t FindStation(const SurveyModel& m, const QString& query) {
  const std::vector<int32_t> rows = FindStations(m, query);
  return rows.empty() ? -1 : rows.front();
}

FindStationDialog::FindStationDialog(const SurveyModel& m, QWidget* parent)
    : QDialog(parent), model_(m) {
  setWindowTitle("Znajdź stację");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(m.stationNames.empty() ? "Numer stacji:" : "Nazwa stacji:", this));
  field_ = new QLineEdit(this);
  field_->setObjectName("StationName");
  field_->setMinimumWidth(360);
  if (!m.stationNames.empty()) {
    auto* completer = new QCompleter(new NameList(m, this), this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    field_->setCompleter(completer);
    popup_ = completer->popup();
    popup_->setMinimumWidth(PopupWidth(m, popup_, field_->minimumWidth()));
    // Ahead of the completer's own filter, which takes Enter to close the
    // list only.
    popup_->installEventFilter(this);
  }
  layout->addWidget(field_);
  choices_ = new QListWidget(this);
  choices_->setObjectName("Choices");
  choices_->hide();
  layout->addWidget(choices_);
  message_ = new QLabel(this);
  message_->setObjectName("NotFound");
  message_->setWordWrap(true);
  layout->addWidget(message_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &FindStationDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &FindStationDialog::reject);
  layout->addWidget(buttons);
  connect(choices_, &QListWidget::itemDoubleClicked, this, &FindStationDialog::accept);
  // Another name asks again.
  connect(field_, &QLineEdit::textEdited, this, &FindStationDialog::HideChoices);
}

bool FindStationDialog::eventFilter(QObject* watched, QEvent* e) {
  if (watched == popup_ && e->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      // A name chosen in the list is taken, else what was typed; either is
      // looked for at once.
      // (The list may have a current entry that the user never went to: only a
      // selected one counts.)
      const QModelIndex chosen = popup_->currentIndex();
      if (chosen.isValid() && popup_->selectionModel()->isSelected(chosen))
        field_->setText(chosen.data(Qt::EditRole).toString());
      popup_->hide();
      accept();
      return true;
    }
  }
  return QDialog::eventFilter(watched, e);
}

void FindStationDialog::accept() {
  if (!choices_->isHidden()) {
    if (const QListWidgetItem* item = choices_->currentItem()) {
      found_ = item->data(Qt::UserRole).toInt();
      QDialog::accept();
      return;
    }
  }
  const std::vector<int32_t> rows = FindStations(model_, field_->text());
  if (rows.size() > 1) {
    ShowChoices(rows);
    return;
  }
  HideChoices();
  if (rows.empty()) {
    found_ = -1;
    // The dialog stays open, so the name can be mended.
    message_->setText(QString("Nie ma stacji „%1”.").arg(field_->text().trimmed()));
    return;
  }
  found_ = rows.front();
  QDialog::accept();
}

void FindStationDialog::ShowChoices(const std::vector<int32_t>& rows) {
  choices_->clear();
  const size_t shown = std::min<size_t>(rows.size(), kMostChoices);
  for (size_t i = 0; i < shown; ++i) {
    auto* item = new QListWidgetItem(ChoiceText(model_, rows[i]), choices_);
    item->setData(Qt::UserRole, rows[i]);
  }
  choices_->setCurrentRow(0);
  // As tall as its entries, up to ten; more scroll.
  const int rowsShown = std::min(choices_->count(), 10);
  choices_->setFixedHeight(choices_->sizeHintForRow(0) * rowsShown + 2 * choices_->frameWidth());
  QString text = QString("Pasujące stacje: %1").arg(rows.size());
  if (shown < rows.size()) text += QString(" (pokazano pierwsze %1)").arg(shown);
  message_->setText(text + " – wybierz jedną z listy albo wpisz dłuższą nazwę.");
  choices_->show();
  choices_->setFocus();
  adjustSize();
}

void FindStationDialog::HideChoices() {
  if (choices_->isHidden()) return;
  choices_->hide();
  choices_->clear();
  message_->clear();
  adjustSize();
}

}  // namespace mv::ui
