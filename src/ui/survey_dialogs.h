// The dialogs of the survey tree: the statistics of one part, and the
// finder of the places where two parts come closest.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <vector>

#include "data/near_approach.h"
#include "data/stats_table.h"
#include "data/survey_model.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace mv::ui {

// "Statystyki": the table of one node, copyable as tab-separated text.
class StatisticsDialog : public QDialog {
  Q_OBJECT
 public:
  StatisticsDialog(const SurveyModel& m, int32_t node, QWidget* parent = nullptr);
  QTableWidget* Table() const { return table_; }
  // The table as copied: tab-separated lines.
  QString TableText() const;
  void Copy() const;

 private:
  std::vector<StatsRow> rows_;
  QTableWidget* table_ = nullptr;
};

// "Znajdź możliwe połączenia...": a node against the rest of the survey or
// a second node; the closest approaches between their legs.
class ConnectionsDialog : public QDialog {
  Q_OBJECT
 public:
  // `chosen` runs for the approach the user chooses in the list.
  ConnectionsDialog(const SurveyModel& m, int32_t node, std::function<void(const Approach&)> chosen,
                    QWidget* parent = nullptr);

  QComboBox* First() const { return first_; }
  QComboBox* Second() const { return second_; }
  QSpinBox* Count() const { return count_; }
  QCheckBox* Splays() const { return splays_; }
  QTableWidget* Results() const { return results_; }
  QLabel* Message() const { return message_; }
  const std::vector<Approach>& Found() const { return found_; }

  // Looks for the approaches of the parts chosen.
  void Search();
  // Runs with every search's approaches (none when it failed).
  std::function<void(const std::vector<Approach>&)> found;

 private:
  const SurveyModel& model_;
  std::function<void(const Approach&)> chosen_;
  QComboBox* first_ = nullptr;
  QComboBox* second_ = nullptr;
  QSpinBox* count_ = nullptr;
  QCheckBox* splays_ = nullptr;
  QTableWidget* results_ = nullptr;
  QLabel* message_ = nullptr;
  std::vector<Approach> found_;
};

}  // namespace mv::ui
