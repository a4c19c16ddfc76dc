#pragma once

#include <QString>
#include <QtGlobal>

// A stored connection: its key and the six values the connection dialog
// edits, exactly as typed (never trimmed). The web service client carries
// one, so it is plain values with no tie to the store's file.
struct TConnectionSettings {
  // The key of no stored connection: a connection not stored yet, or a
  // client whose settings must be read again.
  static constexpr qint64 kNoKey = -1;

  QString Title;
  QString WebServer;
  QString SQLServer;
  QString Account;
  QString Password;
  QString Database;
  qint64 Key = kNoKey;

  friend bool operator==(const TConnectionSettings &a, const TConnectionSettings &b) {
    return a.Title == b.Title && a.WebServer == b.WebServer && a.SQLServer == b.SQLServer &&
           a.Account == b.Account && a.Password == b.Password && a.Database == b.Database && a.Key == b.Key;
  }
  friend bool operator!=(const TConnectionSettings &a, const TConnectionSettings &b) { return !(a == b); }
};
