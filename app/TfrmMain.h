#pragma once

#include "TSkinForm.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QMenu;
class QSplitter;
class QTabWidget;
class QTimer;
class QTreeWidget;
class TActionList;
class TConnectionFlows;
class TDataPage;
class TLocalStore;
class TNavigator;
class TObjectLists;
class TQueryFlows;
class TQueryPage;
class TSettingsCache;
class TWebService;
class TfrmAbout;
class TfrmDBProperties;
class TfrmParameters;

// The main window: owns the widgets of its own layout, the actions, the
// local store and the web service client, and composes one class per
// subsystem, each building its own pages. Widgets are found by their object
// names (the program's component names).
class TfrmMain : public QMainWindow, public TSkinForm {
  Q_OBJECT

 public:
  explicit TfrmMain(const QString &storePath, QWidget *parent = nullptr);
  ~TfrmMain() override;

  // The start-up: web service client, local store, upgrade, subsystems,
  // tree root. False when the store cannot be opened: the message has been
  // shown and the program must end.
  bool FormCreate();
  // Each time the window is shown: the silent update check.
  void FormShow();

  // The window's place, size and splits as the user left them when it last
  // closed, read from the user's configuration folder (not the store); a
  // place off every screen keeps the designed one. Run after FormCreate,
  // before the window is shown; from then on closing the window saves them.
  void RestoreWindowState();
  void SaveWindowState() const;

  // Asks every action to re-evaluate its enabling rule, as the idle hook does.
  void ApplicationEventsIdle();
  TActionList &ActionList() const { return *FActionList; }
  TLocalStore &Store() const { return *FStore; }
  TWebService &WebService() const { return *FWebService; }

 protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

 private:
  void CreateLayout();
  void CreateSubsystems();
  void CreateActions();
  void CreateMenus();

  // Enabling rules.
  bool actEditConnectUpdate() const;
  bool actNewQueryUpdate() const;
  bool actRenameQueryUpdate() const;
  bool actRefreshUpdate() const;

  void PageControlChange();
  void actRefreshExecute();
  // The tree's part of the refresh: the selected node (a column's table, a
  // saved query's folder) emptied and loaded again, as a first expansion.
  void ReloadSelectedNode();
  void TimerRefreshTimer();
  QAction *Action(const char *name) const;

  QString FStorePath;
  bool FKeepsWindowState = false;  // RestoreWindowState ran: closing saves the state
  std::unique_ptr<TLocalStore> FStore;
  TWebService *FWebService = nullptr;
  std::unique_ptr<TSettingsCache> FSettings;
  TActionList *FActionList = nullptr;

  QTreeWidget *FTree = nullptr;
  QSplitter *FRightSplitter = nullptr;
  QTabWidget *FPageControl = nullptr;
  QTimer *FTimerRefresh = nullptr;

  TObjectLists *FLists = nullptr;
  TNavigator *FNavigator = nullptr;
  TQueryPage *FQueryPage = nullptr;
  TDataPage *FDataPage = nullptr;
  TfrmDBProperties *FDBProperties = nullptr;
  TfrmParameters *FParameters = nullptr;
  TfrmAbout *FAbout = nullptr;
  TConnectionFlows *FConnectionFlows = nullptr;
  TQueryFlows *FQueryFlows = nullptr;
};
