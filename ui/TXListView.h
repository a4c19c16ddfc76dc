#pragma once

#include <QByteArray>
#include <QList>
#include <QTreeWidget>

class QModelIndex;

// The list of every list of the main window: a report of columns, or a
// plain list of captions with their images. A click on a column header sorts
// the rows by that column (a second click on the same header reverses the
// order) under the rules of USortRules, and an arrow in the header shows the
// sorted column and direction whenever the list is sorted; dragging a header
// divider is reported through three signals.
class TXListView : public QTreeWidget {
  Q_OBJECT

 public:
  enum TViewStyle { vsList, vsReport };
  // stNone: rows stay in insertion order. stText: rows are kept sorted by
  // SortColumn and SortDirection, including rows added or changed later.
  enum TSortType { stNone, stText };

  explicit TXListView(QWidget *parent = nullptr);

  void SetViewStyle(TViewStyle style);
  TViewStyle ViewStyle() const { return FViewStyle; }
  // Appends a column with its caption, width and alignment.
  void AddColumn(const QString &caption, int width, Qt::Alignment alignment = Qt::AlignLeft);
  Qt::Alignment ColumnAlignment(int column) const;
  // Adds a row; each cell takes its column's alignment. Under text sorting
  // the row goes straight to its place (after the rows that compare equal).
  QTreeWidgetItem *AddItem(const QStringList &texts);

  // Removes every row (without redrawing in between) and resets the sort
  // state to column 0 ascending. Columns and the sorting mode stay.
  void Clear();

  // Switching to stText sorts the rows at once.
  void SetSortType(TSortType sortType);
  TSortType SortType() const { return FSortType; }
  // 0 is the caption (first column), n the n-th sub-item. Starts at 0.
  int SortColumn() const { return FSortColumn; }
  // +1 ascending, -1 descending. Starts at +1.
  int SortDirection() const { return FSortDirection; }

  // Negative, zero or positive as `a` sorts before, with or after `b`:
  // the texts of SortColumn, by number when every row's text there is a
  // number or blank, else as the bytes of their 8-bit form (case-sensitive,
  // not locale-aware, a prefix first), signed by SortDirection. A row
  // without that column counts as an empty text.
  int CompareItems(const QTreeWidgetItem *a, const QTreeWidgetItem *b) const;
  // Whether the rows' texts of SortColumn all sort as numbers.
  bool SortsByNumber() const;

  // The column whose caption is the header text of `section` as a
  // 128-character header buffer holds it (127 characters): `section` itself
  // when its caption matches, else the first column with that caption,
  // else -1.
  int HeaderItemColumn(int section) const;

 public slots:
  // Header click: the same column reverses the order, another one sorts
  // ascending; from then on the list stays in text sorting.
  void ColumnClicked(int column);

 signals:
  void OnColumnResize(TXListView *sender, int columnIndex, int columnWidth);
  void OnEndColumnResize(TXListView *sender, int columnIndex, int columnWidth);
  void OnBeginColumnResize(TXListView *sender, int columnIndex, int columnWidth);

 protected:
  virtual void DoBeginColumnResize(int columnIndex, int columnWidth);
  virtual void DoEndColumnResize(int columnIndex, int columnWidth);
  virtual void DoColumnResize(int columnIndex, int columnWidth);

 private:
  QByteArray SortKey(const QTreeWidgetItem *item) const;
  int CompareKeys(const QByteArray &a, const QByteArray &b) const;
  // Forgets whether SortColumn sorts by number, after changes to the rows
  // that the list did not make itself.
  void ForgetColumnOrder() { FColumnOrder = coUnknown; }
  // Index among the top-level rows where a row with `key` goes: after every
  // row that does not sort after it.
  int InsertPosition(const QByteArray &key) const;
  void SortAll();
  void PlaceRows(const QList<QTreeWidgetItem *> &items);
  void RowsInserted(const QModelIndex &parent, int first, int last);
  void RowsRemoved(const QModelIndex &parent);
  // Shows the arrow of the sort state in the header, or none when the rows
  // stay in insertion order.
  void UpdateSortIndicator();
  void DataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles);

  TViewStyle FViewStyle = vsReport;
  QList<Qt::Alignment> FAlignments;
  TSortType FSortType = stNone;
  int FSortColumn = 0;
  int FSortDirection = 1;
  bool FSorting = false;  // our own row moves are under way
  // How SortColumn's texts compare, known once they have been read.
  enum TColumnOrder { coUnknown, coNumbers, coBytes };
  mutable TColumnOrder FColumnOrder = coUnknown;
};
