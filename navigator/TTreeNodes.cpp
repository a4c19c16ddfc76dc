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

void DeleteChildren(QTreeWidgetItem *node) { qDeleteAll(node->takeChildren()); }

}  // namespace TTreeNodes
