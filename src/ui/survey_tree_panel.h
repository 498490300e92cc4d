// "Pomiary": the survey tree in a panel at the left of the window, with a
// checkbox and the length of each node; checking shows and hides parts of
// the survey, hovering or selecting a node highlights it in the picture.
#pragma once

#include <QAbstractItemModel>
#include <QDockWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "data/survey_stats.h"
#include "view/app_state.h"
#include "view/survey_selection.h"

class QTreeView;

namespace mv::ui {

// The survey tree as a model for a tree view. Children are handed out a
// thousand at a time, so a node with a hundred thousand children opens at
// once; names longer than a line are cut in the middle by the view.
class SurveyTreeModel : public QAbstractItemModel {
  Q_OBJECT
 public:
  explicit SurveyTreeModel(AppState& state, QObject* parent = nullptr);

  // Builds the tree anew for the survey in the state.
  void Reset();
  // The checkboxes follow the state's hidden nodes.
  void ChecksChanged();

  int32_t NodeOf(const QModelIndex& index) const;
  QModelIndex IndexOf(int32_t node);

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;
  bool hasChildren(const QModelIndex& parent = {}) const override;

  // Runs after a checkbox changed what the picture shows.
  std::function<void()> changed;

 private:
  static constexpr int kBatch = 1000;
  AppState& state_;
  std::vector<std::vector<int32_t>> children_;  // by node
  std::vector<int32_t> rowInParent_;            // by node
  std::vector<int> fetched_;                    // children handed out, by node
  std::vector<SurveyStats> stats_;
  std::vector<SurveyCheck> checks_;
};

class SurveyTreePanel : public QDockWidget {
  Q_OBJECT
 public:
  // What the panel's menu asks of the window.
  struct Actions {
    std::function<void()> changed;  // the picture's parts or highlight changed
    std::function<void(int32_t node)> fit;
    std::function<void(int32_t node)> statistics;
    std::function<void(int32_t node)> connections;
  };

  SurveyTreePanel(AppState& state, Actions actions, QWidget* parent = nullptr);

  // A new survey was opened.
  void SurveyChanged();
  // Selects the node of a picked station, opening its ancestors.
  void SelectNode(int32_t node);
  // The node selected, or the root.
  int32_t SelectedNode() const;

  QTreeView* Tree() const { return tree_; }
  SurveyTreeModel* Model() const { return model_; }

  // The menu of a node: "Pokaż tylko ten", "Pokaż wszystko", "Dopasuj do
  // tego", "Statystyki", "Znajdź możliwe połączenia...".
  void RunMenuItem(int32_t node, int item);

 protected:
  // The pointer leaving the tree gives the highlight back to the chosen part.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Highlight(int32_t node);

  AppState& state_;
  Actions actions_;
  QTreeView* tree_ = nullptr;
  SurveyTreeModel* model_ = nullptr;
};

}  // namespace mv::ui
