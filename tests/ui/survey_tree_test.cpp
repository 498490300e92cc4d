// The survey tree panel, its statistics and its connection finder, on the
// Tatra caves: the caves listed, hidden and isolated, their figures, and
// where two of them come closest.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>
#include <QTreeView>
#include <QtTest>
#include <filesystem>

#include "data/reader_table.h"
#include "data/survey_stats.h"
#include "ui/survey_dialogs.h"
#include "ui/survey_tree_panel.h"
#include "view/install_load.h"
#include "view/picking.h"

using namespace mv;

namespace {

const std::filesystem::path kAll = std::filesystem::path(MV_SURVEX_DIR) / "jaskinie_all.3d";

AppState Loaded() {
  AppState s;
  SetStartParameters(s.view);
  InstallLoad(s, LoadSurveySource(SurveySourceFor(kAll)));
  return s;
}

// Rows of the survey lines the picture draws, counted.
int DrawnRows(const AppState& s) {
  int n = 0;
  for (int32_t r = 0; r < s.survey.SurveyLineCount(); ++r) n += RowDrawn(s.view, s.survey, r);
  return n;
}

}  // namespace

class SurveyTreeTest : public QObject {
  Q_OBJECT
 private slots:
  void listsHidesAndIsolatesTheCaves();
  void hundredThousandNodesAtOneLevelOpenAThousandAtATime();
  void statisticsTableIsCopiedAsTabSeparatedText();
  void connectionsBetweenTwoCavesAndOverlappingParts();
};

void SurveyTreeTest::listsHidesAndIsolatesTheCaves() {
  AppState s = Loaded();
  QVERIFY(s.survey.SurveyCount() > 5);
  int changes = 0;
  ui::SurveyTreePanel panel(s, {[&changes] { ++changes; }, {}, {}, {}});
  ui::SurveyTreeModel* model = panel.Model();
  const QModelIndex root = model->index(0, 0);
  QCOMPARE(model->data(root, Qt::DisplayRole).toString(), QString("all"));
  QStringList caves;
  for (int r = 0; r < model->rowCount(root); ++r)
    caves << model->data(model->index(r, 0, root), Qt::DisplayRole).toString();
  for (const char* cave : {"czarna", "zimna", "mietusia"}) QVERIFY2(caves.contains(cave), cave);
  // Each node's length is its statistics' length.
  const std::vector<SurveyStats> stats = ComputeSurveyStats(s.survey);
  const QModelIndex czarna = model->index(static_cast<int>(caves.indexOf("czarna")), 0, root);
  const int32_t node = model->NodeOf(czarna);
  QCOMPARE(
      model->data(model->index(czarna.row(), 1, root), Qt::DisplayRole).toString(),
      QString::fromStdString(DecimalText(stats[static_cast<size_t>(node)].length, 1, ',') + " m"));

  // Unchecking a cave leaves its legs, stations and entrances out.
  const int all = DrawnRows(s);
  const std::vector<int32_t> stationsBefore = LineStations(s.survey, s.view);
  QVERIFY(model->setData(czarna, Qt::Unchecked, Qt::CheckStateRole));
  QCOMPARE(changes, 1);
  QCOMPARE(model->data(root, Qt::CheckStateRole).toInt(), int(Qt::PartiallyChecked));
  QVERIFY(DrawnRows(s) < all);
  for (const int32_t row : LineStations(s.survey, s.view))
    QVERIFY(SurveyShown(s.view, s.survey.StationSurvey(row)) ||
            std::count(stationsBefore.begin(), stationsBefore.end(), row));
  for (const int32_t row : ShownEntrances(s.survey, s.view))
    QVERIFY(s.survey.StationSurvey(row) != node);

  // "Pokaż tylko ten" isolates one cave, "Pokaż wszystko" brings all back.
  panel.RunMenuItem(node, 0);
  QCOMPARE(model->data(czarna, Qt::CheckStateRole).toInt(), int(Qt::Checked));
  const std::vector<uint8_t> inCzarna = Subtree(s.survey, node);
  for (int32_t r = 0; r < s.survey.SurveyLineCount(); ++r)
    QCOMPARE(RowDrawn(s.view, s.survey, r),
             inCzarna[s.survey.LineSurvey(r)] != 0 && LegDrawn(s.view, s.survey.LineFlags(r)));
  panel.RunMenuItem(node, 1);
  QCOMPARE(DrawnRows(s), all);
  QCOMPARE(model->data(root, Qt::CheckStateRole).toInt(), int(Qt::Checked));

  // Hovering a node highlights it; the root highlights nothing.
  panel.SelectNode(node);
  QCOMPARE(s.view.HighlightedSurvey, node);
  QCOMPARE(panel.SelectedNode(), node);
  // Hovering another and leaving the tree gives the highlight back.
  QTreeView* tree = panel.findChild<QTreeView*>("SurveyTree");
  QVERIFY(tree);
  const QModelIndex other = model->index(czarna.row() == 0 ? 1 : 0, 0, root);
  emit tree->entered(other);
  QCOMPARE(s.view.HighlightedSurvey, model->NodeOf(other));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(tree->viewport(), &leave);
  QCOMPARE(s.view.HighlightedSurvey, node);
}

void SurveyTreeTest::hundredThousandNodesAtOneLevelOpenAThousandAtATime() {
  AppState s;
  s.survey.surveys.push_back({-1, "root"});
  for (int k = 0; k < 100000; ++k)
    s.survey.surveys.push_back({0, std::string(k == 0 ? 10000 : 8, 'a' + k % 26)});
  QElapsedTimer timer;
  timer.start();
  ui::SurveyTreePanel panel(s, {});
  ui::SurveyTreeModel* model = panel.Model();
  const QModelIndex root = model->index(0, 0);
  // The view is handed a few batches, not the hundred thousand.
  QVERIFY(model->canFetchMore(root));
  QVERIFY(model->rowCount(root) <= 5000);
  // The last node can still be selected: the rows before it are handed out.
  panel.SelectNode(100000);
  QCOMPARE(panel.SelectedNode(), 100000);
  QVERIFY(timer.elapsed() < 5000);
}

void SurveyTreeTest::statisticsTableIsCopiedAsTabSeparatedText() {
  const AppState s = Loaded();
  ui::StatisticsDialog dialog(s.survey, 0);
  const QStringList lines = dialog.TableText().split('\n', Qt::SkipEmptyParts);
  QCOMPARE(lines.size(), dialog.Table()->rowCount());
  QVERIFY(lines[0].startsWith("pomiar\tall"));
  const SurveyStats all = ComputeSurveyStats(s.survey)[0];
  QVERIFY(lines.contains(QString("nogi\t%1").arg(all.legs)));
  QVERIFY(lines.contains(QString("odnogi\t%1").arg(all.splays)));
  dialog.Copy();
  QCOMPARE(QApplication::clipboard()->text(), dialog.TableText());
  // An empty part gives zeros, not a crash.
  AppState empty;
  ui::StatisticsDialog none(empty.survey, 7);
  QVERIFY(none.TableText().contains("nogi\t0"));
}

void SurveyTreeTest::connectionsBetweenTwoCavesAndOverlappingParts() {
  const AppState s = Loaded();
  const Approach* chosen = nullptr;
  int32_t czarna = -1, zimna = -1;
  for (int32_t k = 0; k < s.survey.SurveyCount(); ++k) {
    if (SurveyPath(s.survey, k) == "czarna") czarna = k;
    if (SurveyPath(s.survey, k) == "zimna") zimna = k;
  }
  QVERIFY(czarna > 0 && zimna > 0);
  ui::ConnectionsDialog dialog(s.survey, czarna, [&chosen](const Approach& a) { chosen = &a; });
  std::vector<Approach> shown;
  dialog.found = [&shown](const std::vector<Approach>& found) { shown = found; };
  dialog.Second()->setCurrentIndex(dialog.Second()->findData(zimna));
  dialog.Search();
  QCOMPARE(static_cast<int>(dialog.Found().size()), 10);
  QCOMPARE(dialog.Results()->rowCount(), 10);
  QCOMPARE(shown.size(), dialog.Found().size());
  for (size_t i = 1; i < shown.size(); ++i) QVERIFY(shown[i - 1].distance <= shown[i].distance);
  dialog.Results()->setCurrentCell(2, 0);
  QVERIFY(chosen == &dialog.Found()[2]);

  // The whole survey against one of its caves: the parts overlap.
  dialog.First()->setCurrentIndex(dialog.First()->findData(0));
  dialog.Search();
  QVERIFY(dialog.Found().empty());
  QVERIFY(shown.empty());
  QVERIFY(dialog.Message()->text().contains("pokrywają"));
}

QTEST_MAIN(SurveyTreeTest)
#include "survey_tree_test.moc"
