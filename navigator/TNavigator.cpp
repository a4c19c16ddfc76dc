#include "TNavigator.h"

#include "TLocalStore.h"
#include "TObjectLists.h"
#include "TSkinForm.h"
#include "TTreeNodes.h"
#include "TWebService.h"
#include "TXListView.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QMenu>
#include <QTabWidget>
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

// Redraws a list once, after it is filled.
class TBatchUpdate {
 public:
  explicit TBatchUpdate(QWidget *widget) : FWidget(widget) { FWidget->setUpdatesEnabled(false); }
  ~TBatchUpdate() { FWidget->setUpdatesEnabled(true); }
  TBatchUpdate(const TBatchUpdate &) = delete;
  TBatchUpdate &operator=(const TBatchUpdate &) = delete;

 private:
  QWidget *FWidget;
};

void CollectDescendants(QTreeWidgetItem *node, QSet<QTreeWidgetItem *> &into) {
  for (int i = 0; i < node->childCount(); ++i) {
    into.insert(node->child(i));
    CollectDescendants(node->child(i), into);
  }
}

}  // namespace

TNavigator::TNavigator(const TNavigatorWidgets &widgets, TLocalStore &store, TWebService &webService,
                       QObject *parent)
    : QObject(parent), W(widgets), FStore(store), FWebService(webService),
      FLists(new TObjectLists(widgets, this)) {
  W.lvGene->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(W.lvGene, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
    if (FGeneMenu) FGeneMenu->popup(W.lvGene->viewport()->mapToGlobal(pos));
  });
}

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
  if (kind < 0) return;  // a placeholder
  const bool needsLoading = TTreeNodes::NeedsLoading(node);
  if (needsLoading) DeleteChildren(node);
  TBusyCursor busy(needsLoading || kind == nkTable || kind == nkColumn);
  switch (kind) {
    case nkRoot:
      LoadConnections(node, needsLoading);
      break;
    case nkConnection:
      FLists->FillGeneralList(node);
      break;
    case nkTablesFolder:
      LoadTables(node, needsLoading);
      break;
    case nkQueriesFolder:
      LoadQueries(node, needsLoading);
      break;
    case nkTable:
    case nkColumn:
      LoadColumns(node, needsLoading);
      break;
    case nkQuery:
      LoadQueryText(node);
      break;
    default:
      break;
  }
  FLists->UpdatePages();
  switch (kind) {
    case nkRoot:
      FGeneMenu = W.pmDB;
      break;
    case nkConnection:
    case nkTablesFolder:
      FGeneMenu = W.pmlvGene;
      break;
    case nkTable:
    case nkColumn:
      W.PageControl->setCurrentWidget(W.tsFields);
      break;
    default:
      FGeneMenu = nullptr;
      break;
  }
}

QTreeWidgetItem *TNavigator::AddTreeNode(QTreeWidgetItem *parent, int kind, const QString &text) {
  auto *node = new QTreeWidgetItem(parent, QStringList(text));
  TTreeNodes::SetKind(node, kind);
  if (kind == nkQuery) node->setFlags(node->flags() | Qt::ItemIsEditable);
  if (kind != nkColumn && kind != nkQuery) TTreeNodes::AddPlaceholder(node);
  return node;
}

void TNavigator::DeleteChildren(QTreeWidgetItem *node) {
  QSet<QTreeWidgetItem *> doomed;
  CollectDescendants(node, doomed);
  FLists->ForgetNodes(doomed);
  qDeleteAll(node->takeChildren());
}

void TNavigator::Reload(QTreeWidgetItem *node) {
  node->setExpanded(false);
  DeleteChildren(node);
  TTreeNodes::AddPlaceholder(node);
  node->setExpanded(true);
}

void TNavigator::LoadConnectionSettings(QTreeWidgetItem *node) {
  while (node && TTreeNodes::Kind(node) != nkConnection) node = node->parent();
  if (!node) return;
  const qint64 key = TTreeNodes::Key(node);
  if (key == FWebService.Tag) return;
  // The key is kept even when the read fails, until a refresh or another
  // connection asks again.
  FWebService.Tag = int(key);
  try {
    TStoreRows rows = FStore.Select(TStoreStatement::qrySelectDatabase, {{"PK_DATABASE", key}});
    if (rows.Eof()) return;
    FWebService.WebServer = rows.AsString("SERVEUR_WEB");
    FWebService.SQLServer = rows.AsString("SERVEUR_MYSQL");
    FWebService.Account = rows.AsString("COMPTE_MYSQL");
    FWebService.Password = rows.AsString("MDP_MYSQL");
    FWebService.Database = rows.AsString("BASE_DE_DONNEES");
    FWebService.Service = QStringLiteral("SQL");
  } catch (const std::exception &) {
    // The settings stay as they were; the request will say what is wrong.
  }
}

bool TNavigator::ShowRequestError() const {
  if (FWebService.ErrorText.isEmpty()) return false;
  MessageDialog(FWebService.ErrorText, mtError, TMsgDlgButtons(mbOK), 0);
  return true;
}

void TNavigator::LoadConnections(QTreeWidgetItem *root, bool needsLoading) {
  if (needsLoading) {
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
  FLists->FillGeneralList(root);
}

void TNavigator::LoadTables(QTreeWidgetItem *folder, bool needsLoading) {
  FLists->Mark(W.tsTables);
  FLists->UpdatePath(folder);
  TBatchUpdate batch(W.lvTables);
  // Only the items go: the sort the user chose carries over.
  W.lvTables->clear();
  if (!needsLoading) {
    TObjectLists::FillList(W.lvTables, TTreeNodes::Rows(folder), nkTable);
    return;
  }
  LoadConnectionSettings(folder);
  FWebService.Execute(QStringLiteral("show table status"));
  QList<QStringList> rows;
  if (!ShowRequestError()) {
    QList<QTreeWidgetItem *> tables;
    for (; !FWebService.Eof(); FWebService.Next()) {
      const QString name = FWebService.GetValue(QStringLiteral("NAME"));
      auto *table = new QTreeWidgetItem(QStringList(name));
      TTreeNodes::SetKind(table, nkTable);
      TTreeNodes::AddPlaceholder(table);
      tables << table;
      rows << QStringList{QString::number(FWebService.RowIndex), name,
                          FWebService.GetValue(QStringLiteral("ROWS")),
                          FWebService.GetValue(QStringLiteral("DATA_LENGTH")),
                          FWebService.GetValue(QStringLiteral("CREATE_TIME")),
                          FWebService.GetValue(QStringLiteral("UPDATE_TIME"))};
    }
    folder->addChildren(tables);
  }
  TTreeNodes::SetRows(folder, rows);
  TObjectLists::FillList(W.lvTables, rows, nkTable);
}

void TNavigator::LoadQueries(QTreeWidgetItem *folder, bool needsLoading) {
  FLists->Mark(W.tsQueries);
  FLists->UpdatePath(folder);
  TBatchUpdate batch(W.lvQueries);
  W.lvQueries->Clear();
  QList<QTreeWidgetItem *> nodes;
  if (!needsLoading) {
    for (int i = 0; i < folder->childCount(); ++i) nodes << folder->child(i);
    TObjectLists::FillList(W.lvQueries, TTreeNodes::Rows(folder), nkQuery, nodes);
    return;
  }
  QList<QStringList> rows;
  TStoreRows queries =
      FStore.Select(TStoreStatement::qrySelectQueries, {{"FK_DATABASE", TTreeNodes::Key(folder)}});
  for (; !queries.Eof(); queries.Next()) {
    rows << QStringList{queries.AsString("TITRE"),
                        TObjectLists::StoreDateText(queries.AsDateTime("DATE_CREATION")),
                        TObjectLists::StoreDateText(queries.AsDateTime("DATE_MODIFICATION"))};
    QTreeWidgetItem *node = AddTreeNode(folder, nkQuery, queries.AsString("TITRE"));
    TTreeNodes::SetKey(node, queries.AsInteger("PK_REQUETE"));
    nodes << node;
  }
  TTreeNodes::SetRows(folder, rows);
  TObjectLists::FillList(W.lvQueries, rows, nkQuery, nodes);
}

void TNavigator::LoadColumns(QTreeWidgetItem *node, bool needsLoading) {
  FLists->Mark(W.tsFields);
  FLists->Mark(W.tsDatas);
  QTreeWidgetItem *table = TTreeNodes::Kind(node) == nkColumn ? node->parent() : node;
  FLists->UpdatePath(table);
  TBatchUpdate batch(W.lvFields);
  W.lvFields->Clear();
  if (!needsLoading) {
    TObjectLists::FillList(W.lvFields, TTreeNodes::Rows(table), nkColumn);
    return;
  }
  LoadConnectionSettings(table);
  // The name goes as it is, unquoted, as the user would type it.
  FWebService.Execute(QStringLiteral("show columns from ") + table->text(0));
  QList<QStringList> rows;
  if (!ShowRequestError()) {
    QList<QTreeWidgetItem *> columns;
    for (; !FWebService.Eof(); FWebService.Next()) {
      const QString name = FWebService.GetValue(QStringLiteral("FIELD"));
      auto *column = new QTreeWidgetItem(QStringList(name));
      TTreeNodes::SetKind(column, nkColumn);
      columns << column;
      rows << QStringList{QString::number(FWebService.RowIndex), name,
                          FWebService.GetValue(QStringLiteral("TYPE")),
                          FWebService.GetValue(QStringLiteral("NULL")),
                          FWebService.GetValue(QStringLiteral("KEY")),
                          FWebService.GetValue(QStringLiteral("DEFAULT")),
                          FWebService.GetValue(QStringLiteral("EXTRA"))};
    }
    table->addChildren(columns);
  }
  TTreeNodes::SetRows(table, rows);
  TObjectLists::FillList(W.lvFields, rows, nkColumn);
}

void TNavigator::LoadQueryText(QTreeWidgetItem *node) {
  FLists->Mark(W.tsQuery);
  FLists->Mark(W.tsDatas);
  FLists->UpdatePath(node);
  LoadConnectionSettings(node);
  TStoreRows rows = FStore.Select(TStoreStatement::qrySelectQuerySQL, {{"PK_REQUETE", TTreeNodes::Key(node)}});
  if (rows.Eof()) {
    W.mQuery->clear();
  } else {
    W.mQuery->setText(rows.AsString("REQUETE"));
  }
  // A query opened afresh has no history to undo into another query.
  W.mQuery->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
  W.mQuery->markerDeleteAll();
}
