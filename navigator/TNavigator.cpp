#include "TNavigator.h"

#include "TBusyCursor.h"
#include "TLocalStore.h"
#include "TObjectLists.h"
#include "TSkinForm.h"
#include "TTreeNodes.h"
#include "TSettingsCache.h"
#include "TWebService.h"
#include "TXListView.h"
#include "USqlText.h"
#include "UStoreRecords.h"
#include "UUserAction.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

// The saved queries list names the queries: each caption can be renamed.
void MakeCaptionsEditable(TXListView *list) {
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    QTreeWidgetItem *item = list->topLevelItem(i);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
  }
}

void CollectDescendants(QTreeWidgetItem *node, QSet<QTreeWidgetItem *> &into) {
  for (int i = 0; i < node->childCount(); ++i) {
    into.insert(node->child(i));
    CollectDescendants(node->child(i), into);
  }
}

}  // namespace

TNavigator::TNavigator(QTreeWidget *tvDB, TObjectLists &lists, QWidget *queryPage, QWidget *dataPage,
                       TLocalStore &store, TSettingsCache &settings, QObject *parent)
    : QObject(parent), FTree(tvDB), FLists(lists), FQueryPage(queryPage), FDataPage(dataPage), FStore(store),
      FSettings(settings) {
  TXListView *gene = FLists.lvGene();
  gene->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(gene, &QWidget::customContextMenuRequested, this, [this, gene](const QPoint &pos) {
    if (FGeneMenu) FGeneMenu->popup(gene->viewport()->mapToGlobal(pos));
  });
  connect(FTree, &QTreeWidget::currentItemChanged, this,
          UserSlot([this](QTreeWidgetItem *node) { tvDBChange(node); }));
  connect(FTree, &QTreeWidget::itemExpanded, this, UserSlot([this](QTreeWidgetItem *node) { tvDBExpanding(node); }));
  // The context menu acts on the selected node: a right click must not
  // move the selection (which would load the clicked node, maybe from the
  // server). The menu itself still comes, from the context-menu event.
  FTree->viewport()->installEventFilter(this);
}

void TNavigator::SetGeneMenus(QMenu *rootMenu, QMenu *connectionMenu) {
  FRootMenu = rootMenu;
  FConnectionMenu = connectionMenu;
}

bool TNavigator::eventFilter(QObject *watched, QEvent *event) {
  if (watched == FTree->viewport()) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) return true;
        break;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
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
  const TBusyCursor busy(Qt::BusyCursor, needsLoading || kind == nkTable || kind == nkColumn);
  switch (kind) {
    case nkRoot:
      LoadConnections(node, needsLoading);
      break;
    case nkConnection:
      FLists.FillGeneralList(node);
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
  FLists.UpdatePages();
  switch (kind) {
    case nkRoot:
      FGeneMenu = FRootMenu;
      break;
    case nkConnection:
    case nkTablesFolder:
      FGeneMenu = FConnectionMenu;
      break;
    case nkTable:
    case nkColumn:
      FLists.ActivatePage(FLists.tsFields());
      break;
    default:
      FGeneMenu = nullptr;
      break;
  }
}

QTreeWidgetItem *TNavigator::AddTreeNode(QTreeWidgetItem *parent, int kind, const QString &text) {
  auto *node = new QTreeWidgetItem(parent, QStringList(text));
  TTreeNodes::SetKind(node, kind);
  if (tvDBEditing(node)) node->setFlags(node->flags() | Qt::ItemIsEditable);
  if (kind != nkColumn && kind != nkQuery) TTreeNodes::AddPlaceholder(node);
  return node;
}

void TNavigator::DeleteChildren(QTreeWidgetItem *node) {
  QSet<QTreeWidgetItem *> doomed;
  CollectDescendants(node, doomed);
  FLists.ForgetNodes(doomed);
  qDeleteAll(node->takeChildren());
}

void TNavigator::Reload(QTreeWidgetItem *node) {
  node->setExpanded(false);
  DeleteChildren(node);
  TTreeNodes::AddPlaceholder(node);
  node->setExpanded(true);
}

void TNavigator::LoadConnectionSettings(QTreeWidgetItem *node) {
  if (QTreeWidgetItem *connection = TTreeNodes::ConnectionOf(node))
    FSettings.LoadConnectionSettings(TTreeNodes::Key(connection));
}

bool TNavigator::ShowRequestError() const {
  if (FSettings.WebService().ErrorText.isEmpty()) return false;
  // The user gave up: he knows, no box.
  if (FSettings.WebService().Cancelled()) return true;
  MessageDialog(FSettings.WebService().ErrorText, mtError, TMsgDlgButtons(mbOK), 0);
  return true;
}

void TNavigator::LoadConnections(QTreeWidgetItem *root, bool needsLoading) {
  if (needsLoading) {
    for (const TConnectionTitle &line : ReadConnections(FStore)) {
      // Each goes first, so the tree lists the titles in descending order.
      auto *connection = new QTreeWidgetItem(QStringList(line.Title));
      root->insertChild(0, connection);
      TTreeNodes::SetKind(connection, nkConnection);
      TTreeNodes::SetKey(connection, line.Key);
      AddTreeNode(connection, nkTablesFolder, QStringLiteral("Tables"));
      QTreeWidgetItem *queries = AddTreeNode(connection, nkQueriesFolder, QStringLiteral("Requêtes"));
      TTreeNodes::SetKey(queries, TTreeNodes::Key(connection));
    }
  }
  FLists.FillGeneralList(root);
}

void TNavigator::LoadTables(QTreeWidgetItem *folder, bool needsLoading) {
  FLists.Mark(FLists.tsTables());
  FLists.UpdatePath(folder);
  const TRedrawSuspended batch(FLists.lvTables());
  // Only the items go: the sort the user chose carries over.
  FLists.lvTables()->clear();
  if (!needsLoading) {
    TObjectLists::FillList(FLists.lvTables(), TTreeNodes::Rows(folder), nkTable);
    return;
  }
  LoadConnectionSettings(folder);
  FSettings.WebService().Execute(QStringLiteral("show table status"));
  QList<QStringList> rows;
  if (!ShowRequestError()) {
    QList<QTreeWidgetItem *> tables;
    for (; !FSettings.WebService().Eof(); FSettings.WebService().Next()) {
      const QString name = FSettings.WebService().GetValue(QStringLiteral("NAME"));
      auto *table = new QTreeWidgetItem(QStringList(name));
      TTreeNodes::SetKind(table, nkTable);
      TTreeNodes::AddPlaceholder(table);
      tables << table;
      rows << QStringList{QString::number(FSettings.WebService().RowIndex), name,
                          FSettings.WebService().GetValue(QStringLiteral("ROWS")),
                          FSettings.WebService().GetValue(QStringLiteral("DATA_LENGTH")),
                          FSettings.WebService().GetValue(QStringLiteral("CREATE_TIME")),
                          FSettings.WebService().GetValue(QStringLiteral("UPDATE_TIME"))};
    }
    folder->addChildren(tables);
  }
  TTreeNodes::SetRows(folder, rows);
  TObjectLists::FillList(FLists.lvTables(), rows, nkTable);
}

void TNavigator::LoadQueries(QTreeWidgetItem *folder, bool needsLoading) {
  FLists.Mark(FLists.tsQueries());
  FLists.UpdatePath(folder);
  const TRedrawSuspended batch(FLists.lvQueries());
  FLists.lvQueries()->Clear();
  QList<QTreeWidgetItem *> nodes;
  if (!needsLoading) {
    for (int i = 0; i < folder->childCount(); ++i) nodes << folder->child(i);
    TObjectLists::FillList(FLists.lvQueries(), TTreeNodes::Rows(folder), nkQuery, nodes);
    MakeCaptionsEditable(FLists.lvQueries());
    return;
  }
  QList<QStringList> rows;
  for (const TSavedQuery &query : ReadQueries(FStore, TTreeNodes::Key(folder))) {
    rows << QStringList{query.Title, TLocalStore::DateTimeText(query.Created),
                        TLocalStore::DateTimeText(query.Modified)};
    QTreeWidgetItem *node = AddTreeNode(folder, nkQuery, query.Title);
    TTreeNodes::SetKey(node, query.Key);
    nodes << node;
  }
  TTreeNodes::SetRows(folder, rows);
  TObjectLists::FillList(FLists.lvQueries(), rows, nkQuery, nodes);
  MakeCaptionsEditable(FLists.lvQueries());
}

void TNavigator::LoadColumns(QTreeWidgetItem *node, bool needsLoading) {
  FLists.Mark(FLists.tsFields());
  FLists.Mark(FDataPage);
  QTreeWidgetItem *table = TTreeNodes::Kind(node) == nkColumn ? node->parent() : node;
  FLists.UpdatePath(table);
  const TRedrawSuspended batch(FLists.lvFields());
  FLists.lvFields()->Clear();
  if (!needsLoading) {
    TObjectLists::FillList(FLists.lvFields(), TTreeNodes::Rows(table), nkColumn);
    return;
  }
  LoadConnectionSettings(table);
  // Quoted only when MySQL would not read it as a name (order, ma table).
  FSettings.WebService().Execute(QStringLiteral("show columns from ") + QuoteSQLName(table->text(0)));
  QList<QStringList> rows;
  if (!ShowRequestError()) {
    QList<QTreeWidgetItem *> columns;
    for (; !FSettings.WebService().Eof(); FSettings.WebService().Next()) {
      const QString name = FSettings.WebService().GetValue(QStringLiteral("FIELD"));
      auto *column = new QTreeWidgetItem(QStringList(name));
      TTreeNodes::SetKind(column, nkColumn);
      columns << column;
      rows << QStringList{QString::number(FSettings.WebService().RowIndex), name,
                          FSettings.WebService().GetValue(QStringLiteral("TYPE")),
                          FSettings.WebService().GetValue(QStringLiteral("NULL")),
                          FSettings.WebService().GetValue(QStringLiteral("KEY")),
                          FSettings.WebService().GetValue(QStringLiteral("DEFAULT")),
                          FSettings.WebService().GetValue(QStringLiteral("EXTRA"))};
    }
    table->addChildren(columns);
  }
  TTreeNodes::SetRows(table, rows);
  TObjectLists::FillList(FLists.lvFields(), rows, nkColumn);
}

void TNavigator::LoadQueryText(QTreeWidgetItem *node) {
  FLists.Mark(FQueryPage);
  FLists.Mark(FDataPage);
  FLists.UpdatePath(node);
  LoadConnectionSettings(node);
  // A query gone from the store opens as an empty text.
  emit QueryOpened(TTreeNodes::Key(node), TTreeNodes::ConnectionKey(node),
                   ReadQueryText(FStore, TTreeNodes::Key(node)).value_or(QString()));
}
