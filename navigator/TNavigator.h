#pragma once

#include <QObject>
#include <QSet>

class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class TLocalStore;
class TObjectLists;
class TSettingsCache;

// The connection tree: lazily loaded nodes, what selecting or expanding one
// of them shows, and which connection's settings the web service carries.
class TNavigator : public QObject {
  Q_OBJECT

 public:
  // queryPage and dataPage are the pages a saved query, a table or a column
  // shows besides the navigator's own.
  TNavigator(QTreeWidget *tvDB, TObjectLists &lists, QWidget *queryPage, QWidget *dataPage, TLocalStore &store,
             TSettingsCache &settings, QObject *parent = nullptr);

  TObjectLists &Lists() const { return FLists; }
  // The general list's context menus: one while the root is shown, the
  // other while a connection or the tables folder is.
  void SetGeneMenus(QMenu *rootMenu, QMenu *connectionMenu);

  // Both the selection change and the expansion run ShowNode.
  void tvDBChange(QTreeWidgetItem *node);
  void tvDBExpanding(QTreeWidgetItem *node);
  // In-place editing is for saved queries only: AddTreeNode makes a node
  // editable when this allows it.
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

 signals:
  // A saved query was opened: its key, its connection's key and its
  // stored text (empty when it has none, or when its row is gone), for the
  // editor to show from scratch.
  void QueryOpened(qint64 queryKey, qint64 connectionKey, const QString &text);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void LoadConnections(QTreeWidgetItem *root, bool needsLoading);
  void LoadTables(QTreeWidgetItem *folder, bool needsLoading);
  void LoadQueries(QTreeWidgetItem *folder, bool needsLoading);
  void LoadColumns(QTreeWidgetItem *node, bool needsLoading);
  void LoadQueryText(QTreeWidgetItem *node);
  // Shows the error of the last request; false when there was none.
  bool ShowRequestError() const;

  QTreeWidget *FTree;
  TObjectLists &FLists;
  QWidget *FQueryPage;
  QWidget *FDataPage;
  TLocalStore &FStore;
  TSettingsCache &FSettings;
  QMenu *FRootMenu = nullptr;
  QMenu *FConnectionMenu = nullptr;
  QMenu *FGeneMenu = nullptr;
};
