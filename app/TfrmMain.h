#pragma once

#include "TSkinForm.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QTabWidget;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class QsciScintilla;
class TActionList;
class TConnectionFlows;
class TfrmDBProperties;
class TLocalStore;
class TNavigator;
class TWebService;
class TXListView;

// The main window: owns the widgets, the actions, the local store and the
// web service client, and hands them to one class per subsystem.
class TfrmMain : public QMainWindow, public TSkinForm {
  Q_OBJECT

 public:
  explicit TfrmMain(const QString &storePath, QWidget *parent = nullptr);
  ~TfrmMain() override;

  // The start-up: web service client, local store, upgrade, tree root.
  // False when the store cannot be opened: the message has been shown and
  // the program must end.
  bool FormCreate();

  // Asks every action to re-evaluate its enabling rule, as the idle hook does.
  void ApplicationEventsIdle();
  TActionList &ActionList() const { return *FActionList; }
  TLocalStore &Store() const { return *FStore; }
  TWebService &WebService() const { return *FWebService; }

  // Widgets, named as the rest of the program refers to them.
  QTreeWidget *tvDB = nullptr;
  QSplitter *Splitter1 = nullptr;
  QWidget *pnLeft = nullptr;
  QTreeWidget *tvPath = nullptr;
  QSplitter *Splitter2 = nullptr;
  QTabWidget *PageControl = nullptr;
  QWidget *tsGene = nullptr;
  QWidget *tsTables = nullptr;
  QWidget *tsFields = nullptr;
  QWidget *tsQueries = nullptr;
  QWidget *tsQuery = nullptr;
  QWidget *tsDatas = nullptr;
  TXListView *lvGene = nullptr;
  TXListView *lvTables = nullptr;
  TXListView *lvFields = nullptr;
  TXListView *lvQueries = nullptr;
  TXListView *lvTablesForAssist = nullptr;
  TXListView *lvFieldsForAssist = nullptr;
  TXListView *lvDatasResult = nullptr;
  QWidget *pnAssist = nullptr;
  QsciScintilla *mQuery = nullptr;
  QLabel *lbDatasInfos = nullptr;
  QTimer *TimerRefresh = nullptr;
  TfrmDBProperties *frmDBProperties = nullptr;

  QAction *actNewConnect = nullptr;
  QAction *actEditConnect = nullptr;
  QAction *actDeleteConnect = nullptr;
  QAction *actQuit = nullptr;
  QAction *actNewQuery = nullptr;
  QAction *actRenameQuery = nullptr;
  QAction *actDeleteQuery = nullptr;
  QAction *actRefresh = nullptr;
  QAction *actSelectGene = nullptr;
  QAction *actAbout = nullptr;
  QAction *actUpdateProg = nullptr;
  QAction *actwww = nullptr;
  QAction *actTutorials = nullptr;
  QAction *actForum = nullptr;

  QMenu *pmlvDB = nullptr;
  QMenu *pmlvQueries = nullptr;
  QMenu *pmDB = nullptr;
  QMenu *pmlvGene = nullptr;
  QMenu *pmAssist = nullptr;

 private:
  void CreateLayout();
  void CreatePages();
  void CreateActions();
  void CreateMenus();

  // Enabling rules.
  bool actEditConnectUpdate() const;
  bool actNewQueryUpdate() const;
  bool actRenameQueryUpdate() const;
  bool actRefreshUpdate() const;

  void actRefreshExecute();
  void TimerRefreshTimer();

  QString FStorePath;
  std::unique_ptr<TLocalStore> FStore;
  TWebService *FWebService = nullptr;
  TActionList *FActionList = nullptr;
  TNavigator *FNavigator = nullptr;
  TConnectionFlows *FConnectionFlows = nullptr;
};
