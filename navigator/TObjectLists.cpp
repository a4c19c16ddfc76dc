#include "TObjectLists.h"

#include "TImageList.h"
#include "TTreeNodes.h"
#include "TXListView.h"
#include "UDesignScale.h"
#include "UUserAction.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

TXListView *NewPage(const char *pageName, const char *listName, const QString &accessibleName, QWidget **page) {
  *page = new QWidget;
  (*page)->setObjectName(QLatin1String(pageName));
  auto *list = new TXListView(*page);
  list->setObjectName(QLatin1String(listName));
  list->setAccessibleName(accessibleName);
  list->setIconSize(QSize(16, 16));
  auto *layout = new QVBoxLayout(*page);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(list);
  return list;
}

}  // namespace

TObjectLists::TObjectLists(QTreeWidget *tvDB, QTabWidget *pageControl, QObject *parent)
    : QObject(parent), FTree(tvDB), FPageControl(pageControl) {
  CreateWidgets();
  FGene->installEventFilter(this);
}

TObjectLists::~TObjectLists() = default;

void TObjectLists::CreateWidgets() {
  FPath = new QTreeWidget;
  FPath->setObjectName(QStringLiteral("tvPath"));
  FPath->setAccessibleName(QStringLiteral("Chemin"));
  FPath->setHeaderHidden(true);
  FPath->setIndentation(19);
  FPath->setIconSize(QSize(16, 16));
  FPath->setEditTriggers(QAbstractItemView::NoEditTriggers);

  FGene = NewPage("tsGene", "lvGene", QStringLiteral("Contenu"), &FGenePage);
  FGene->SetViewStyle(TXListView::vsList);
  FGene->AddColumn(QString(), ScaledWidth(FGene, 300));

  FTables = NewPage("tsTables", "lvTables", QStringLiteral("Tables"), &FTablesPage);
  FTables->AddColumn(QStringLiteral("N°"), ScaledWidth(FTables, 35));
  FTables->AddColumn(QStringLiteral("Nom"), ScaledWidth(FTables, 180));
  FTables->AddColumn(QStringLiteral("Lignes"), ScaledWidth(FTables, 70), Qt::AlignRight);
  FTables->AddColumn(QStringLiteral("Taille"), ScaledWidth(FTables, 70), Qt::AlignRight);
  FTables->AddColumn(QStringLiteral("Créé le"), ScaledWidth(FTables, 120));
  FTables->AddColumn(QStringLiteral("Modifiée le"), ScaledWidth(FTables, 120));

  FFields = NewPage("tsFields", "lvFields", QStringLiteral("Colonnes"), &FFieldsPage);
  FFields->AddColumn(QStringLiteral("N°"), ScaledWidth(FFields, 35));
  FFields->AddColumn(QStringLiteral("Nom"), ScaledWidth(FFields, 180));
  FFields->AddColumn(QStringLiteral("Type"), ScaledWidth(FFields, 90));
  FFields->AddColumn(QStringLiteral("Nul autorisé"), ScaledWidth(FFields, 70), Qt::AlignHCenter);
  FFields->AddColumn(QStringLiteral("Clé"), ScaledWidth(FFields, 40), Qt::AlignHCenter);
  FFields->AddColumn(QStringLiteral("Défaut"), ScaledWidth(FFields, 100));
  FFields->AddColumn(QStringLiteral("Extra"), ScaledWidth(FFields, 100));

  FQueries = NewPage("tsQueries", "lvQueries", QStringLiteral("Requêtes"), &FQueriesPage);
  FQueries->AddColumn(QStringLiteral("Nom"), ScaledWidth(FQueries, 300));
  FQueries->AddColumn(QStringLiteral("Date création"), ScaledWidth(FQueries, 120));
  FQueries->AddColumn(QStringLiteral("Date modification"), ScaledWidth(FQueries, 120));

  connect(FPath, &QTreeWidget::itemClicked, this, UserSlot([this] { tvPathClick(); }));
  connect(FGene, &QTreeWidget::itemDoubleClicked, this, UserSlot([this] { actSelectGeneExecute(); }));
  connect(FQueries, &QTreeWidget::itemDoubleClicked, this, UserSlot([this] { lvQueriesDblClick(); }));
}

void TObjectLists::Mark(QWidget *page) { FMarked.insert(page); }

void TObjectLists::UpdatePages() {
  // Pages switched by the program are not the user's choice: nothing
  // listening for the user's switches hears of them.
  const QSignalBlocker quiet(FPageControl);
  int first = -1;
  for (int i = 0; i < FPageControl->count(); ++i) {
    QWidget *page = FPageControl->widget(i);
    const bool shown = FMarked.contains(page);
    FPageControl->setTabVisible(i, shown);
    if (shown && first < 0) first = i;
  }
  FMarked.clear();
  if (first >= 0) FPageControl->setCurrentIndex(first);
}

void TObjectLists::ActivatePage(QWidget *page) {
  const QSignalBlocker quiet(FPageControl);
  FPageControl->setCurrentWidget(page);
}

void TObjectLists::UpdatePath(QTreeWidgetItem *node) {
  FPath->setUpdatesEnabled(false);
  FPath->clear();
  QList<QTreeWidgetItem *> chain;
  for (QTreeWidgetItem *up = node; up; up = up->parent()) chain.prepend(up);
  QTreeWidgetItem *previous = nullptr;
  for (QTreeWidgetItem *treeNode : chain) {
    auto *pathNode = previous ? new QTreeWidgetItem(previous) : new QTreeWidgetItem(FPath);
    pathNode->setText(0, treeNode->text(0));
    pathNode->setIcon(0, treeNode->icon(0));
    TTreeNodes::SetReferred(pathNode, treeNode);
    previous = pathNode;
  }
  FPath->expandAll();
  if (previous) FPath->setCurrentItem(previous);
  FPath->setUpdatesEnabled(true);
}

void TObjectLists::FillGeneralList(QTreeWidgetItem *node) {
  Mark(FGenePage);
  const int index = FPageControl->indexOf(FGenePage);
  FPageControl->setTabText(index, node->text(0));
  FPageControl->setTabIcon(index, imgObjects16().Icon(TTreeNodes::Kind(node)));
  FGene->setUpdatesEnabled(false);
  FGene->Clear();
  QList<QTreeWidgetItem *> items;
  for (int i = 0; i < node->childCount(); ++i) {
    QTreeWidgetItem *child = node->child(i);
    auto *item = new QTreeWidgetItem(QStringList(child->text(0)));
    item->setIcon(0, imgObjects16().Icon(TTreeNodes::Kind(child)));
    TTreeNodes::SetReferred(item, child);
    items << item;
  }
  FGene->addTopLevelItems(items);
  FGene->setUpdatesEnabled(true);
  UpdatePath(node);
}

void TObjectLists::FillList(TXListView *list, const QList<QStringList> &rows, int image,
                            const QList<QTreeWidgetItem *> &nodes) {
  const QIcon icon = imgObjects16().Icon(image);
  QList<QTreeWidgetItem *> items;
  items.reserve(rows.size());
  for (int r = 0; r < rows.size(); ++r) {
    auto *item = new QTreeWidgetItem(rows[r]);
    for (int c = 0; c < rows[r].size(); ++c)
      item->setTextAlignment(c, list->ColumnAlignment(c) | Qt::AlignVCenter);
    item->setIcon(0, icon);
    if (r < nodes.size()) TTreeNodes::SetReferred(item, nodes[r]);
    items << item;
  }
  list->addTopLevelItems(items);
}

void TObjectLists::tvPathClick() {
  if (QTreeWidgetItem *node = TTreeNodes::Referred(FPath->currentItem())) FTree->setCurrentItem(node);
}

void TObjectLists::actSelectGeneExecute() {
  QTreeWidgetItem *item = FGene->currentItem();
  if (!item || !item->isSelected()) return;
  if (QTreeWidgetItem *node = TTreeNodes::Referred(item)) FTree->setCurrentItem(node);
}

void TObjectLists::lvQueriesDblClick() {
  QTreeWidgetItem *item = FQueries->currentItem();
  if (!item || !item->isSelected()) return;
  if (QTreeWidgetItem *node = TTreeNodes::Referred(item)) FTree->setCurrentItem(node);
}

bool TObjectLists::eventFilter(QObject *watched, QEvent *event) {
  if (watched == FGene && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (FRunSelectGene) FRunSelectGene();
      return true;  // consumed, selection or not
    }
  }
  return QObject::eventFilter(watched, event);
}

void TObjectLists::ForgetNodes(const QSet<QTreeWidgetItem *> &deleted) {
  if (deleted.isEmpty()) return;
  for (TXListView *list : {FGene, FQueries})
    for (int i = 0; i < list->topLevelItemCount(); ++i)
      if (deleted.contains(TTreeNodes::Referred(list->topLevelItem(i))))
        TTreeNodes::SetReferred(list->topLevelItem(i), nullptr);
  for (QTreeWidgetItem *path = FPath->topLevelItem(0); path; path = path->child(0))
    if (deleted.contains(TTreeNodes::Referred(path))) TTreeNodes::SetReferred(path, nullptr);
}
