// The main window's recent surveys and its animation and drawing exports.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProgressDialog>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <filesystem>

#include "shell/command_line.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "shown_window.h"

using mv::MainWindow;
using mv::RecentSurveys;
namespace fs = std::filesystem;

namespace {

const fs::path kSample = MV_SAMPLE_DIR;
const fs::path kCzarna = fs::path(MV_SURVEX_DIR) / "jaskinie_czarna.3d";
const fs::path kZimna = fs::path(MV_SURVEX_DIR) / "jaskinie_zimna.3d";

QString Text(const fs::path& p) {
  return QString::fromStdString(p.string());
}

std::unique_ptr<RecentSurveys> RecentIn(const QString& file) {
  return std::make_unique<RecentSurveys>(std::make_unique<QSettings>(file, QSettings::IniFormat));
}

}  // namespace

class RecentAndSavingTest : public QObject {
  Q_OBJECT

 private slots:
  void recentSurveysNewestFirst();
  void goneSurveyLeavesTheListWithANote();
  void desktopStart_data();
  void desktopStart();
  void damagedSettingsAreIgnored_data();
  void damagedSettingsAreIgnored();
  void animationAndDrawingAreSaved_data();
  void animationAndDrawingAreSaved();

 private:
  QTemporaryDir dir_;
};

void RecentAndSavingTest::recentSurveysNewestFirst() {
  const QString settings = dir_.filePath("newest.ini");
  {
    MainWindow w(kSample, mv::test::NoBox, nullptr, RecentIn(settings));
    w.Opener().Open(kCzarna);
    w.Opener().Open(kZimna);
    w.Opener().Open("/nonexistent/cave.3d");  // not read: not listed
    QCOMPARE(w.Recent().Sources(), (QStringList{Text(kZimna), Text(kCzarna), Text(kSample)}));
    QMenu* menu = w.ControlsOf().Menu().RecentMenu();
    QCOMPARE(menu->title(), QString("Ostatnio otwierane"));
    QCOMPARE(menu->actions().size(), 3);
    QVERIFY(menu->actions()[1]->text().endsWith(Text(kCzarna)));
    // The open dialog starts where the survey opened last lies.
    fs::path start;
    w.SetSourceChooser([&start](QWidget*, const fs::path& s) { return start = s, std::nullopt; });
    w.OpenSurvey();
    QCOMPARE(start, kZimna.parent_path());
    menu->actions()[1]->trigger();
    QTRY_COMPARE(w.Source(), kCzarna);
    QCOMPARE(w.Recent().Sources().first(), Text(kCzarna));
  }
  // Kept for the next start, eight at most.
  RecentSurveys again(std::make_unique<QSettings>(settings, QSettings::IniFormat));
  QCOMPARE(again.Sources().size(), 3);
  for (int i = 0; i < 10; ++i) again.Add(fs::path("/caves") / std::to_string(i));
  QCOMPARE(again.Sources().size(), RecentSurveys::kMost);
  QCOMPARE(again.Sources().first(), QString("/caves/9"));
}

void RecentAndSavingTest::goneSurveyLeavesTheListWithANote() {
  QTemporaryDir caves;
  const fs::path copy = caves.filePath("czarna.3d").toStdString();
  fs::copy_file(kCzarna, copy);
  int boxes = 0;
  MainWindow w(
      copy, [&boxes](QWidget*) { ++boxes; }, nullptr, RecentIn(dir_.filePath("gone.ini")));
  QVERIFY(mv::test::Show(w));
  fs::remove(copy);
  w.OpenRecent(Text(copy));
  QCOMPARE(boxes, 0);
  QVERIFY(w.Recent().Sources().isEmpty());
  QVERIFY(w.Note()->isVisible());
  QVERIFY2(w.Note()->text().contains(Text(copy)), qPrintable(w.Note()->text()));
}

void RecentAndSavingTest::desktopStart_data() {
  QTest::addColumn<QStringList>("arguments");  // after the program's name
  QTest::addColumn<QStringList>("recent");     // newest first; "gone" for a deleted survey
  QTest::addColumn<QString>("opened");         // empty: nothing, and the hint
  const QString czarna = Text(kCzarna), zimna = Text(kZimna);
  QTest::newRow("the newest recent survey still there")
      << QStringList{"--from-desktop"} << QStringList{"gone", czarna, zimna} << czarna;
  QTest::newRow("no recent survey left")
      << QStringList{"--from-desktop"} << QStringList{"gone"} << "";
  QTest::newRow("a file given") << QStringList{"--from-desktop", zimna} << QStringList{czarna}
                                << zimna;
}

void RecentAndSavingTest::desktopStart() {
  QFETCH(QStringList, arguments);
  QFETCH(QStringList, recent);
  QFETCH(QString, opened);
  QTemporaryDir caves;
  const QString gone = caves.filePath("gone.3d");
  QVERIFY(QFile::copy(Text(kCzarna), gone));
  auto list = RecentIn(dir_.filePath(QString("desktop-%1.ini").arg(QTest::currentDataTag())));
  for (qsizetype i = recent.size() - 1; i >= 0; --i)
    list->Add((recent[i] == "gone" ? gone : recent[i]).toStdString());
  QVERIFY(QFile::remove(gone));
  const mv::CommandLine c = mv::ParseCommandLine(QStringList{"morvalka"} + arguments);
  const fs::path source = mv::StartSource(c, *list);
  int boxes = 0;
  MainWindow w(
      source, [&boxes](QWidget*) { ++boxes; }, nullptr, std::move(list));
  QVERIFY(mv::test::Show(w));
  QCOMPARE(Text(w.Source()), opened);
  QVERIFY(!w.Recent().Sources().contains(gone));
  QCOMPARE(w.StartHint()->isVisible(), opened.isEmpty());
  // Nothing to read, not even on the return to the start parameters: an
  // empty picture with the hint in its middle, and no box.
  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(boxes, 0);
  QCOMPARE(w.State().survey.StationCount() == 2, opened.isEmpty());
  if (!opened.isEmpty()) return;
  QVERIFY(w.StartHint()->isVisible());
  QVERIFY(w.StartHint()->text().startsWith("Otwórz dane jaskini... (Ctrl+O)"));
  QVERIFY(qAbs(w.StartHint()->geometry().center().x() - w.centralWidget()->width() / 2) <= 1);
  w.Opener().Open(kZimna);
  QVERIFY(w.StartHint()->isHidden());
}

void RecentAndSavingTest::damagedSettingsAreIgnored_data() {
  QTest::addColumn<QByteArray>("contents");
  QTest::addColumn<bool>("keptAsItWas");  // a later version's file is not overwritten
  QTest::newRow("garbage") << QByteArray("\x00\xff[[[recent\n=\x01\x02", 13) << false;
  QTest::newRow("sources not a list")
      << QByteArray("[recent]\nformat=1\nsources=@Variant(\\0\\0\\0\\x7f)\n") << false;
  QTest::newRow("format not a number") << QByteArray("[recent]\nformat=new\nsources=/a\n") << true;
  QTest::newRow("a later format") << QByteArray("[recent]\nformat=2\nsources=/a, /b\n") << true;
}

void RecentAndSavingTest::damagedSettingsAreIgnored() {
  QFETCH(QByteArray, contents);
  QFETCH(bool, keptAsItWas);
  const QString file = dir_.filePath(QString("damaged-%1.ini").arg(QTest::currentDataTag()));
  QFile f(file);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(contents);
  f.close();
  RecentSurveys recent(std::make_unique<QSettings>(file, QSettings::IniFormat));
  QVERIFY(recent.Sources().isEmpty());
  recent.Add(kSample);
  QCOMPARE(recent.Sources(), QStringList{Text(kSample)});
  QVERIFY(f.open(QIODevice::ReadOnly));
  QCOMPARE(f.readAll() == contents, keptAsItWas);
}

void RecentAndSavingTest::animationAndDrawingAreSaved_data() {
  QTest::addColumn<QString>("command");
  QTest::addColumn<QString>("name");
  QTest::addColumn<bool>("cancel");
  QTest::addColumn<QString>("failure");  // the box's caption; empty when none
  QTest::newRow("animation") << "Zapiszanimacje1"
                             << "turn.gif" << false << "";
  QTest::newRow("animation cancelled") << "Zapiszanimacje1"
                                       << "turn.gif" << true << "";
  QTest::newRow("drawing") << "ZapiszrysunekSVG1"
                           << "cave.svg" << false << "";
  QTest::newRow("drawing into a missing folder")
      << "ZapiszrysunekSVG1"
      << "no/cave.svg" << false << "Błąd zapisu rysunku!";
}

void RecentAndSavingTest::animationAndDrawingAreSaved() {
  QFETCH(QString, command);
  QFETCH(QString, name);
  QFETCH(bool, cancel);
  QFETCH(QString, failure);
  QTemporaryDir out;
  const fs::path file = out.filePath(name).toStdString();
  MainWindow w(kSample, mv::test::NoBox, nullptr, RecentIn(dir_.filePath("saving.ini")));
  QVERIFY(mv::test::Show(w));
  fs::path suggested;
  w.SetPictureChooser([&](QWidget*, const fs::path& s) { return suggested = s, file; });
  QStringList boxes;
  w.SetSaveFailureBox(
      [&boxes](QWidget*, const QString& caption, const QString&) { boxes << caption; });
  // Stop the animation while its progress box is up.
  QTimer press;
  press.setInterval(5);
  QObject::connect(&press, &QTimer::timeout, [&press] {
    auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
    if (!progress || progress->value() < 3) return;
    press.stop();
    progress->cancel();
  });
  if (cancel) press.start();
  w.findChild<QAction*>(command)->trigger();
  QCOMPARE(suggested.extension(), fs::path(name.toStdString()).extension());
  QCOMPARE(boxes, failure.isEmpty() ? QStringList() : QStringList{failure});
  QCOMPARE(fs::exists(file), !cancel && failure.isEmpty());
  QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), fs::exists(file) ? 1 : 0);
}

QTEST_MAIN(RecentAndSavingTest)
#include "recent_and_saving_test.moc"
