#pragma once

#include "TNavigatorWidgets.h"

#include <QObject>
#include <QSet>

class QTreeWidgetItem;
class TLocalStore;
class TObjectLists;
class TWebService;

// The connection tree: lazily loaded nodes, what selecting or expanding one
// of them shows, and which connection's settings the web service carries.
class TNavigator : public QObject {
  Q_OBJECT

 public:
  TNavigator(const TNavigatorWidgets &widgets, TLocalStore &store, TWebService &webService,
             QObject *parent = nullptr);

  TObjectLists &Lists() const { return *FLists; }

  // Both the selection change and the expansion run ShowNode.
  void tvDBChange(QTreeWidgetItem *node);
  void tvDBExpanding(QTreeWidgetItem *node);
  // In-place editing is for saved queries only.
  bool tvDBEditing(const QTreeWidgetItem *node) const;

  void ShowNode(QTreeWidgetItem *node);
  // Makes the web service carry the settings of the connection owning node.
  void LoadConnectionSettings(QTreeWidgetItem *node);
  QTreeWidgetItem *AddTreeNode(QTreeWidgetItem *parent, int kind, const QString &text);
  // Deletes the node's children; nothing keeps referring to them.
  void DeleteChildren(QTreeWidgetItem *node);
  // Collapses the node, drops its children and expands it again, which
  // loads it afresh.
  void Reload(QTreeWidgetItem *node);

 private:
  void LoadConnections(QTreeWidgetItem *root, bool needsLoading);
  void LoadTables(QTreeWidgetItem *folder, bool needsLoading);
  void LoadQueries(QTreeWidgetItem *folder, bool needsLoading);
  void LoadColumns(QTreeWidgetItem *node, bool needsLoading);
  void LoadQueryText(QTreeWidgetItem *node);
  // Shows the error of the last request; false when there was none.
  bool ShowRequestError() const;

  TNavigatorWidgets W;
  TLocalStore &FStore;
  TWebService &FWebService;
  TObjectLists *FLists;
  QMenu *FGeneMenu = nullptr;
};
