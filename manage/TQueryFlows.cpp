#include "TQueryFlows.h"

#include "TCaptionDelegate.h"
#include "TLocalStore.h"
#include "TSettingsCache.h"
#include "TSkinForm.h"
#include "TTreeNodes.h"
#include "TXListView.h"
#include "UStoreRecords.h"
#include "UUserAction.h"

#include <QDateTime>
#include <QTreeWidget>

TQueryFlows::TQueryFlows(TLocalStore &store, TSettingsCache &settings, QTreeWidget *tvDB, TXListView *lvQueries,
                         std::function<void()> refresh, std::function<void()> deferRefresh, QObject *parent)
    : QObject(parent), FStore(store), FSettings(settings), FTree(tvDB), FQueries(lvQueries),
      FRefresh(std::move(refresh)), FDeferRefresh(std::move(deferRefresh)) {
  // F2 (the rename action's key, or the views' own edit key) and a slow
  // second click on the selected row start editing; only rows the program
  // made editable (saved queries) and only their captions can be edited.
  for (QTreeWidget *view : {FTree, static_cast<QTreeWidget *>(FQueries)}) {
    view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    auto *delegate = new TCaptionDelegate(view);
    view->setItemDelegate(delegate);
    connect(delegate, &TCaptionDelegate::Edited, this,
            UserSlot([this, view](const QModelIndex &index, const QString &text) {
              QTreeWidgetItem *item = view->itemFromIndex(index);
              if (!item) return;
              if (view == FTree)
                tvDBEdited(item, text);
              else
                lvQueriesEdited(item, text);
            }));
  }
}

bool TQueryFlows::actNewQueryUpdate() const {
  const int kind = TTreeNodes::Kind(FTree->currentItem());
  return kind == nkQueriesFolder || kind == nkQuery;
}

bool TQueryFlows::actRenameQueryUpdate() const {
  return TTreeNodes::Kind(FTree->currentItem()) == nkQuery || TargetListItem() != nullptr;
}

QTreeWidgetItem *TQueryFlows::TargetListItem() const {
  QTreeWidgetItem *current = FTree->currentItem();
  if (TTreeNodes::Kind(current) != nkQueriesFolder) return nullptr;
  QTreeWidgetItem *item = FQueries->currentItem();
  return item && item->isSelected() ? item : nullptr;
}

QTreeWidgetItem *TQueryFlows::TargetQuery() const {
  QTreeWidgetItem *current = FTree->currentItem();
  if (TTreeNodes::Kind(current) == nkQuery) return current;
  return TTreeNodes::Referred(TargetListItem());
}

void TQueryFlows::actNewQueryExecute() {
  QTreeWidgetItem *folder = FTree->currentItem();
  if (TTreeNodes::Kind(folder) == nkQuery) folder = folder->parent();
  if (TTreeNodes::Kind(folder) != nkQueriesFolder) return;
  FSettings.LoadConnectionSettings(TTreeNodes::ConnectionKey(folder));
  const QDateTime now = QDateTime::currentDateTime();
  InsertQuery(FStore, TTreeNodes::Key(folder),
              QStringLiteral("Nouvelle requête (") + TLocalStore::DateTimeText(now) + QLatin1Char(')'), now);
  FRefresh();
}

void TQueryFlows::actRenameQueryExecute() {
  QTreeWidgetItem *current = FTree->currentItem();
  if (TTreeNodes::Kind(current) == nkQuery) {
    FTree->scrollToItem(current);
    FTree->editItem(current, 0);
    return;
  }
  if (QTreeWidgetItem *item = TargetListItem()) {
    FQueries->scrollToItem(item);
    FQueries->editItem(item, 0);
  }
}

void TQueryFlows::actDeleteQueryExecute() {
  QTreeWidgetItem *query = TargetQuery();
  if (!query) return;
  const QString question =
      QStringLiteral("Confirmez-vous la suppression de la requête <") + query->text(0) + QStringLiteral("> ?");
  if (MessageDialog(question, mtConfirmation, {mbOK, mbCancel}, 0) != mrOk) return;
  FSettings.LoadConnectionSettings(TTreeNodes::ConnectionKey(query));
  DeleteQuery(FStore, TTreeNodes::Key(query));
  FRefresh();
}

void TQueryFlows::tvDBEdited(QTreeWidgetItem *node, const QString &text) {
  if (TTreeNodes::Kind(node) == nkQuery) SaveTitle(node, text);
}

void TQueryFlows::lvQueriesEdited(QTreeWidgetItem *item, const QString &text) {
  if (QTreeWidgetItem *node = TTreeNodes::Referred(item)) SaveTitle(node, text);
}

void TQueryFlows::SaveTitle(QTreeWidgetItem *node, const QString &text) {
  UpdateQueryTitle(FStore, TTreeNodes::Key(node), text, QDateTime::currentDateTime());
  // The edited row is still the view's until the edit is over: the
  // rebuild waits for the timer.
  FDeferRefresh();
}
