#include "TSettingsCache.h"

#include "TWebService.h"
#include "UStoreRecords.h"

#include <exception>
#include <optional>

TSettingsCache::TSettingsCache(TLocalStore &store, TWebService &webService)
    : FStore(store), FWebService(webService) {}

void TSettingsCache::Invalidate() {
  // Only the key goes: the settings stay until the next load.
  FWebService.Settings.Key = TConnectionSettings::kNoKey;
}

void TSettingsCache::LoadConnectionSettings(qint64 connectionKey) {
  if (connectionKey == FWebService.Settings.Key) return;
  // The key is kept even when the read fails, until a refresh or another
  // connection asks again.
  TConnectionSettings settings;
  settings.Key = connectionKey;
  try {
    if (const std::optional<TConnectionSettings> stored = ReadConnection(FStore, connectionKey)) settings = *stored;
  } catch (const std::exception &) {
    // Ignored, as the settings' reading always was: the request made with
    // the empty settings says what is wrong.
  }
  FWebService.Settings = settings;
  FWebService.Service = QStringLiteral("SQL");
}
