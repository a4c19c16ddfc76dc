#include "TfrmMain.h"

#include "TActionList.h"
#include "TConnectionFlows.h"
#include "TImageList.h"
#include "TLocalStore.h"
#include "TNavigator.h"
#include "TObjectLists.h"
#include "TStoreError.h"
#include "TTreeNodes.h"
#include "TWebService.h"
#include "TXListView.h"
#include "TfrmDBProperties.h"

#include <Qsci/qsciscintilla.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QWidget *NamedPage(const char *name) {
  auto *page = new QWidget;
  page->setObjectName(QLatin1String(name));
  return page;
}

TXListView *NamedList(const char *name, QWidget *parent) {
  auto *list = new TXListView(parent);
  list->setObjectName(QLatin1String(name));
  list->setIconSize(QSize(16, 16));
  return list;
}

QTreeWidget *NamedTree(const char *name, QWidget *parent) {
  auto *tree = new QTreeWidget(parent);
  tree->setObjectName(QLatin1String(name));
  tree->setHeaderHidden(true);
  tree->setIndentation(19);
  tree->setIconSize(QSize(16, 16));
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  return tree;
}

}  // namespace

TfrmMain::TfrmMain(const QString &storePath, QWidget *parent)
    : QMainWindow(parent), TSkinForm(this), FStorePath(storePath) {
  setObjectName(QStringLiteral("frmMain"));
  SetFormTitle(QStringLiteral("Vantrel"));
  resize(771, 518);
  CreateLayout();
  CreatePages();
  CreateActions();
  CreateMenus();

  TimerRefresh = new QTimer(this);
  TimerRefresh->setObjectName(QStringLiteral("TimerRefresh"));
  TimerRefresh->setInterval(25);
  TimerRefresh->setSingleShot(true);
  connect(TimerRefresh, &QTimer::timeout, this, &TfrmMain::TimerRefreshTimer);

  if (const QScreen *screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::CreateLayout() {
  Splitter1 = new QSplitter(Qt::Horizontal, this);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setHandleWidth(6);
  Splitter1->setChildrenCollapsible(false);
  setCentralWidget(Splitter1);

  tvDB = NamedTree("tvDB", Splitter1);
  tvDB->setContextMenuPolicy(Qt::CustomContextMenu);

  pnLeft = new QWidget(Splitter1);
  pnLeft->setObjectName(QStringLiteral("pnLeft"));
  auto *layout = new QVBoxLayout(pnLeft);
  layout->setContentsMargins(0, 0, 0, 0);
  Splitter2 = new QSplitter(Qt::Vertical, pnLeft);
  Splitter2->setObjectName(QStringLiteral("Splitter2"));
  Splitter2->setHandleWidth(4);
  Splitter2->setChildrenCollapsible(false);
  layout->addWidget(Splitter2);

  tvPath = NamedTree("tvPath", Splitter2);
  PageControl = new QTabWidget(Splitter2);
  PageControl->setObjectName(QStringLiteral("PageControl"));
  PageControl->setIconSize(QSize(16, 16));

  Splitter1->setStretchFactor(0, 0);
  Splitter1->setStretchFactor(1, 1);
  Splitter1->setSizes({241, 771 - 241 - 6});
  Splitter2->setStretchFactor(0, 0);
  Splitter2->setStretchFactor(1, 1);
  Splitter2->setSizes({73, 400});
}

void TfrmMain::CreatePages() {
  const TImageList &images = imgObjects16();

  tsGene = NamedPage("tsGene");
  lvGene = NamedList("lvGene", tsGene);
  lvGene->SetViewStyle(TXListView::vsList);
  lvGene->AddColumn(QString(), 300);
  (new QVBoxLayout(tsGene))->addWidget(lvGene);
  PageControl->addTab(tsGene, QString());

  tsTables = NamedPage("tsTables");
  lvTables = NamedList("lvTables", tsTables);
  lvTables->AddColumn(QStringLiteral("N°"), 35);
  lvTables->AddColumn(QStringLiteral("Nom"), 180);
  lvTables->AddColumn(QStringLiteral("Lignes"), 70, Qt::AlignRight);
  lvTables->AddColumn(QStringLiteral("Taille"), 70, Qt::AlignRight);
  lvTables->AddColumn(QStringLiteral("Créé le"), 120);
  lvTables->AddColumn(QStringLiteral("Modifiée le"), 120);
  (new QVBoxLayout(tsTables))->addWidget(lvTables);
  PageControl->addTab(tsTables, images.Icon(nkTablesFolder), QStringLiteral("Tables"));

  tsFields = NamedPage("tsFields");
  lvFields = NamedList("lvFields", tsFields);
  lvFields->AddColumn(QStringLiteral("N°"), 35);
  lvFields->AddColumn(QStringLiteral("Nom"), 180);
  lvFields->AddColumn(QStringLiteral("Type"), 90);
  lvFields->AddColumn(QStringLiteral("Nul autorisé"), 70, Qt::AlignHCenter);
  lvFields->AddColumn(QStringLiteral("Clé"), 40, Qt::AlignHCenter);
  lvFields->AddColumn(QStringLiteral("Défaut"), 100);
  lvFields->AddColumn(QStringLiteral("Extra"), 100);
  (new QVBoxLayout(tsFields))->addWidget(lvFields);
  PageControl->addTab(tsFields, images.Icon(nkColumn), QStringLiteral("Colonnes"));

  tsQueries = NamedPage("tsQueries");
  lvQueries = NamedList("lvQueries", tsQueries);
  lvQueries->AddColumn(QStringLiteral("Nom"), 300);
  lvQueries->AddColumn(QStringLiteral("Date création"), 120);
  lvQueries->AddColumn(QStringLiteral("Date modification"), 120);
  lvQueries->setContextMenuPolicy(Qt::CustomContextMenu);
  (new QVBoxLayout(tsQueries))->addWidget(lvQueries);
  PageControl->addTab(tsQueries, images.Icon(nkQueriesFolder), QStringLiteral("Requêtes"));

  tsQuery = NamedPage("tsQuery");
  auto *queryLayout = new QHBoxLayout(tsQuery);
  pnAssist = new QWidget(tsQuery);
  pnAssist->setObjectName(QStringLiteral("pnAssist"));
  pnAssist->setFixedWidth(185);
  auto *assistLayout = new QVBoxLayout(pnAssist);
  assistLayout->setContentsMargins(0, 0, 0, 0);
  lvTablesForAssist = NamedList("lvTablesForAssist", pnAssist);
  lvTablesForAssist->AddColumn(QStringLiteral("Tables"), 150);
  lvTablesForAssist->setFixedHeight(145);
  lvTablesForAssist->setContextMenuPolicy(Qt::CustomContextMenu);
  lvTablesForAssist->SetSortType(TXListView::stText);
  lvFieldsForAssist = NamedList("lvFieldsForAssist", pnAssist);
  lvFieldsForAssist->SetSortType(TXListView::stText);
  assistLayout->addWidget(lvTablesForAssist);
  assistLayout->addWidget(lvFieldsForAssist);
  mQuery = new QsciScintilla(tsQuery);
  mQuery->setObjectName(QStringLiteral("mQuery"));
  queryLayout->addWidget(pnAssist);
  queryLayout->addWidget(mQuery, 1);
  PageControl->addTab(tsQuery, images.Icon(nkQuery), QStringLiteral("Requête"));

  tsDatas = NamedPage("tsDatas");
  auto *datasLayout = new QVBoxLayout(tsDatas);
  lbDatasInfos = new QLabel(tsDatas);
  lbDatasInfos->setObjectName(QStringLiteral("lbDatasInfos"));
  lbDatasInfos->setFixedHeight(20);
  QFont bold = lbDatasInfos->font();
  bold.setBold(true);
  lbDatasInfos->setFont(bold);
  lbDatasInfos->setStyleSheet(QStringLiteral("color: navy;"));
  lvDatasResult = NamedList("lvDatasResult", tsDatas);
  datasLayout->addWidget(lbDatasInfos);
  datasLayout->addWidget(lvDatasResult, 1);
  PageControl->addTab(tsDatas, images.Icon(nkTable), QStringLiteral("Données"));

  for (QWidget *page : {tsGene, tsTables, tsFields, tsQueries, tsQuery, tsDatas})
    page->layout()->setContentsMargins(2, 2, 2, 2);
}

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
  // The handlers of the query flows and the help menu come with those
  // subsystems; until then their items do nothing.
  actNewConnect = a.Add("actNewConnect", QStringLiteral("Nouvelle connexion"), connexions, {}, 21, {},
                        [this] { FConnectionFlows->actNewConnectExecute(); });
  actEditConnect = a.Add("actEditConnect", QStringLiteral("Propriétés..."), connexions, Qt::Key_F4, 20, editRule,
                         [this] { FConnectionFlows->actEditConnectExecute(); });
  actDeleteConnect = a.Add("actDeleteConnect", QStringLiteral("Supprimer connexion"), connexions, {}, 22, editRule,
                           [this] { FConnectionFlows->actDeleteConnectExecute(); });
  actQuit = a.Add("actQuit", QStringLiteral("&Quitter"), connexions, {}, 15, {}, [this] { close(); });
  actQuit->setToolTip(QStringLiteral("Quitter"));
  actQuit->setStatusTip(QStringLiteral("Quitter l'application"));
  actNewQuery = a.Add("actNewQuery", QStringLiteral("Nouvelle requête"), requetes, {}, 17,
                      [this] { return actNewQueryUpdate(); }, {});
  actRenameQuery = a.Add("actRenameQuery", QStringLiteral("Renommer la requête"), requetes, Qt::Key_F2, -1, queryRule, {});
  actDeleteQuery = a.Add("actDeleteQuery", QStringLiteral("Supprimer la requête"), requetes, {}, 18, queryRule, {});
  actRefresh = a.Add("actRefresh", QStringLiteral("Rafraichir"), affichage, Qt::Key_F5, -1,
                     [this] { return actRefreshUpdate(); }, [this] { actRefreshExecute(); });
  actSelectGene = a.Add("actSelectGene", QStringLiteral("Sélectionner"), affichage, {}, -1, {},
                        [this] { FNavigator->Lists().actSelectGeneExecute(); });
  actAbout = a.Add("actAbout", QStringLiteral("A propos..."), aide, Qt::Key_F1, 26, {}, {});
  actUpdateProg = a.Add("actUpdateProg", QStringLiteral("Vérifier les mises à jours"), aide, {}, 24, {}, {});
  actwww = a.Add("actwww", QStringLiteral("Visiter le site web"), aide, {}, 23, {}, {});
  actTutorials = a.Add("actTutorials", QStringLiteral("Tutoriels"), aide, {}, 25, {}, {});
  actForum = a.Add("actForum", QStringLiteral("Le forum"), aide, {}, 27, {}, {});
}

void TfrmMain::CreateMenus() {
  QMenuBar *MainMenu1 = menuBar();
  MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
  const auto addMenu = [MainMenu1](const QString &caption, std::initializer_list<QAction *> actions) {
    QMenu *menu = MainMenu1->addMenu(caption);
    for (QAction *action : actions) menu->addAction(action);
  };
  addMenu(QStringLiteral("&Connexions"), {actNewConnect, actEditConnect, actDeleteConnect, actQuit});
  addMenu(QStringLiteral("Requêtes"), {actNewQuery, actRenameQuery, actDeleteQuery});
  addMenu(QStringLiteral("Affichage"), {actRefresh});
  addMenu(QStringLiteral("Aide"), {actAbout, actUpdateProg, actwww, actTutorials, actForum});

  const auto popup = [this](const char *name) {
    auto *menu = new QMenu(this);
    menu->setObjectName(QLatin1String(name));
    return menu;
  };
  pmlvDB = popup("pmlvDB");
  pmlvDB->addAction(actRefresh);
  pmlvDB->addSeparator();
  pmlvDB->addActions({actNewConnect, actEditConnect, actDeleteConnect});
  pmlvDB->addSeparator();
  pmlvDB->addActions({actNewQuery, actRenameQuery, actDeleteQuery});

  pmlvQueries = popup("pmlvQueries");
  pmlvQueries->addActions({actNewQuery, actRenameQuery, actDeleteQuery});

  // Its first item opens the connection chosen in the general list, as the
  // same item of the connection's own menu does.
  pmDB = popup("pmDB");
  QAction *select = pmDB->addAction(QStringLiteral("Selectionner"));
  select->setObjectName(QStringLiteral("mnuSelectDB"));
  connect(select, &QAction::triggered, this, [this] { FActionList->Execute(actSelectGene); });
  pmDB->addSeparator();
  pmDB->addActions({actNewConnect, actEditConnect, actDeleteConnect});

  pmlvGene = popup("pmlvGene");
  pmlvGene->addAction(actSelectGene);

  pmAssist = popup("pmAssist");
  for (const auto &[name, caption] : {std::pair{"mnuBuildSelect", "Construire SELECT"},
                                      std::pair{"mnuBuildInsert", "Construire INSERT"},
                                      std::pair{"mnuBuildUpdate", "Construire UPDATE"},
                                      std::pair{"mnuBuildDelete", "Construire DELETE"}}) {
    QAction *item = pmAssist->addAction(QLatin1String(caption));
    item->setObjectName(QLatin1String(name));
  }

  // A right click shows the menu of the selected node without changing it.
  connect(tvDB, &QWidget::customContextMenuRequested, this,
          [this](const QPoint &pos) { pmlvDB->popup(tvDB->viewport()->mapToGlobal(pos)); });
  connect(lvQueries, &QWidget::customContextMenuRequested, this,
          [this](const QPoint &pos) { pmlvQueries->popup(lvQueries->viewport()->mapToGlobal(pos)); });
  connect(lvTablesForAssist, &QWidget::customContextMenuRequested, this,
          [this](const QPoint &pos) { pmAssist->popup(lvTablesForAssist->viewport()->mapToGlobal(pos)); });
}

bool TfrmMain::FormCreate() {
  FWebService = new TWebService(this);
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

  TNavigatorWidgets widgets;
  widgets.tvDB = tvDB;
  widgets.tvPath = tvPath;
  widgets.PageControl = PageControl;
  widgets.tsGene = tsGene;
  widgets.tsTables = tsTables;
  widgets.tsFields = tsFields;
  widgets.tsQueries = tsQueries;
  widgets.tsQuery = tsQuery;
  widgets.tsDatas = tsDatas;
  widgets.lvGene = lvGene;
  widgets.lvTables = lvTables;
  widgets.lvFields = lvFields;
  widgets.lvQueries = lvQueries;
  widgets.mQuery = mQuery;
  widgets.pmDB = pmDB;
  widgets.pmlvGene = pmlvGene;
  FNavigator = new TNavigator(widgets, *FStore, *FWebService, this);
  FNavigator->Lists().SetSelectGeneRunner([this] { FActionList->Execute(actSelectGene); });

  frmDBProperties = new TfrmDBProperties(this);
  TConnectionFlows::TParts parts;
  parts.Dialog = frmDBProperties;
  parts.Store = FStore.get();
  parts.WebService = FWebService;
  parts.Navigator = FNavigator;
  parts.tvDB = tvDB;
  parts.lvGene = lvGene;
  parts.Refresh = [this] { FActionList->Execute(actRefresh); };
  FConnectionFlows = new TConnectionFlows(std::move(parts), this);
  connect(tvDB, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *node) {
    try {
      FNavigator->tvDBChange(node);
    } catch (const std::exception &error) {
      MessageDialog(QString::fromUtf8(error.what()), mtError, TMsgDlgButtons(mbOK), 0);
    }
  });
  connect(tvDB, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *node) {
    try {
      FNavigator->tvDBExpanding(node);
    } catch (const std::exception &error) {
      MessageDialog(QString::fromUtf8(error.what()), mtError, TMsgDlgButtons(mbOK), 0);
    }
  });

  auto *root = new QTreeWidgetItem(tvDB, QStringList(QStringLiteral("Bases")));
  TTreeNodes::SetKind(root, nkRoot);
  TTreeNodes::AddPlaceholder(root);
  tvDB->setCurrentItem(root);
  root->setExpanded(true);
  ApplicationEventsIdle();
  return true;
}

void TfrmMain::ApplicationEventsIdle() { FActionList->UpdateAll(); }

bool TfrmMain::actEditConnectUpdate() const {
  const QTreeWidgetItem *node = tvDB->currentItem();
  if (!node) return false;
  const int kind = TTreeNodes::Kind(node);
  return kind == nkConnection || (kind == nkRoot && lvGene->currentItem() && lvGene->currentItem()->isSelected());
}

bool TfrmMain::actNewQueryUpdate() const {
  const int kind = TTreeNodes::Kind(tvDB->currentItem());
  return kind == nkQueriesFolder || kind == nkQuery;
}

bool TfrmMain::actRenameQueryUpdate() const {
  return TTreeNodes::Kind(tvDB->currentItem()) == nkQuery ||
         (lvQueries->currentItem() && lvQueries->currentItem()->isSelected());
}

bool TfrmMain::actRefreshUpdate() const {
  const QTreeWidgetItem *node = tvDB->currentItem();
  return node && TTreeNodes::Kind(node) != nkConnection;
}

void TfrmMain::actRefreshExecute() {
  // The data page re-runs its own request; it comes with the data page.
  if (PageControl->currentWidget() == tsDatas) return;
  QTreeWidgetItem *node = tvDB->currentItem();
  if (!node) return;
  FWebService->Tag = -1;  // read the connection's settings again
  const int kind = TTreeNodes::Kind(node);
  if ((kind == nkColumn || kind == nkQuery) && node->parent()) node = node->parent();
  FNavigator->Reload(node);
}

void TfrmMain::TimerRefreshTimer() {
  TimerRefresh->stop();
  FActionList->Execute(actRefresh);
}
