#include "shell/failure_reasons.h"

#include <QRegularExpression>

#include "data/survey_source.h"

namespace mv {

namespace {

// A reader's English reason, matched at its start, and its Polish wording,
// which may take the reason's captures as %1, and the survey files' extensions as
// {formats}.
struct Reason {
  const char* english;
  const char* polish;
};

constexpr Reason kReasons[] = {
    {"no such file or folder", "nie ma takiego pliku ani folderu"},
    {"no survey file or folder was given", "nie wskazano pomiarów do otwarcia"},
    {"not a survey this program reads",
     "to nie są pomiary, które program czyta (folder z plikami Dane*.bin albo plik {formats})"},
    {"not a Survex \\.3d file", "to nie jest plik Survex .3d"},
    {"format version (\\S+) is not supported",
     "wersja formatu %1 nie jest obsługiwana (program czyta v0.01, Bv0.01 i v2–v8)"},
    {"(\\w+) item cut short", "zapis %1 urywa się z końcem pliku: plik jest niepełny"},
    {"(.* has no end of line before the end of the file|the file ends|.*cut short)",
     "plik urywa się przed końcem danych: jest niepełny"},
    {"unknown item code",
     "nieznany rodzaj zapisu: plik jest uszkodzony albo zapisała go nowsza wersja programu"},
    {"the file holds no survey legs to show", "w pliku nie ma ciągów pomiarowych do pokazania"},
    {"the survey has no extent",
     "pomiary nie mają rozmiaru: wszystkie stacje leżą w początku układu"},
    {"a Survex source needs Survex's cavern",
     "pomiary Survex (.svx) wymagają programu cavern z pakietu „survex”, którego nie znaleziono"},
    {"cavern could not process the survey \\(it was killed by signal (\\d+)\\)",
     "program cavern nie przetworzył pomiarów (przerwał go sygnał %1)"},
    {"cavern could not process the survey", "program cavern nie przetworzył pomiarów"},
    {"cancelled while cavern", "wczytywanie przerwano"},
    {"cavern took longer than", "program cavern pracował zbyt długo i został zatrzymany"},
    {"(cannot run |cavern wrote no \\.3d file|cannot make a temporary folder)",
     "nie udało się uruchomić programu cavern albo odczytać jego wyniku"},
    {"(cannot open the file|cannot be opened|is not a regular file)", "nie można otworzyć pliku"},
    {"(cannot read the file|cannot be read)", "nie można odczytać pliku"},
    {"not enough memory", "za mało pamięci, by wczytać pomiary"},
    {"(not a plot file record|the record ends before|the record has no station name|.* is not a "
     "number)",
     "wiersz pliku Compass nie ma oczekiwanej postaci"},
    {"(.*chunk|two (surveys|stations) have the same id|station id|the shot's)",
     "plik Therion .lox jest uszkodzony"},
};

QString Place(const SourceError& e) {
  const QString file = QString::fromStdString(e.file);
  QString where;
  switch (e.place) {
    case SourceError::Place::kLine:
      where = QString("wiersz %1").arg(e.at);
      break;
    case SourceError::Place::kByte:
      where = QString("bajt %1").arg(e.at);
      break;
    case SourceError::Place::kRecord:
      where = QString("rekord %1").arg(e.at);
      break;
    case SourceError::Place::kFile:
      break;
  }
  if (file.isEmpty() || where.isEmpty()) return file + where;
  return file + ", " + where;
}

QString Reworded(const QString& english) {
  for (const Reason& r : kReasons) {
    const QRegularExpression pattern(QString("^(?:%1)").arg(QString::fromUtf8(r.english)));
    const QRegularExpressionMatch m = pattern.match(english);
    if (!m.hasMatch()) continue;
    QString polish = QString::fromUtf8(r.polish);
    if (polish.contains("%1")) polish = polish.arg(m.captured(1));
    polish.replace("{formats}", QString::fromStdString(SurveyExtensions("lub")));
    return polish;
  }
  return "nie udało się odczytać pomiarów (" + english + ")";
}

}  // namespace

QString PolishFailureReason(const SourceError& e) {
  const QString what = QString::fromUtf8(e.what.c_str());
  // cavern's own messages, one a line, follow the reason as they are.
  const qsizetype lineBreak = what.indexOf('\n');
  const QString reason = Reworded(lineBreak < 0 ? what : what.left(lineBreak));
  const QString cavern = lineBreak < 0 ? QString() : what.mid(lineBreak);
  const QString place = Place(e);
  return (place.isEmpty() ? reason : place + ": " + reason) + cavern;
}

}  // namespace mv
