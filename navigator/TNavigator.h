#pragma once

#include <QObject>

class QTreeWidget;
class QTreeWidgetItem;
class TLocalStore;
class TWebService;

// The connection tree: lazily loaded nodes and what selecting or expanding
// one of them shows.
class TNavigator : public QObject {
  Q_OBJECT

 public:
  TNavigator(QTreeWidget *tvDB, TLocalStore &store, TWebService &webService, QObject *parent = nullptr);

  // Both the selection change and the expansion run ShowNode.
  void tvDBChange(QTreeWidgetItem *node);
  void tvDBExpanding(QTreeWidgetItem *node);
  // In-place editing is for saved queries only.
  bool tvDBEditing(const QTreeWidgetItem *node) const;

  void ShowNode(QTreeWidgetItem *node);
  QTreeWidgetItem *AddTreeNode(QTreeWidgetItem *parent, int kind, const QString &text);

 private:
  void LoadConnections(QTreeWidgetItem *root, bool needsLoading);

  QTreeWidget *FTree;
  TLocalStore &FStore;
  TWebService &FWebService;
};
