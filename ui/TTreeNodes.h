#pragma once

#include "TObjectImage.h"

#include <QTreeWidgetItem>

// The kinds of the connection tree's nodes; each is also the node's image.
enum TNodeKind {
  nkRoot = oiRoot,
  nkConnection = oiConnection,
  nkTablesFolder = oiTablesFolder,
  nkQueriesFolder = oiQueriesFolder,
  nkTable = oiTable,
  nkColumn = oiColumn,
  nkQuery = oiQuery,
};

// Where a node keeps its kind and its key of the local store, and where a
// list item or a path node keeps the tree node it stands for.
namespace TTreeNodes {

inline constexpr int KindRole = Qt::UserRole;
inline constexpr int KeyRole = Qt::UserRole + 1;
inline constexpr int NodeRole = Qt::UserRole + 2;
inline constexpr int RowsRole = Qt::UserRole + 3;

int Kind(const QTreeWidgetItem *node);
qint64 Key(const QTreeWidgetItem *node);
void SetKey(QTreeWidgetItem *node, qint64 key);
// Sets the node's kind and its image (the same number).
void SetKind(QTreeWidgetItem *node, int kind);
// An empty-text child marks a node whose children are not loaded yet.
void AddPlaceholder(QTreeWidgetItem *node);
bool NeedsLoading(const QTreeWidgetItem *node);
// The connection node that is the node itself or lies above it, or null.
QTreeWidgetItem *ConnectionOf(QTreeWidgetItem *node);
// The key of that connection, or 0 (never a connection's key) when none.
qint64 ConnectionKey(QTreeWidgetItem *node);

// The tree node a list item or path node refers to, or null.
QTreeWidgetItem *Referred(const QTreeWidgetItem *item);
void SetReferred(QTreeWidgetItem *item, QTreeWidgetItem *node);

// The rows a node's list was filled with at its load, kept on the node so
// that selecting it again shows its own rows without asking anyone.
QList<QStringList> Rows(const QTreeWidgetItem *node);
void SetRows(QTreeWidgetItem *node, const QList<QStringList> &rows);

}  // namespace TTreeNodes
