#include "TTreeNodes.h"

#include "TImageList.h"

namespace TTreeNodes {

int Kind(const QTreeWidgetItem *node) { return node ? node->data(0, KindRole).toInt() : -1; }

qint64 Key(const QTreeWidgetItem *node) { return node ? node->data(0, KeyRole).toLongLong() : 0; }

void SetKey(QTreeWidgetItem *node, qint64 key) { node->setData(0, KeyRole, key); }

void SetKind(QTreeWidgetItem *node, int kind) {
  node->setData(0, KindRole, kind);
  node->setIcon(0, imgObjects16().Icon(kind));
}

void AddPlaceholder(QTreeWidgetItem *node) {
  auto *placeholder = new QTreeWidgetItem(node);
  placeholder->setData(0, KindRole, -1);
}

bool NeedsLoading(const QTreeWidgetItem *node) {
  return node && node->childCount() == 1 && node->child(0)->text(0).isEmpty();
}

QTreeWidgetItem *ConnectionOf(QTreeWidgetItem *node) {
  while (node && Kind(node) != nkConnection) node = node->parent();
  return node;
}

qint64 ConnectionKey(QTreeWidgetItem *node) { return Key(ConnectionOf(node)); }

QTreeWidgetItem *Referred(const QTreeWidgetItem *item) {
  return item ? reinterpret_cast<QTreeWidgetItem *>(item->data(0, NodeRole).value<quintptr>()) : nullptr;
}

void SetReferred(QTreeWidgetItem *item, QTreeWidgetItem *node) {
  item->setData(0, NodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
}

QList<QStringList> Rows(const QTreeWidgetItem *node) {
  return node ? node->data(0, RowsRole).value<QList<QStringList>>() : QList<QStringList>();
}

void SetRows(QTreeWidgetItem *node, const QList<QStringList> &rows) {
  node->setData(0, RowsRole, QVariant::fromValue(rows));
}

}  // namespace TTreeNodes
