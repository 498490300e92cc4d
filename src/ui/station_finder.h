// Finding a station by its name: the match, and the dialog that asks for it
// with the survey's names to complete from and, where several stations
// match, a list to choose from.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

#include "data/survey_model.h"

class QAbstractItemView;
class QLabel;
class QLineEdit;
class QListWidget;

namespace mv::ui {

// Every name the survey gives the station of `row`, each once, the most
// descriptive first; empty where it has none. Finding goes through this
// alone, so a point equated to others is found by any of its names.
std::vector<std::string_view> NamesOfStation(const SurveyModel& m, int32_t row);

// The stations called `query`, without regard to letter case, in row order:
// those with a whole name that matches, else those with a dotted name whose
// last part matches ("p12" finds "jaskinia.p12" and "komin.p12"). Where the
// survey names no station, its row counted from 1. Empty when nothing
// matches.
std::vector<int32_t> FindStations(const SurveyModel& m, const QString& query);

// The first of FindStations, or -1.
int32_t FindStation(const SurveyModel& m, const QString& query);

// "Znajdź stację...": asks for a name until one station matches, the user
// chooses one of several that do, or gives up.
class FindStationDialog : public QDialog {
  Q_OBJECT
 public:
  FindStationDialog(const SurveyModel& m, QWidget* parent = nullptr);

  QLineEdit* Field() const { return field_; }
  QLabel* Message() const { return message_; }
  // The stations to choose from when the name fits several; hidden else.
  QListWidget* Choices() const { return choices_; }
  // The station found, once the dialog was accepted.
  int32_t Found() const { return found_; }

  // Finds what the field holds; with the list of several shown, takes the
  // one chosen in it.
  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void ShowChoices(const std::vector<int32_t>& rows);
  void HideChoices();

  const SurveyModel& model_;
  QLineEdit* field_ = nullptr;
  QLabel* message_ = nullptr;
  QListWidget* choices_ = nullptr;
  QAbstractItemView* popup_ = nullptr;  // the completer's list, where there is one
  int32_t found_ = -1;
};

}  // namespace mv::ui
