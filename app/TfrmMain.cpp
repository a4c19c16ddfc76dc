#include "TfrmMain.h"

#include "TActionList.h"
#include "TConnectionFlows.h"
#include "TDataPage.h"
#include "TImageList.h"
#include "TLocalStore.h"
#include "TNavigator.h"
#include "TObjectLists.h"
#include "TQueryFlows.h"
#include "TQueryPage.h"
#include "TSettingsCache.h"
#include "TStoreError.h"
#include "TTreeNodes.h"
#include "TWebService.h"
#include "TXListView.h"
#include "TfrmAbout.h"
#include "TfrmDBProperties.h"
#include "TfrmParameters.h"
#include "TfrmRequestWait.h"
#include "UUpdate.h"
#include "UUserAction.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QShowEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

TfrmMain::TfrmMain(const QString &storePath, QWidget *parent)
    : QMainWindow(parent), TSkinForm(this), FStorePath(storePath) {
  setObjectName(QStringLiteral("frmMain"));
  SetFormTitle(QStringLiteral("Vantrel"));
  resize(771, 518);
  CreateLayout();
  CreateActions();
  CreateMenus();

  FTimerRefresh = new QTimer(this);
  FTimerRefresh->setObjectName(QStringLiteral("TimerRefresh"));
  FTimerRefresh->setInterval(25);
  FTimerRefresh->setSingleShot(true);
  connect(FTimerRefresh, &QTimer::timeout, this, [this] { TimerRefreshTimer(); });

  if (const QScreen *screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

TfrmMain::~TfrmMain() {
  TWebService::SetDefaultWaiter({});
  // The subsystems go first, and the widgets while the store still stands:
  // a view that closes an open editor as it goes commits it, and nothing of
  // that may reach a subsystem or a store that is already gone.
  FPageControl->disconnect(this);
  delete FQueryFlows;
  delete FConnectionFlows;
  delete FNavigator;
  delete FLists;
  delete takeCentralWidget();
}

void TfrmMain::CreateLayout() {
  auto *Splitter1 = new QSplitter(Qt::Horizontal, this);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setHandleWidth(6);
  Splitter1->setChildrenCollapsible(false);
  setCentralWidget(Splitter1);

  FTree = new QTreeWidget(Splitter1);
  FTree->setObjectName(QStringLiteral("tvDB"));
  FTree->setAccessibleName(QStringLiteral("Connexions"));
  FTree->setHeaderHidden(true);
  FTree->setIndentation(19);
  FTree->setIconSize(QSize(16, 16));
  FTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FTree->setContextMenuPolicy(Qt::CustomContextMenu);

  auto *pnLeft = new QWidget(Splitter1);
  pnLeft->setObjectName(QStringLiteral("pnLeft"));
  auto *layout = new QVBoxLayout(pnLeft);
  layout->setContentsMargins(0, 0, 0, 0);
  FRightSplitter = new QSplitter(Qt::Vertical, pnLeft);
  FRightSplitter->setObjectName(QStringLiteral("Splitter2"));
  FRightSplitter->setHandleWidth(4);
  FRightSplitter->setChildrenCollapsible(false);
  layout->addWidget(FRightSplitter);

  FPageControl = new QTabWidget(FRightSplitter);
  FPageControl->setObjectName(QStringLiteral("PageControl"));
  FPageControl->setAccessibleName(QStringLiteral("Pages"));
  FPageControl->setIconSize(QSize(16, 16));

  Splitter1->setStretchFactor(0, 0);
  Splitter1->setStretchFactor(1, 1);
  Splitter1->setSizes({241, 771 - 241 - 6});
}

void TfrmMain::CreateSubsystems() {
  FSettings = std::make_unique<TSettingsCache>(*FStore, *FWebService);

  // The path bar goes above the pages; the pages go in their fixed order,
  // each built by its subsystem.
  FLists = new TObjectLists(FTree, FPageControl, this);
  FRightSplitter->insertWidget(0, FLists->tvPath());
  FRightSplitter->setStretchFactor(0, 0);
  FRightSplitter->setStretchFactor(1, 1);
  FRightSplitter->setSizes({73, 400});
  FParameters = new TfrmParameters(*FStore, this);
  FQueryPage = new TQueryPage(*FStore, *FSettings);
  FDataPage = new TDataPage(*FSettings, *FParameters, *FQueryPage, [this] { FLists->ActivatePage(FQueryPage); });
  const TImageList &images = imgObjects16();
  FPageControl->addTab(FLists->tsGene(), QString());
  FPageControl->addTab(FLists->tsTables(), images.Icon(nkTablesFolder), QStringLiteral("Tables"));
  FPageControl->addTab(FLists->tsFields(), images.Icon(nkColumn), QStringLiteral("Colonnes"));
  FPageControl->addTab(FLists->tsQueries(), images.Icon(nkQueriesFolder), QStringLiteral("Requêtes"));
  FPageControl->addTab(FQueryPage, images.Icon(nkQuery), QStringLiteral("Requête"));
  FPageControl->addTab(FDataPage, images.Icon(nkTable), QStringLiteral("Données"));

  // Only the user's own switches: the program's go through ActivatePage
  // and UpdatePages, which this does not hear.
  connect(FPageControl, &QTabWidget::currentChanged, this, UserSlot([this] { PageControlChange(); }));

  FNavigator = new TNavigator(FTree, *FLists, FQueryPage, FDataPage, *FStore, *FSettings, this);
  FNavigator->SetGeneMenus(findChild<QMenu *>(QStringLiteral("pmDB")), findChild<QMenu *>(QStringLiteral("pmlvGene")));
  FLists->SetSelectGeneRunner([this] { FActionList->Execute(Action("actSelectGene")); });
  connect(FNavigator, &TNavigator::QueryOpened, FQueryPage, &TQueryPage::LoadQueryText);

  FDBProperties = new TfrmDBProperties(this);
  FAbout = new TfrmAbout(this);
  // After a change of the store the flows want the tree and the lists
  // read again, never the data page run again, whatever page is in front.
  FConnectionFlows = new TConnectionFlows(*FDBProperties, *FStore, *FSettings, FTree, FLists->lvGene(),
                                          [this] { ReloadSelectedNode(); }, this);

  FQueryFlows = new TQueryFlows(*FStore, *FSettings, FTree, FLists->lvQueries(), [this] { ReloadSelectedNode(); },
                                [this] { FTimerRefresh->start(); }, this);

  TXListView *queries = FLists->lvQueries();
  queries->setContextMenuPolicy(Qt::CustomContextMenu);
  QMenu *queriesMenu = findChild<QMenu *>(QStringLiteral("pmlvQueries"));
  connect(queries, &QWidget::customContextMenuRequested, this,
          [queries, queriesMenu](const QPoint &pos) { queriesMenu->popup(queries->viewport()->mapToGlobal(pos)); });
}

QAction *TfrmMain::Action(const char *name) const { return findChild<QAction *>(QLatin1String(name)); }

void TfrmMain::CreateActions() {
  FActionList = new TActionList(this);
  FActionList->setObjectName(QStringLiteral("ActionList"));
  TActionList &a = *FActionList;
  const QString connexions = QStringLiteral("Connexions");
  const QString requetes = QStringLiteral("Requêtes");
  const QString affichage = QStringLiteral("Affichage");
  const QString aide = QStringLiteral("Aide");
  const auto editRule = [this] { return actEditConnectUpdate(); };
  const auto queryRule = [this] { return actRenameQueryUpdate(); };
  a.Add("actNewConnect", QStringLiteral("Nouvelle connexion"), connexions, {}, oiNewConnection, {},
        [this] { FConnectionFlows->actNewConnectExecute(); });
  a.Add("actEditConnect", QStringLiteral("Propriétés..."), connexions, Qt::Key_F4, oiConnectionProperties, editRule,
        [this] { FConnectionFlows->actEditConnectExecute(); });
  a.Add("actDeleteConnect", QStringLiteral("Supprimer connexion"), connexions, {}, oiDeleteConnection, editRule,
        [this] { FConnectionFlows->actDeleteConnectExecute(); });
  QAction *actQuit = a.Add("actQuit", QStringLiteral("&Quitter"), connexions, {}, oiQuit, {}, [this] { close(); });
  actQuit->setToolTip(QStringLiteral("Quitter"));
  actQuit->setStatusTip(QStringLiteral("Quitter l'application"));
  a.Add("actNewQuery", QStringLiteral("Nouvelle requête"), requetes, {}, oiNewQuery,
        [this] { return actNewQueryUpdate(); }, [this] { FQueryFlows->actNewQueryExecute(); });
  a.Add("actRenameQuery", QStringLiteral("Renommer la requête"), requetes, Qt::Key_F2, oiNone, queryRule,
        [this] { FQueryFlows->actRenameQueryExecute(); });
  a.Add("actDeleteQuery", QStringLiteral("Supprimer la requête"), requetes, {}, oiDeleteQuery, queryRule,
        [this] { FQueryFlows->actDeleteQueryExecute(); });
  a.Add("actRefresh", QStringLiteral("Rafraichir"), affichage, Qt::Key_F5, oiNone,
        [this] { return actRefreshUpdate(); }, [this] { actRefreshExecute(); });
  a.Add("actSelectGene", QStringLiteral("Sélectionner"), affichage, {}, oiNone, {},
        [this] { FLists->actSelectGeneExecute(); });
  a.Add("actAbout", QStringLiteral("A propos..."), aide, Qt::Key_F1, oiAbout, {}, [this] { FAbout->Execute(); });
  a.Add("actUpdateProg", QStringLiteral("Vérifier les mises à jours"), aide, {}, oiCheckUpdates, {},
        [] { UUpdate::CheckForUpdates(QString()); });
  a.Add("actwww", QStringLiteral("Visiter le site web"), aide, {}, oiWebSite, {}, [] { UUpdate::OpenWebSite(); });
  a.Add("actTutorials", QStringLiteral("Tutoriels"), aide, {}, oiTutorials, {}, [] { UUpdate::OpenTutorials(); });
  a.Add("actForum", QStringLiteral("Le forum"), aide, {}, oiForum, {}, [] { UUpdate::OpenForum(); });
}

void TfrmMain::CreateMenus() {
  QMenuBar *MainMenu1 = menuBar();
  MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
  const auto actions = [this](std::initializer_list<const char *> names) {
    QList<QAction *> list;
    for (const char *name : names) list << Action(name);
    return list;
  };
  const auto addMenu = [MainMenu1](const QString &caption, const QList<QAction *> &items) {
    MainMenu1->addMenu(caption)->addActions(items);
  };
  addMenu(QStringLiteral("&Connexions"), actions({"actNewConnect", "actEditConnect", "actDeleteConnect", "actQuit"}));
  addMenu(QStringLiteral("Requêtes"), actions({"actNewQuery", "actRenameQuery", "actDeleteQuery"}));
  addMenu(QStringLiteral("Affichage"), actions({"actRefresh"}));
  addMenu(QStringLiteral("Aide"), actions({"actAbout", "actUpdateProg", "actwww", "actTutorials", "actForum"}));

  const auto popup = [this](const char *name) {
    auto *menu = new QMenu(this);
    menu->setObjectName(QLatin1String(name));
    return menu;
  };
  QMenu *pmlvDB = popup("pmlvDB");
  pmlvDB->addActions(actions({"actRefresh"}));
  pmlvDB->addSeparator();
  pmlvDB->addActions(actions({"actNewConnect", "actEditConnect", "actDeleteConnect"}));
  pmlvDB->addSeparator();
  pmlvDB->addActions(actions({"actNewQuery", "actRenameQuery", "actDeleteQuery"}));

  popup("pmlvQueries")->addActions(actions({"actNewQuery", "actRenameQuery", "actDeleteQuery"}));

  // Its first item opens the connection chosen in the general list, as the
  // same item of the connection's own menu does.
  QMenu *pmDB = popup("pmDB");
  QAction *select = pmDB->addAction(QStringLiteral("Selectionner"));
  select->setObjectName(QStringLiteral("mnuSelectDB"));
  connect(select, &QAction::triggered, this, [this] { FActionList->Execute(Action("actSelectGene")); });
  pmDB->addSeparator();
  pmDB->addActions(actions({"actNewConnect", "actEditConnect", "actDeleteConnect"}));

  popup("pmlvGene")->addActions(actions({"actSelectGene"}));

  // The menu of the selected node; the navigator keeps a right click from
  // changing the selection.
  connect(FTree, &QWidget::customContextMenuRequested, this,
          [this, pmlvDB](const QPoint &pos) { pmlvDB->popup(FTree->viewport()->mapToGlobal(pos)); });
}

namespace {

// The window's state lives in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config), under the name of the data folder:
// vantrel/vantrel.ini.
std::unique_ptr<QSettings> WindowSettings() {
  auto settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("vantrel"),
                                              QStringLiteral("vantrel"));
  settings->beginGroup(QStringLiteral("MainWindow"));
  return settings;
}

// A saved place is taken back when enough of it, its top included, lies on
// one of the screens there are now: one left on a screen since unplugged,
// or mangled, would open the window out of reach.
bool OnSomeScreen(const QRect &place) {
  if (place.width() < 100 || place.height() < 50) return false;
  for (const QScreen *screen : QGuiApplication::screens()) {
    const QRect area = screen->availableGeometry();
    const QRect visible = place.intersected(area);
    if (place.top() >= area.top() && visible.width() >= 100 && visible.height() >= 50) return true;
  }
  return false;
}

QVariantList SplitterSizes(const QSplitter *splitter) {
  QVariantList sizes;
  for (int size : splitter->sizes()) sizes << size;
  return sizes;
}

// Sizes saved for as many panes as the splitter has, none of them shut.
void RestoreSplitterSizes(QSplitter *splitter, const QVariant &saved) {
  const QVariantList values = saved.toList();
  if (splitter == nullptr || values.size() != splitter->count()) return;
  QList<int> sizes;
  for (const QVariant &value : values) {
    bool ok = false;
    const int size = value.toInt(&ok);
    if (!ok || size <= 0) return;
    sizes << size;
  }
  splitter->setSizes(sizes);
}

}  // namespace

void TfrmMain::RestoreWindowState() {
  FKeepsWindowState = true;
  const std::unique_ptr<QSettings> settings = WindowSettings();
  // Otherwise the designed place of the constructor stays.
  const QRect place = settings->value(QStringLiteral("Geometry")).toRect();
  if (OnSomeScreen(place)) {
    setGeometry(place);
    if (settings->value(QStringLiteral("Maximized")).toBool()) setWindowState(windowState() | Qt::WindowMaximized);
  }
  RestoreSplitterSizes(qobject_cast<QSplitter *>(centralWidget()), settings->value(QStringLiteral("Splitter1")));
  RestoreSplitterSizes(FRightSplitter, settings->value(QStringLiteral("Splitter2")));
}

void TfrmMain::SaveWindowState() const {
  const std::unique_ptr<QSettings> settings = WindowSettings();
  // A maximised window comes back maximised, over its place before.
  settings->setValue(QStringLiteral("Geometry"), isMaximized() ? normalGeometry() : geometry());
  settings->setValue(QStringLiteral("Maximized"), isMaximized());
  if (const auto *Splitter1 = qobject_cast<const QSplitter *>(centralWidget()))
    settings->setValue(QStringLiteral("Splitter1"), SplitterSizes(Splitter1));
  settings->setValue(QStringLiteral("Splitter2"), SplitterSizes(FRightSplitter));
}

void TfrmMain::closeEvent(QCloseEvent *event) {
  if (FKeepsWindowState) SaveWindowState();
  QMainWindow::closeEvent(event);
}

void TfrmMain::showEvent(QShowEvent *event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TfrmMain::FormShow() { UUpdate::CheckForUpdates(QLatin1String(UUpdate::StartupMode)); }

bool TfrmMain::FormCreate() {
  FWebService = new TWebService(this);
  // A company's own certificate authority, trusted besides the system's.
  FWebService->SetCaFile(QFile::decodeName(qgetenv("VANTREL_CA_FILE")));
  // Every client of the program waits for its requests with the window
  // alive, and the cancel box centred on it.
  TWebService::SetDefaultWaiter(TfrmRequestWait::Waiter(this));
  FStore = std::make_unique<TLocalStore>();
  try {
    FStore->Open(FStorePath);
  } catch (const TStoreError &error) {
    MessageDialog(error.Message(), mtError, TMsgDlgButtons(mbOK), 0);
    return false;
  }
  try {
    FStore->Upgrade();
  } catch (const TStoreError &error) {
    // An unexpected error of the start-up: nothing after it can be relied on.
    MessageDialog(error.Message(), mtError, TMsgDlgButtons(mbOK), 0);
    return false;
  }
  CreateSubsystems();

  auto *root = new QTreeWidgetItem(FTree, QStringList(QStringLiteral("Bases")));
  TTreeNodes::SetKind(root, nkRoot);
  TTreeNodes::AddPlaceholder(root);
  FTree->setCurrentItem(root);
  root->setExpanded(true);
  ApplicationEventsIdle();
  return true;
}

void TfrmMain::ApplicationEventsIdle() { FActionList->UpdateAll(); }

bool TfrmMain::actEditConnectUpdate() const {
  const QTreeWidgetItem *node = FTree->currentItem();
  if (!node) return false;
  const int kind = TTreeNodes::Kind(node);
  const QTreeWidgetItem *listed = FLists ? FLists->lvGene()->currentItem() : nullptr;
  return kind == nkConnection || (kind == nkRoot && listed && listed->isSelected());
}

bool TfrmMain::actNewQueryUpdate() const { return FQueryFlows && FQueryFlows->actNewQueryUpdate(); }

bool TfrmMain::actRenameQueryUpdate() const { return FQueryFlows && FQueryFlows->actRenameQueryUpdate(); }

bool TfrmMain::actRefreshUpdate() const {
  const QTreeWidgetItem *node = FTree->currentItem();
  return node && TTreeNodes::Kind(node) != nkConnection;
}

void TfrmMain::PageControlChange() {
  // The newly chosen page is drawn before its request blocks the window;
  // the user's input waits meanwhile.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  if (FPageControl->currentWidget() == FDataPage) FDataPage->LoadDatas(FTree->currentItem());
}

void TfrmMain::actRefreshExecute() {
  if (FPageControl->currentWidget() == FDataPage) {
    FDataPage->LoadDatas(FTree->currentItem());
    return;
  }
  ReloadSelectedNode();
}

void TfrmMain::ReloadSelectedNode() {
  QTreeWidgetItem *node = FTree->currentItem();
  if (!actRefreshUpdate()) return;
  FSettings->Invalidate();  // read the connection's settings again
  const int kind = TTreeNodes::Kind(node);
  if ((kind == nkColumn || kind == nkQuery) && node->parent()) node = node->parent();
  FNavigator->Reload(node);
}

void TfrmMain::TimerRefreshTimer() {
  FTimerRefresh->stop();
  // Not in the middle of a request: once it is over.
  if (TWebService::AnyInFlight()) {
    FTimerRefresh->start();
    return;
  }
  RunUserAction([this] { ReloadSelectedNode(); });
}
