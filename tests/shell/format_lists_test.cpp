// Every survey format the readers know and every kind of file the exports
// write is offered wherever the program lists them: the usage text, the open
// and save dialogs, the messages, and the README.
#include <QFile>
#include <QtTest>
#include <string>

#include "data/survey_source.h"
#include "shell/command_line.h"
#include "shell/exports.h"
#include "shell/failure_reasons.h"
#include "shell/file_dialogs.h"

namespace {

QString Text(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString Usage() {
  return mv::ParseCommandLine({"morvalka", "--help"}).output;
}

}  // namespace

class FormatListsTest : public QObject {
  Q_OBJECT
 private slots:
  void everySurveyFormatIsListed();
  void everyExportKindIsListed();
};

void FormatListsTest::everySurveyFormatIsListed() {
  const QStringList filters = mv::SurveyNameFilters();
  QFile readme(MV_README);
  QVERIFY(readme.open(QIODevice::ReadOnly));
  const QString readmeText = QString::fromUtf8(readme.readAll());
  const QString unknown = QString::fromStdString(
      mv::ReadSurveySource(QFINDTESTDATA("format_lists_test.cpp").toStdString()).ErrorMessage());
  const QString polish = mv::PolishFailureReason(
      *mv::ReadSurveySource(QFINDTESTDATA("format_lists_test.cpp").toStdString()).error);
  for (const mv::FormatReader& r : mv::FormatReaders()) {
    for (const std::string_view e : r.extensions) {
      if (e.empty()) continue;
      const QString ext = Text(e);
      // The first filter takes every survey file, in both letter cases; a
      // filter of its own names the format.
      QVERIFY2(filters.first().contains("*" + ext + " *" + ext.toUpper()), qPrintable(ext));
      const QStringList own =
          filters.filter(QRegularExpression("^" + QRegularExpression::escape(Text(r.dialogName)) +
                                            " \\(.*\\*" + QRegularExpression::escape(ext) + " "));
      QVERIFY2(own.size() == 1, qPrintable(ext));
      QVERIFY2(Usage().contains(Text(r.program) + " "), qPrintable(ext));
      QVERIFY2(Usage().contains(ext), qPrintable(ext));
      QVERIFY2(unknown.contains(ext), qPrintable(unknown));
      QVERIFY2(polish.contains(ext), qPrintable(polish));
      QVERIFY2(mv::SurveyFormatsByProgram().contains(Text(r.program) + " "), qPrintable(ext));
      QVERIFY2(mv::SurveyFormatsByProgram().contains(ext), qPrintable(ext));
      QVERIFY2(readmeText.contains("`" + ext + "`"), qPrintable(ext));
    }
  }
  // The survey folder's files, then every file.
  QCOMPARE(filters.at(filters.size() - 2),
           QString("Folder z plikami Dane (Dane.bin Dane1.bin Dane2.bin)"));
  QCOMPARE(filters.last(), QString("Wszystkie pliki (*)"));
  QCOMPARE(filters.size(), static_cast<qsizetype>(mv::FormatReaders().size()) + 3);
}

void FormatListsTest::everyExportKindIsListed() {
  const QString problem = mv::ExportNameProblem("cave.bmp");
  QVERIFY(problem.startsWith("unknown picture format '.bmp'"));
  for (const mv::ExportKind& k : mv::ExportKinds()) {
    const std::string name = std::string("jaskinia") + k.extension;
    QCOMPARE(mv::ExportFormatOf(name), std::optional(k.format));
    QCOMPARE(mv::ExportFormatOf(QString::fromStdString(name).toUpper().toStdString()),
             std::optional(k.format));
    QVERIFY2(QString(k.filter).contains(QString("(*%1)").arg(k.extension)), k.filter);
    QVERIFY2(Usage().contains(QString("%1 %2").arg(k.extension, k.usage)), k.extension);
    QVERIFY2(problem.contains(k.extension), qPrintable(problem));
    QVERIFY(&mv::ExportKindOf(k.format) == &k);
  }
}

QTEST_GUILESS_MAIN(FormatListsTest)
#include "format_lists_test.moc"
