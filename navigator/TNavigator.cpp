#include "TNavigator.h"

#include "TLocalStore.h"
#include "TTreeNodes.h"
#include "TWebService.h"

#include <QApplication>
#include <QTreeWidget>

namespace {

// Restores the cursor whatever happens during a load.
class TBusyCursor {
 public:
  explicit TBusyCursor(bool active) : FActive(active) {
    if (FActive) QApplication::setOverrideCursor(Qt::BusyCursor);
  }
  ~TBusyCursor() {
    if (FActive) QApplication::restoreOverrideCursor();
  }
  TBusyCursor(const TBusyCursor &) = delete;
  TBusyCursor &operator=(const TBusyCursor &) = delete;

 private:
  bool FActive;
};

}  // namespace

TNavigator::TNavigator(QTreeWidget *tvDB, TLocalStore &store, TWebService &webService, QObject *parent)
    : QObject(parent), FTree(tvDB), FStore(store), FWebService(webService) {}

void TNavigator::tvDBChange(QTreeWidgetItem *node) {
  if (node) ShowNode(node);
}

void TNavigator::tvDBExpanding(QTreeWidgetItem *node) {
  if (node) ShowNode(node);
}

bool TNavigator::tvDBEditing(const QTreeWidgetItem *node) const {
  return TTreeNodes::Kind(node) == nkQuery;
}

void TNavigator::ShowNode(QTreeWidgetItem *node) {
  const int kind = TTreeNodes::Kind(node);
  // Only the connections are loaded so far; the other kinds keep their
  // placeholder until their loading is built.
  if (kind != nkRoot) return;
  const bool needsLoading = TTreeNodes::NeedsLoading(node);
  if (needsLoading) TTreeNodes::DeleteChildren(node);
  TBusyCursor busy(needsLoading);
  LoadConnections(node, needsLoading);
}

QTreeWidgetItem *TNavigator::AddTreeNode(QTreeWidgetItem *parent, int kind, const QString &text) {
  auto *node = new QTreeWidgetItem(parent, QStringList(text));
  TTreeNodes::SetKind(node, kind);
  if (kind != nkColumn && kind != nkQuery) TTreeNodes::AddPlaceholder(node);
  return node;
}

void TNavigator::LoadConnections(QTreeWidgetItem *root, bool needsLoading) {
  if (!needsLoading) return;
  TStoreRows rows = FStore.Select(TStoreStatement::qrySelectDatabases);
  for (; !rows.Eof(); rows.Next()) {
    // Each goes first, so the tree lists the titles in descending order.
    auto *connection = new QTreeWidgetItem(QStringList(rows.AsString("TITRE")));
    root->insertChild(0, connection);
    TTreeNodes::SetKind(connection, nkConnection);
    TTreeNodes::SetKey(connection, rows.AsInteger("PK_DATABASE"));
    AddTreeNode(connection, nkTablesFolder, QStringLiteral("Tables"));
    QTreeWidgetItem *queries = AddTreeNode(connection, nkQueriesFolder, QStringLiteral("Requêtes"));
    TTreeNodes::SetKey(queries, TTreeNodes::Key(connection));
  }
}
