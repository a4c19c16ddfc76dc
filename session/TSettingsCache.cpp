#include "TSettingsCache.h"

#include "TLocalStore.h"
#include "TWebService.h"

#include <exception>

TSettingsCache::TSettingsCache(TLocalStore &store, TWebService &webService)
    : FStore(store), FWebService(webService) {}

void TSettingsCache::Invalidate() { FWebService.Tag = -1; }

void TSettingsCache::LoadConnectionSettings(qint64 connectionKey) {
  if (connectionKey == FWebService.Tag) return;
  // The key is kept even when the read fails, until a refresh or another
  // connection asks again.
  FWebService.Tag = int(connectionKey);
  TWebService &ws = FWebService;
  ws.WebServer.clear();
  ws.SQLServer.clear();
  ws.Account.clear();
  ws.Password.clear();
  ws.Database.clear();
  ws.Service = QStringLiteral("SQL");
  try {
    const TStoreRows rows = FStore.Select(TStoreStatement::qrySelectDatabase, {{"PK_DATABASE", connectionKey}});
    if (rows.Eof()) return;
    ws.WebServer = rows.AsString("SERVEUR_WEB");
    ws.SQLServer = rows.AsString("SERVEUR_MYSQL");
    ws.Account = rows.AsString("COMPTE_MYSQL");
    ws.Password = rows.AsString("MDP_MYSQL");
    ws.Database = rows.AsString("BASE_DE_DONNEES");
  } catch (const std::exception &) {
    // Ignored, as the settings' reading always was: the request made with
    // the empty settings says what is wrong.
  }
}
