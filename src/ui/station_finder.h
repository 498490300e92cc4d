// Finding a station by its name: the match, and the dialog that asks for it
// with the survey's names to complete from.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>

#include "data/survey_model.h"

class QLabel;
class QLineEdit;

namespace mv::ui {

// The station called `query`, without regard to letter case: a whole name
// first, else the last part of a dotted name ("p12" finds "jaskinia.p12");
// of several, the first row. Where the survey names no station, its row
// counted from 1. -1 when nothing matches.
int32_t FindStation(const SurveyModel& m, const QString& query);

// "Znajdź stację...": asks for a name until one matches or the user gives up.
class FindStationDialog : public QDialog {
  Q_OBJECT
 public:
  FindStationDialog(const SurveyModel& m, QWidget* parent = nullptr);

  QLineEdit* Field() const { return field_; }
  QLabel* Message() const { return message_; }
  // The station found, once the dialog was accepted.
  int32_t Found() const { return found_; }

  void accept() override;

 private:
  const SurveyModel& model_;
  QLineEdit* field_ = nullptr;
  QLabel* message_ = nullptr;
  int32_t found_ = -1;
};

}  // namespace mv::ui
