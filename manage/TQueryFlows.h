#pragma once

#include <QObject>

#include <functional>

class QModelIndex;
class QTreeWidget;
class QTreeWidgetItem;
class TLocalStore;
class TSettingsCache;
class TXListView;

// Creating, renaming in place and deleting saved queries from the main
// window, in the tree and in the saved queries list.
class TQueryFlows : public QObject {
  Q_OBJECT

 public:
  // refresh runs the refresh action now; deferRefresh arms the refresh
  // timer, so that the refresh runs once the edit notification is over.
  TQueryFlows(TLocalStore &store, TSettingsCache &settings, QTreeWidget *tvDB, TXListView *lvQueries,
              std::function<void()> refresh, std::function<void()> deferRefresh, QObject *parent = nullptr);

  void actNewQueryExecute();
  void actRenameQueryExecute();
  void actDeleteQueryExecute();
  bool actNewQueryUpdate() const;
  // Also the rule of the delete action: a saved query is selected in the
  // tree, or in the saved queries list while it is on show.
  bool actRenameQueryUpdate() const;

  // The query the rename and delete act on: the selected tree node when it
  // is a saved query; otherwise the query selected in the saved queries
  // list, while that list is the one on show (its folder is the selected
  // node). A selection left in the list after the tree moved on to another
  // kind of node is not on screen, so it is no target.
  QTreeWidgetItem *TargetQuery() const;

  // The ends of an in-place edit the user accepted.
  void tvDBEdited(QTreeWidgetItem *node, const QString &text);
  void lvQueriesEdited(QTreeWidgetItem *item, const QString &text);

 private:
  // The list item the target comes from, when it comes from the list.
  QTreeWidgetItem *TargetListItem() const;
  void SaveTitle(QTreeWidgetItem *node, const QString &text);

  TLocalStore &FStore;
  TSettingsCache &FSettings;
  QTreeWidget *FTree;
  TXListView *FQueries;
  std::function<void()> FRefresh;
  std::function<void()> FDeferRefresh;
};
