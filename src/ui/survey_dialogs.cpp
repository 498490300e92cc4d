#include "ui/survey_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/survey_stats.h"
#include "ui/utf8.h"
#include "view/picking.h"

namespace mv::ui {

namespace {

QTableWidget* MakeTable(QWidget* parent, const QStringList& headers) {
  auto* t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  t->setHorizontalHeaderLabels(headers);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->setSelectionBehavior(QAbstractItemView::SelectRows);
  t->verticalHeader()->hide();
  t->horizontalHeader()->setStretchLastSection(true);
  return t;
}

void SetRow(QTableWidget* t, int row, const std::vector<std::string>& cells) {
  for (size_t c = 0; c < cells.size(); ++c)
    t->setItem(row, static_cast<int>(c), new QTableWidgetItem(FromUtf8(cells[c])));
}

std::string Metres(double v) {
  return DecimalText(v, 2, ',');
}

}  // namespace

StatisticsDialog::StatisticsDialog(const SurveyModel& m, int32_t node, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Statystyki"));
  const std::vector<SurveyStats> all = ComputeSurveyStats(m);
  const size_t k = node >= 0 && static_cast<size_t>(node) < all.size() ? node : 0;
  rows_ = StatsTable(m, static_cast<int32_t>(k), all.empty() ? SurveyStats{} : all[k], ',');
  table_ = MakeTable(
      this, {QStringLiteral("Wielkość"), QStringLiteral("Wartość"), QStringLiteral("Stacja")});
  table_->setRowCount(static_cast<int>(rows_.size()));
  for (size_t r = 0; r < rows_.size(); ++r)
    SetRow(table_, static_cast<int>(r), {rows_[r].polish, rows_[r].value, rows_[r].station});
  table_->resizeColumnsToContents();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  QPushButton* copy = buttons->addButton(QStringLiteral("Kopiuj"), QDialogButtonBox::ActionRole);
  connect(copy, &QPushButton::clicked, this, &StatisticsDialog::Copy);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* copyKey = new QShortcut(QKeySequence::Copy, this);
  connect(copyKey, &QShortcut::activated, this, &StatisticsDialog::Copy);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(buttons);
  resize(560, 600);
}

QString StatisticsDialog::TableText() const {
  return FromUtf8(StatsText(rows_, true));
}

void StatisticsDialog::Copy() const {
  QApplication::clipboard()->setText(TableText());
}

ConnectionsDialog::ConnectionsDialog(const SurveyModel& m, int32_t node,
                                     std::function<void(const Approach&)> chosen, QWidget* parent)
    : QDialog(parent), model_(m), chosen_(std::move(chosen)) {
  setWindowTitle(QStringLiteral("Znajdź możliwe połączenia"));
  first_ = new QComboBox(this);
  second_ = new QComboBox(this);
  second_->addItem(QStringLiteral("reszta pomiaru"), -1);
  for (int32_t k = 0; k < m.SurveyCount(); ++k) {
    first_->addItem(FromUtf8(SurveyTitle(m, k)), k);
    second_->addItem(FromUtf8(SurveyTitle(m, k)), k);
  }
  first_->setCurrentIndex(std::max(0, first_->findData(node)));
  for (QComboBox* c : {first_, second_}) {
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(40);
  }
  count_ = new QSpinBox(this);
  count_->setRange(1, 1000);
  count_->setValue(10);
  splays_ = new QCheckBox(QStringLiteral("Uwzględnij odnogi"), this);
  message_ = new QLabel(this);
  message_->setObjectName("ConnectionsMessage");
  results_ =
      MakeTable(this, {QStringLiteral("Odległość (m)"), QStringLiteral("dx"), QStringLiteral("dy"),
                       QStringLiteral("dz"), QStringLiteral("Stacja"), QStringLiteral("Stacja")});
  results_->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(results_, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (row >= 0 && static_cast<size_t>(row) < found_.size() && chosen_)
      chosen_(found_[static_cast<size_t>(row)]);
  });

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Część:"), first_);
  form->addRow(QStringLiteral("Z:"), second_);
  form->addRow(QStringLiteral("Ile miejsc:"), count_);
  form->addRow(QString(), splays_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  QPushButton* search = buttons->addButton(QStringLiteral("Szukaj"), QDialogButtonBox::ActionRole);
  search->setDefault(true);
  connect(search, &QPushButton::clicked, this, &ConnectionsDialog::Search);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(message_);
  layout->addWidget(results_);
  layout->addWidget(buttons);
  resize(720, 480);
}

void ConnectionsDialog::Search() {
  ApproachQuery q;
  // A part typed by name counts as much as one chosen from the list.
  const auto nodeOf = [this](QComboBox* c) {
    const int at = c->findText(c->currentText());
    return at < 0 ? -2 : c->itemData(at).toInt();
  };
  q.node = nodeOf(first_);
  q.other = nodeOf(second_);
  q.k = count_->value();
  q.splays = splays_->isChecked();
  found_.clear();
  results_->setRowCount(0);
  if (found) found(found_);
  if (q.node < 0 || q.other < -1) {
    message_->setText(QStringLiteral("Nie ma takiej części pomiaru."));
    return;
  }
  const ApproachResult r = FindApproaches(model_, q);
  switch (r.problem) {
    case ApproachResult::Problem::kOverlap:
      message_->setText(QStringLiteral("Te części się pokrywają: wybierz dwie rozłączne."));
      return;
    case ApproachResult::Problem::kNoLegs:
      message_->setText(QStringLiteral("Jedna z części nie ma nóg do porównania."));
      return;
    case ApproachResult::Problem::kNoSuchNode:
      message_->setText(QStringLiteral("Nie ma takiej części pomiaru."));
      return;
    case ApproachResult::Problem::kNone:
      break;
  }
  found_ = r.approaches;
  if (found) found(found_);
  message_->setText(found_.empty() ? QStringLiteral("Nie znaleziono zbliżeń.")
                                   : QStringLiteral("Najbliższe miejsca: %1").arg(found_.size()));
  results_->setRowCount(static_cast<int>(found_.size()));
  for (size_t i = 0; i < found_.size(); ++i) {
    const Approach& a = found_[i];
    SetRow(results_, static_cast<int>(i),
           {Metres(a.distance), Metres(a.dx()), Metres(a.dy()), Metres(a.dz()),
            StationLabel(model_, a.fromStation), StationLabel(model_, a.toStation)});
  }
  results_->resizeColumnsToContents();
}

}  // namespace mv::ui
