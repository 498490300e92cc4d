// The plain text form of a survey that the data tools read and write.
//
// One statement per line; blank lines and lines starting with '#' are
// ignored, and a '#' after a statement's last word starts a comment:
//
//   name TEXT                the object's name: the rest of the line, at most
//                            75 bytes, stored as given (optional, once)
//   origin X Y Z             where the station file's (0, 0, 0) lies (optional,
//                            once; 0 0 0 when left out)
//   station NAME X Y Z       a station, relative to the origin; NAME is any
//                            word without blanks or '#', unique. A coordinate
//                            must fit in 8 characters once written with
//                            decimals.
//   line NAME NAME ...       a chain of shots through stations defined above;
//                            longer than 29 shots, it becomes several records
//                            that share their joint stations
//   entrance NAME            an entrance at a station defined above (at most
//                            ten)
//
// Numbers use a dot, with an optional sign and exponent.
#pragma once

#include <iosfwd>
#include <string>

#include "data/survey_model.h"

namespace mv {

struct SurveyText {
  std::string name;
  // Stations relative to the origin, as the station file holds them.
  SurveyModel model;
};

// Reads the text form. On failure returns false and sets `error` to
// "line N: what is wrong".
bool ParseSurveyText(std::istream& in, SurveyText& out, std::string& error);

// Writes the text form of a survey whose stations are relative to the
// origin. Stations are named S0, S1, ... after their rows; each line record
// becomes one `line` statement, so parsing the text gives the same records.
void PrintSurveyText(std::ostream& out, const SurveyText& survey);

}  // namespace mv
