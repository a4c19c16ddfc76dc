#pragma once

#include <QtGlobal>

class TLocalStore;
class TWebService;

// Which connection's settings the one web service client carries. The key
// of the client's settings says which connection, so that the settings are
// read from the local store only when another connection needs the client,
// or after Invalidate.
class TSettingsCache {
 public:
  TSettingsCache(TLocalStore &store, TWebService &webService);

  // Makes the client carry the settings of the connection with that key.
  // A connection whose row cannot be read leaves the client with empty
  // settings, never with those of the connection used before: its next
  // request then fails with its own message instead of reaching another
  // server with another account's password.
  void LoadConnectionSettings(qint64 connectionKey);
  // The next load reads the settings again.
  void Invalidate();

  TWebService &WebService() const { return FWebService; }

 private:
  TLocalStore &FStore;
  TWebService &FWebService;
};
