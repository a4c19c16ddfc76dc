#include "TConnectionFlows.h"

#include "TLocalStore.h"
#include "TSettingsCache.h"
#include "TSkinForm.h"
#include "TStoreError.h"
#include "TTreeNodes.h"
#include "TWebService.h"
#include "TXListView.h"
#include "TfrmDBProperties.h"

#include <QTreeWidget>

namespace {

TStoreParams ConnectionParams(const TConnectionSettings &values) {
  // Stored exactly as typed: only the dialog's check trims.
  return {{"TITRE", values.Title},         {"SERVEUR_WEB", values.WebServer},
          {"SERVEUR_MYSQL", values.SQLServer}, {"COMPTE_MYSQL", values.Account},
          {"MDP_MYSQL", values.Password},   {"BASE_DE_DONNEES", values.Database}};
}

}  // namespace

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
  FStore.Execute(TStoreStatement::qryInsertDataBase, ConnectionParams(FDialog.Values()));
  SelectAndRefresh(FTree->topLevelItem(0));
}

void TConnectionFlows::actEditConnectExecute() {
  QTreeWidgetItem *target = TargetConnection();
  if (!target) return;
  FSettings.LoadConnectionSettings(TTreeNodes::Key(target));
  const TWebService &ws = FSettings.WebService();
  TConnectionSettings values;
  values.Title = target->text(0);
  values.WebServer = ws.WebServer;
  values.SQLServer = ws.SQLServer;
  values.Account = ws.Account;
  values.Password = ws.Password;
  values.Database = ws.Database;
  FDialog.SetValues(values);
  if (FDialog.Execute(QStringLiteral("Propriétés")) != mrOk) return;
  TStoreParams params = ConnectionParams(FDialog.Values());
  params.emplace_back("PK_DATABASE", TTreeNodes::Key(target));
  FStore.Execute(TStoreStatement::qryUpdateDataBase, params);
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
    FStore.Execute(TStoreStatement::qryDeleteDataBase, {{"PK_DATABASE", TTreeNodes::Key(target)}});
  } catch (const TStoreError &error) {
    const QString message = error.Message().contains(QLatin1String("connexe"))
                                ? QStringLiteral("Il faut d'abord supprimer les requêtes")
                                : error.Message();
    MessageDialog(message, mtError, TMsgDlgButtons(mbOK), 0);
  }
  SelectAndRefresh(target->parent());
}
