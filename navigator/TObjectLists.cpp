#include "TObjectLists.h"

#include "TImageList.h"
#include "TTreeNodes.h"
#include "TXListView.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QLocale>
#include <QTabWidget>
#include <QTreeWidget>

TObjectLists::TObjectLists(const TNavigatorWidgets &widgets, QObject *parent)
    : QObject(parent), W(widgets) {
  W.lvGene->installEventFilter(this);
  connect(W.tvPath, &QTreeWidget::itemClicked, this, [this] { tvPathClick(); });
  connect(W.lvGene, &QTreeWidget::itemDoubleClicked, this, [this] { actSelectGeneExecute(); });
  connect(W.lvQueries, &QTreeWidget::itemDoubleClicked, this, [this] { lvQueriesDblClick(); });
}

void TObjectLists::Mark(QWidget *page) { FMarked.insert(page); }

void TObjectLists::UpdatePages() {
  int first = -1;
  for (int i = 0; i < W.PageControl->count(); ++i) {
    QWidget *page = W.PageControl->widget(i);
    const bool shown = FMarked.contains(page);
    W.PageControl->setTabVisible(i, shown);
    if (shown && first < 0) first = i;
  }
  FMarked.clear();
  if (first >= 0) W.PageControl->setCurrentIndex(first);
}

void TObjectLists::UpdatePath(QTreeWidgetItem *node) {
  W.tvPath->setUpdatesEnabled(false);
  W.tvPath->clear();
  QList<QTreeWidgetItem *> chain;
  for (QTreeWidgetItem *up = node; up; up = up->parent()) chain.prepend(up);
  QTreeWidgetItem *previous = nullptr;
  for (QTreeWidgetItem *treeNode : chain) {
    auto *pathNode = previous ? new QTreeWidgetItem(previous) : new QTreeWidgetItem(W.tvPath);
    pathNode->setText(0, treeNode->text(0));
    pathNode->setIcon(0, treeNode->icon(0));
    TTreeNodes::SetReferred(pathNode, treeNode);
    previous = pathNode;
  }
  W.tvPath->expandAll();
  if (previous) W.tvPath->setCurrentItem(previous);
  W.tvPath->setUpdatesEnabled(true);
}

void TObjectLists::FillGeneralList(QTreeWidgetItem *node) {
  Mark(W.tsGene);
  const int index = W.PageControl->indexOf(W.tsGene);
  W.PageControl->setTabText(index, node->text(0));
  W.PageControl->setTabIcon(index, imgObjects16().Icon(TTreeNodes::Kind(node)));
  W.lvGene->setUpdatesEnabled(false);
  W.lvGene->Clear();
  QList<QTreeWidgetItem *> items;
  for (int i = 0; i < node->childCount(); ++i) {
    QTreeWidgetItem *child = node->child(i);
    auto *item = new QTreeWidgetItem(QStringList(child->text(0)));
    item->setIcon(0, imgObjects16().Icon(TTreeNodes::Kind(child)));
    TTreeNodes::SetReferred(item, child);
    items << item;
  }
  W.lvGene->addTopLevelItems(items);
  W.lvGene->setUpdatesEnabled(true);
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
  if (QTreeWidgetItem *node = TTreeNodes::Referred(W.tvPath->currentItem())) W.tvDB->setCurrentItem(node);
}

void TObjectLists::actSelectGeneExecute() {
  QTreeWidgetItem *item = W.lvGene->currentItem();
  if (!item || !item->isSelected()) return;
  if (QTreeWidgetItem *node = TTreeNodes::Referred(item)) W.tvDB->setCurrentItem(node);
}

void TObjectLists::lvQueriesDblClick() {
  QTreeWidgetItem *item = W.lvQueries->currentItem();
  if (!item || !item->isSelected()) return;
  if (QTreeWidgetItem *node = TTreeNodes::Referred(item)) W.tvDB->setCurrentItem(node);
}

bool TObjectLists::eventFilter(QObject *watched, QEvent *event) {
  if (watched == W.lvGene && event->type() == QEvent::KeyPress) {
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
  for (TXListView *list : {W.lvGene, W.lvQueries})
    for (int i = 0; i < list->topLevelItemCount(); ++i)
      if (deleted.contains(TTreeNodes::Referred(list->topLevelItem(i))))
        TTreeNodes::SetReferred(list->topLevelItem(i), nullptr);
  for (QTreeWidgetItem *path = W.tvPath->topLevelItem(0); path; path = path->child(0))
    if (deleted.contains(TTreeNodes::Referred(path))) TTreeNodes::SetReferred(path, nullptr);
}

QString TObjectLists::StoreDateText(const QDateTime &value) {
  if (!value.isValid()) return {};
  const QLocale locale = QLocale::system();
  QString text = locale.toString(value.date(), QLocale::ShortFormat);
  if (value.time() != QTime(0, 0)) {
    // The long time format, without the time zone Qt adds to it.
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    text += QLatin1Char(' ') + value.time().toString(format.trimmed());
  }
  return text;
}
