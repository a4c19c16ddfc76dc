#include "TConnectionFlows.h"

#include "TLocalStore.h"
#include "TNavigator.h"
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

TConnectionFlows::TConnectionFlows(TParts parts, QObject *parent) : QObject(parent), P(std::move(parts)) {}

QTreeWidgetItem *TConnectionFlows::TargetConnection() const {
  QTreeWidgetItem *node = P.tvDB->currentItem();
  if (TTreeNodes::Kind(node) != nkRoot) return node;
  QTreeWidgetItem *item = P.lvGene->currentItem();
  return item && item->isSelected() ? TTreeNodes::Referred(item) : nullptr;
}

void TConnectionFlows::SelectAndRefresh(QTreeWidgetItem *node) {
  P.tvDB->setCurrentItem(node);
  P.Refresh();
}

void TConnectionFlows::actNewConnectExecute() {
  P.Dialog->SetValues({});
  if (P.Dialog->Execute(QStringLiteral("Nouvelle connexion")) != 1) return;
  P.Store->Execute(TStoreStatement::qryInsertDataBase, ConnectionParams(P.Dialog->Values()));
  SelectAndRefresh(P.tvDB->topLevelItem(0));
}

void TConnectionFlows::actEditConnectExecute() {
  QTreeWidgetItem *target = TargetConnection();
  if (!target) return;
  P.Navigator->LoadConnectionSettings(target);
  TConnectionSettings values;
  values.Title = target->text(0);
  values.WebServer = P.WebService->WebServer;
  values.SQLServer = P.WebService->SQLServer;
  values.Account = P.WebService->Account;
  values.Password = P.WebService->Password;
  values.Database = P.WebService->Database;
  P.Dialog->SetValues(values);
  if (P.Dialog->Execute(QStringLiteral("Propriétés")) != 1) return;
  TStoreParams params = ConnectionParams(P.Dialog->Values());
  params.emplace_back("PK_DATABASE", TTreeNodes::Key(target));
  P.Store->Execute(TStoreStatement::qryUpdateDataBase, params);
  SelectAndRefresh(P.tvDB->topLevelItem(0));
}

void TConnectionFlows::actDeleteConnectExecute() {
  QTreeWidgetItem *target = TargetConnection();
  if (!target) return;
  const QString question =
      QStringLiteral("Confirmez-vous la suppression de la connexion à la base de données : ") + target->text(0) +
      QLatin1Char('?');
  if (MessageDialog(question, mtConfirmation, {mbOK, mbCancel}, 0) != 1) return;
  try {
    P.Store->Execute(TStoreStatement::qryDeleteDataBase, {{"PK_DATABASE", TTreeNodes::Key(target)}});
  } catch (const TStoreError &error) {
    const QString message = error.Message().contains(QLatin1String("connexe"))
                                ? QStringLiteral("Il faut d'abord supprimer les requêtes")
                                : error.Message();
    MessageDialog(message, mtError, TMsgDlgButtons(mbOK), 0);
  }
  SelectAndRefresh(target->parent());
}
