#include "TConnectionFlows.h"

#include "TLocalStore.h"
#include "TSettingsCache.h"
#include "TSkinForm.h"
#include "TStoreError.h"
#include "TTreeNodes.h"
#include "TXListView.h"
#include "TfrmDBProperties.h"
#include "UStoreRecords.h"

#include <QTreeWidget>

#include <optional>

TConnectionFlows::TConnectionFlows(TfrmDBProperties &dialog, TLocalStore &store, TSettingsCache &settings,
                                   QTreeWidget *tvDB, TXListView *lvGene, std::function<void()> refresh,
                                   QObject *parent)
    : QObject(parent), FDialog(dialog), FStore(store), FSettings(settings), FTree(tvDB), FGene(lvGene),
      FRefresh(std::move(refresh)) {}

QTreeWidgetItem *TConnectionFlows::TargetConnection() const {
  QTreeWidgetItem *node = FTree->currentItem();
  if (TTreeNodes::Kind(node) != nkRoot) return node;
  QTreeWidgetItem *item = FGene->currentItem();
  return item && item->isSelected() ? TTreeNodes::Referred(item) : nullptr;
}

void TConnectionFlows::SelectAndRefresh(QTreeWidgetItem *node) {
  FTree->setCurrentItem(node);
  FRefresh();
}

void TConnectionFlows::actNewConnectExecute() {
  FDialog.SetValues({});
  if (FDialog.Execute(QStringLiteral("Nouvelle connexion")) != mrOk) return;
  // Stored exactly as typed: only the dialog's check trims.
  InsertConnection(FStore, FDialog.Values());
  SelectAndRefresh(FTree->topLevelItem(0));
}

void TConnectionFlows::actEditConnectExecute() {
  QTreeWidgetItem *target = TargetConnection();
  if (!target) return;
  const qint64 key = TTreeNodes::Key(target);
  FSettings.LoadConnectionSettings(key);
  // The dialog shows the stored row, not what the client happens to carry.
  const std::optional<TConnectionSettings> stored = ReadConnection(FStore, key);
  if (!stored) {
    // Deleted by a second copy of the program: nothing to edit, and the
    // tree should no longer show it.
    MessageDialog(QStringLiteral("La connexion « %1 » n'existe plus dans la base locale.").arg(target->text(0)),
                  mtError, TMsgDlgButtons(mbOK), 0);
    SelectAndRefresh(FTree->topLevelItem(0));
    return;
  }
  FDialog.SetValues(*stored);
  if (FDialog.Execute(QStringLiteral("Propriétés")) != mrOk) return;
  TConnectionSettings edited = FDialog.Values();
  edited.Key = key;
  UpdateConnection(FStore, edited);
  SelectAndRefresh(FTree->topLevelItem(0));
}

void TConnectionFlows::actDeleteConnectExecute() {
  QTreeWidgetItem *target = TargetConnection();
  if (!target) return;
  const QString question =
      QStringLiteral("Confirmez-vous la suppression de la connexion à la base de données : ") + target->text(0) +
      QLatin1Char('?');
  if (MessageDialog(question, mtConfirmation, {mbOK, mbCancel}, 0) != mrOk) return;
  try {
    DeleteConnection(FStore, TTreeNodes::Key(target));
  } catch (const TStoreError &error) {
    const QString message = error.Message().contains(QLatin1String("connexe"))
                                ? QStringLiteral("Il faut d'abord supprimer les requêtes")
                                : error.Message();
    MessageDialog(message, mtError, TMsgDlgButtons(mbOK), 0);
  }
  SelectAndRefresh(target->parent());
}
