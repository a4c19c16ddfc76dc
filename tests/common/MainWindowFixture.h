#pragma once

#include "TLocalStore.h"
#include "TfrmMain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <memory>

// A main window started on a store of its own, in a temporary folder, as
// the program starts beside its executable.
class TMainWindowFixture {
 public:
  QString StorePath() const { return FDir.filePath(QStringLiteral("vantrel.adb")); }
  bool IsValid() const { return FDir.isValid(); }

  TfrmMain &Start() {
    FMain = std::make_unique<TfrmMain>(StorePath());
    if (!FMain->FormCreate()) qFatal("start-up failed");
    FMain->show();
    return *FMain;
  }
  // Closes the window and removes its store.
  void Stop() {
    FMain.reset();
    for (const char *suffix : {"", "-wal", "-shm"}) QFile::remove(StorePath() + QLatin1String(suffix));
  }
  TfrmMain &Main() const { return *FMain; }
  QTreeWidgetItem *Root() const { return FMain->tvDB->topLevelItem(0); }

  // Writes a connection into the store, as another copy of the program would.
  void AddConnection(const QString &title, const QString &webServer, const QString &database) const {
    TLocalStore store;
    store.Open(StorePath());
    store.Execute(TStoreStatement::qryInsertDataBase,
                  {{"TITRE", title}, {"SERVEUR_WEB", webServer}, {"SERVEUR_MYSQL", QStringLiteral("db.local")},
                   {"COMPTE_MYSQL", QStringLiteral("reader")}, {"MDP_MYSQL", QStringLiteral("secret")},
                   {"BASE_DE_DONNEES", database}});
  }

 private:
  QTemporaryDir FDir;
  std::unique_ptr<TfrmMain> FMain;
};
