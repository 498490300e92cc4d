#include "ui/survey_tree_panel.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTreeView>
#include <algorithm>

#include "data/stats_table.h"
#include "ui/utf8.h"
#include "view/picking.h"

namespace mv::ui {

namespace {

const char* const kMenuItems[] = {"Pokaż tylko ten", "Pokaż wszystko", "Dopasuj do tego",
                                  "Statystyki", "Znajdź możliwe połączenia..."};

}  // namespace

SurveyTreeModel::SurveyTreeModel(AppState& state, QObject* parent)
    : QAbstractItemModel(parent), state_(state) {
  Reset();
}

void SurveyTreeModel::Reset() {
  beginResetModel();
  const SurveyModel& m = state_.survey;
  children_ = SurveyChildren(m);
  rowInParent_.assign(children_.size(), 0);
  for (const std::vector<int32_t>& kids : children_)
    for (size_t i = 0; i < kids.size(); ++i)
      rowInParent_[static_cast<size_t>(kids[i])] = static_cast<int32_t>(i);
  fetched_.assign(children_.size(), 0);
  stats_ = ComputeSurveyStats(m);
  checks_ = SurveyChecks(state_.view, m);
  endResetModel();
}

void SurveyTreeModel::ChecksChanged() {
  checks_ = SurveyChecks(state_.view, state_.survey);
  // Only what the view has been handed can be on the screen.
  const QModelIndex top = index(0, 0);
  emit dataChanged(top, top, {Qt::CheckStateRole});
  for (size_t node = 0; node < fetched_.size(); ++node) {
    if (fetched_[node] == 0) continue;
    const QModelIndex parentIndex = IndexOf(static_cast<int32_t>(node));
    emit dataChanged(index(0, 0, parentIndex), index(fetched_[node] - 1, 0, parentIndex),
                     {Qt::CheckStateRole});
  }
}

int32_t SurveyTreeModel::NodeOf(const QModelIndex& i) const {
  return i.isValid() ? static_cast<int32_t>(i.internalId()) - 1 : -1;
}

QModelIndex SurveyTreeModel::IndexOf(int32_t node) {
  if (node < 0 || static_cast<size_t>(node) >= children_.size()) return {};
  if (node == 0) return index(0, 0);
  // Hands out the node's ancestors' children as far as the node.
  const int32_t parent = state_.survey.surveys[static_cast<size_t>(node)].parent;
  const QModelIndex parentIndex = IndexOf(parent);
  const int row = rowInParent_[static_cast<size_t>(node)];
  while (fetched_[static_cast<size_t>(parent)] <= row) fetchMore(parentIndex);
  return index(row, 0, parentIndex);
}

QModelIndex SurveyTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column < 0 || column >= 2) return {};
  if (!parent.isValid()) return row == 0 ? createIndex(0, column, quintptr{1}) : QModelIndex();
  const int32_t node = NodeOf(parent);
  if (row >= fetched_[static_cast<size_t>(node)]) return {};
  const int32_t child = children_[static_cast<size_t>(node)][static_cast<size_t>(row)];
  return createIndex(row, column, static_cast<quintptr>(child) + 1);
}

QModelIndex SurveyTreeModel::parent(const QModelIndex& child) const {
  const int32_t node = NodeOf(child);
  if (node <= 0) return {};
  const int32_t parent = state_.survey.surveys[static_cast<size_t>(node)].parent;
  if (parent < 0) return {};
  return createIndex(parent == 0 ? 0 : rowInParent_[static_cast<size_t>(parent)], 0,
                     static_cast<quintptr>(parent) + 1);
}

int SurveyTreeModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return children_.empty() ? 0 : 1;
  if (parent.column() != 0) return 0;
  return fetched_[static_cast<size_t>(NodeOf(parent))];
}

int SurveyTreeModel::columnCount(const QModelIndex&) const {
  return 2;
}

bool SurveyTreeModel::hasChildren(const QModelIndex& parent) const {
  if (!parent.isValid()) return !children_.empty();
  return parent.column() == 0 && !children_[static_cast<size_t>(NodeOf(parent))].empty();
}

bool SurveyTreeModel::canFetchMore(const QModelIndex& parent) const {
  if (!parent.isValid()) return false;
  const size_t node = static_cast<size_t>(NodeOf(parent));
  return static_cast<size_t>(fetched_[node]) < children_[node].size();
}

void SurveyTreeModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent)) return;
  const size_t node = static_cast<size_t>(NodeOf(parent));
  const int have = fetched_[node];
  const int more = std::min<int>(kBatch, static_cast<int>(children_[node].size()) - have);
  beginInsertRows(parent, have, have + more - 1);
  fetched_[node] = have + more;
  endInsertRows();
}

QVariant SurveyTreeModel::data(const QModelIndex& index, int role) const {
  const int32_t node = NodeOf(index);
  if (node < 0) return {};
  const SurveyModel& m = state_.survey;
  const size_t k = static_cast<size_t>(node);
  if (role == Qt::DisplayRole && index.column() == 0)
    return FromUtf8(node == 0 ? SurveyTitle(m, 0) : m.surveys[k].name);
  if (role == Qt::DisplayRole && index.column() == 1 && k < stats_.size())
    return FromUtf8(DecimalText(stats_[k].length, 1, ',') + " m");
  if (role == Qt::TextAlignmentRole && index.column() == 1)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  if (role == Qt::ToolTipRole) return FromUtf8(SurveyTitle(m, node));
  if (role == Qt::CheckStateRole && index.column() == 0 && k < checks_.size())
    return checks_[k] == SurveyCheck::Shown    ? Qt::Checked
           : checks_[k] == SurveyCheck::Hidden ? Qt::Unchecked
                                               : Qt::PartiallyChecked;
  return {};
}

bool SurveyTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || index.column() != 0) return false;
  const auto state = static_cast<Qt::CheckState>(value.toInt());
  SetSurveyShown(state_.view, state_.survey, NodeOf(index), state != Qt::Unchecked);
  ChecksChanged();
  if (changed) changed();
  return true;
}

Qt::ItemFlags SurveyTreeModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == 0) f |= Qt::ItemIsUserCheckable;
  return f;
}

QVariant SurveyTreeModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == 0 ? QStringLiteral("Pomiar") : QStringLiteral("Długość");
}

SurveyTreePanel::SurveyTreePanel(AppState& state, Actions actions, QWidget* parent)
    : QDockWidget(QStringLiteral("Pomiary"), parent), state_(state), actions_(std::move(actions)) {
  setObjectName("SurveyTreePanel");
  setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  model_ = new SurveyTreeModel(state_, this);
  model_->changed = [this] {
    if (actions_.changed) actions_.changed();
  };
  tree_ = new QTreeView(this);
  tree_->setObjectName("SurveyTree");
  tree_->setModel(model_);
  tree_->setUniformRowHeights(true);
  tree_->setTextElideMode(Qt::ElideMiddle);
  tree_->setMouseTracking(true);
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  tree_->header()->setStretchLastSection(false);
  tree_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  tree_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  tree_->expandToDepth(0);
  setWidget(tree_);

  connect(tree_, &QTreeView::entered, this,
          [this](const QModelIndex& i) { Highlight(model_->NodeOf(i)); });
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& i) { Highlight(model_->NodeOf(i)); });
  connect(tree_, &QTreeView::viewportEntered, this, [this] { Highlight(SelectedNode()); });
  tree_->viewport()->installEventFilter(this);
  connect(tree_, &QTreeView::customContextMenuRequested, this, [this](const QPoint& at) {
    const int32_t node = model_->NodeOf(tree_->indexAt(at));
    if (node < 0) return;
    QMenu menu(this);
    for (int i = 0; i < static_cast<int>(std::size(kMenuItems)); ++i)
      menu.addAction(QString::fromUtf8(kMenuItems[i]))->setData(i);
    if (QAction* chosen = menu.exec(tree_->viewport()->mapToGlobal(at)))
      RunMenuItem(node, chosen->data().toInt());
  });
}

void SurveyTreePanel::SurveyChanged() {
  state_.view.HighlightedSurvey = -1;
  model_->Reset();
  tree_->expandToDepth(0);
}

void SurveyTreePanel::SelectNode(int32_t node) {
  const QModelIndex i = model_->IndexOf(node);
  if (!i.isValid()) return;
  tree_->setCurrentIndex(i);
  tree_->scrollTo(i);
}

int32_t SurveyTreePanel::SelectedNode() const {
  const int32_t node = model_->NodeOf(tree_->currentIndex());
  return node < 0 ? 0 : node;
}

void SurveyTreePanel::RunMenuItem(int32_t node, int item) {
  switch (item) {
    case 0:
      ShowOnlySurvey(state_.view, state_.survey, node);
      break;
    case 1:
      ShowAllSurveys(state_.view);
      break;
    case 2:
      if (actions_.fit) actions_.fit(node);
      return;
    case 3:
      if (actions_.statistics) actions_.statistics(node);
      return;
    case 4:
      if (actions_.connections) actions_.connections(node);
      return;
    default:
      return;
  }
  model_->ChecksChanged();
  if (actions_.changed) actions_.changed();
}

bool SurveyTreePanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tree_->viewport() && event->type() == QEvent::Leave) Highlight(SelectedNode());
  return QDockWidget::eventFilter(watched, event);
}

void SurveyTreePanel::Highlight(int32_t node) {
  // The whole survey highlighted is no highlight.
  const int32_t shown = node <= 0 ? -1 : node;
  if (state_.view.HighlightedSurvey == shown) return;
  state_.view.HighlightedSurvey = shown;
  if (actions_.changed) actions_.changed();
}

}  // namespace mv::ui
