#pragma once

#include "TLocalStore.h"
#include "TXListView.h"
#include "TfrmMain.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

// Lets the event loop wait once, as it does when the user pauses: that is
// when the program re-evaluates its actions.
inline void Idle() {
  QEventLoop loop;
  QTimer::singleShot(20, &loop, &QEventLoop::quit);
  loop.exec();
}

// The main window's widgets and actions, found as a screen reader or a
// test robot finds them: by their names.
struct TMainWidgets {
  QTreeWidget *tvDB = nullptr;
  QTreeWidget *tvPath = nullptr;
  QTabWidget *PageControl = nullptr;
  QWidget *tsGene = nullptr, *tsTables = nullptr, *tsFields = nullptr, *tsQueries = nullptr, *tsQuery = nullptr,
          *tsDatas = nullptr;
  TXListView *lvGene = nullptr, *lvTables = nullptr, *lvFields = nullptr, *lvQueries = nullptr;
  QWidget *lvDatasResult = nullptr;
  QLabel *lbDatasInfos = nullptr;
  QsciScintilla *mQuery = nullptr;
  QTimer *TimerRefresh = nullptr;
  QAction *actNewConnect = nullptr, *actEditConnect = nullptr, *actDeleteConnect = nullptr, *actQuit = nullptr,
          *actNewQuery = nullptr, *actRenameQuery = nullptr, *actDeleteQuery = nullptr, *actRefresh = nullptr,
          *actSelectGene = nullptr, *actAbout = nullptr, *actUpdateProg = nullptr, *actwww = nullptr,
          *actTutorials = nullptr, *actForum = nullptr;
  QMenu *pmlvDB = nullptr, *pmlvQueries = nullptr, *pmDB = nullptr, *pmlvGene = nullptr, *pmAssist = nullptr;

  template <typename T>
  static void Find(const QObject &window, T *&into, const char *name) {
    into = window.findChild<T *>(QLatin1String(name));
    if (!into) qFatal("the main window has no %s", name);
  }

  void FindAll(const TfrmMain &main) {
#define VANTREL_FIND(name) Find(main, name, #name)
    VANTREL_FIND(tvDB); VANTREL_FIND(tvPath); VANTREL_FIND(PageControl);
    VANTREL_FIND(tsGene); VANTREL_FIND(tsTables); VANTREL_FIND(tsFields); VANTREL_FIND(tsQueries);
    VANTREL_FIND(tsQuery); VANTREL_FIND(tsDatas);
    VANTREL_FIND(lvGene); VANTREL_FIND(lvTables); VANTREL_FIND(lvFields); VANTREL_FIND(lvQueries);
    VANTREL_FIND(lvDatasResult); VANTREL_FIND(lbDatasInfos); VANTREL_FIND(mQuery); VANTREL_FIND(TimerRefresh);
    VANTREL_FIND(actNewConnect); VANTREL_FIND(actEditConnect); VANTREL_FIND(actDeleteConnect); VANTREL_FIND(actQuit);
    VANTREL_FIND(actNewQuery); VANTREL_FIND(actRenameQuery); VANTREL_FIND(actDeleteQuery); VANTREL_FIND(actRefresh);
    VANTREL_FIND(actSelectGene); VANTREL_FIND(actAbout); VANTREL_FIND(actUpdateProg); VANTREL_FIND(actwww);
    VANTREL_FIND(actTutorials); VANTREL_FIND(actForum);
    VANTREL_FIND(pmlvDB); VANTREL_FIND(pmlvQueries); VANTREL_FIND(pmDB); VANTREL_FIND(pmlvGene); VANTREL_FIND(pmAssist);
#undef VANTREL_FIND
  }
};

// A main window started on a store of its own, in a temporary folder, as
// the program starts beside its executable.
class TMainWindowFixture {
 public:
  TMainWidgets W;

  QString StorePath() const { return FDir.filePath(QStringLiteral("vantrel.adb")); }
  bool IsValid() const { return FDir.isValid(); }

  TfrmMain &Start() {
    FMain = std::make_unique<TfrmMain>(StorePath());
    if (!FMain->FormCreate()) qFatal("start-up failed");
    FMain->show();
    W.FindAll(*FMain);
    return *FMain;
  }
  // Closes the window and removes its store.
  void Stop() {
    FMain.reset();
    W = TMainWidgets();
    for (const char *suffix : {"", "-wal", "-shm"}) QFile::remove(StorePath() + QLatin1String(suffix));
  }
  TfrmMain &Main() const { return *FMain; }
  QTreeWidgetItem *Root() const { return W.tvDB->topLevelItem(0); }

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
