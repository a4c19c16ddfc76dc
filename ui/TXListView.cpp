#include "TXListView.h"

#include "THeaderTracker.h"
#include "USortRules.h"

#include <QHeaderView>
#include <QItemSelection>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSet>
#include <QSignalBlocker>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// Up to this many rows added or changed at once are moved to their places
// one by one; more are sorted in with one pass over the whole list, which
// is cheaper than many single moves.
constexpr int kMaxSingleMoves = 16;

}  // namespace

TXListView::TXListView(QWidget *parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setColumnCount(0);
  QHeaderView *head = header();
  head->setStretchLastSection(false);
  // Columns keep their places: a dragged header would part the column
  // index of the events from what the user sees.
  head->setSectionsMovable(false);
  head->setSectionsClickable(true);
  // The sort is ours, not the view's (sortingEnabled stays off): the
  // header's own click handling would sort by its own rules and show an
  // arrow the list never had. Qt's header always redraws the columns live
  // while a divider is dragged; it has no setting to draw only the divider.
  connect(head, &QHeaderView::sectionClicked, this, &TXListView::ColumnClicked);
  auto *tracker = new THeaderTracker(head);
  connect(tracker, &THeaderTracker::Begin, this,
          [this](int section, int width) { DoBeginColumnResize(HeaderItemColumn(section), width); });
  connect(tracker, &THeaderTracker::Track, this,
          [this](int section, int width) { DoColumnResize(HeaderItemColumn(section), width); });
  connect(tracker, &THeaderTracker::End, this,
          [this](int section, int width) { DoEndColumnResize(HeaderItemColumn(section), width); });
  // Columns added after the sort type was set: the header would move its
  // arrow along with the sections inserted before it.
  connect(head, &QHeaderView::sectionCountChanged, this, &TXListView::UpdateSortIndicator);
  connect(model(), &QAbstractItemModel::rowsInserted, this, &TXListView::RowsInserted);
  connect(model(), &QAbstractItemModel::rowsRemoved, this,
          [this](const QModelIndex &parent, int, int) { RowsRemoved(parent); });
  connect(model(), &QAbstractItemModel::modelReset, this, [this] { ForgetColumnOrder(); });
  connect(model(), &QAbstractItemModel::dataChanged, this, &TXListView::DataChanged);
  UpdateSortIndicator();
}

void TXListView::SetViewStyle(TViewStyle style) {
  FViewStyle = style;
  setHeaderHidden(style == vsList);
}

void TXListView::AddColumn(const QString &caption, int width, Qt::Alignment alignment) {
  const int column = columnCount();
  setColumnCount(column + 1);
  QTreeWidgetItem *head = headerItem();
  head->setText(column, caption);
  head->setTextAlignment(column, alignment | Qt::AlignVCenter);
  setColumnWidth(column, width);
  FAlignments << alignment;
}

Qt::Alignment TXListView::ColumnAlignment(int column) const {
  return FAlignments.value(column, Qt::AlignLeft);
}

QTreeWidgetItem *TXListView::AddItem(const QStringList &texts) {
  auto *item = new QTreeWidgetItem(texts);
  for (int column = 0; column < texts.size(); ++column)
    item->setTextAlignment(column, ColumnAlignment(column) | Qt::AlignVCenter);
  if (FSortType == stText) {
    QScopedValueRollback<bool> busy(FSorting, true);
    const QByteArray key = SortKey(item);
    if (SortsByNumber() && !USortRules::SortsAsNumber(key)) {
      // The first text in a column of numbers: the column now sorts by
      // bytes, every row anew.
      addTopLevelItem(item);
      SortAll();
    } else {
      insertTopLevelItem(InsertPosition(key), item);
    }
  } else {
    addTopLevelItem(item);
  }
  return item;
}

void TXListView::Clear() {
  const bool updates = updatesEnabled();
  setUpdatesEnabled(false);
  clear();
  setUpdatesEnabled(updates);
  FSortColumn = 0;
  FSortDirection = 1;
  ForgetColumnOrder();
  UpdateSortIndicator();
}

void TXListView::SetSortType(TSortType sortType) {
  FSortType = sortType;
  if (FSortType == stText) SortAll();
  UpdateSortIndicator();
}

void TXListView::ColumnClicked(int column) {
  FSortDirection = column == FSortColumn ? -FSortDirection : 1;
  FSortColumn = column;
  FSortType = stText;
  SortAll();
  UpdateSortIndicator();
}

void TXListView::UpdateSortIndicator() {
  QHeaderView *head = header();
  const bool sorted = FSortType == stText;
  head->setSortIndicatorShown(sorted);
  if (sorted) head->setSortIndicator(FSortColumn, FSortDirection > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

QByteArray TXListView::SortKey(const QTreeWidgetItem *item) const {
  // A row may lack the sorted column (text() then gives an empty text).
  return item != nullptr ? item->text(FSortColumn).toLocal8Bit() : QByteArray();
}

bool TXListView::SortsByNumber() const {
  if (FColumnOrder == coUnknown) {
    // A column of texts usually shows it at its first rows.
    bool numbers = true;
    const int count = topLevelItemCount();
    for (int i = 0; i < count && numbers; ++i) numbers = USortRules::SortsAsNumber(SortKey(topLevelItem(i)));
    FColumnOrder = numbers ? coNumbers : coBytes;
  }
  return FColumnOrder == coNumbers;
}

int TXListView::CompareKeys(const QByteArray &a, const QByteArray &b) const {
  const int order = USortRules::Compare(a, b, SortsByNumber());
  if (order < 0) return -FSortDirection;
  if (order > 0) return FSortDirection;
  return 0;
}

int TXListView::CompareItems(const QTreeWidgetItem *a, const QTreeWidgetItem *b) const {
  return CompareKeys(SortKey(a), SortKey(b));
}

int TXListView::InsertPosition(const QByteArray &key) const {
  int low = 0;
  int high = topLevelItemCount();
  while (low < high) {
    const int middle = low + (high - low) / 2;
    if (CompareKeys(SortKey(topLevelItem(middle)), key) <= 0)
      low = middle + 1;
    else
      high = middle;
  }
  return low;
}

void TXListView::SortAll() {
  ForgetColumnOrder();
  const int count = topLevelItemCount();
  if (count < 2) return;
  QList<QTreeWidgetItem *> rows;
  std::vector<QByteArray> keys;
  rows.reserve(count);
  keys.reserve(std::size_t(count));
  for (int i = 0; i < count; ++i) {
    rows << topLevelItem(i);
    keys.push_back(SortKey(rows.last()));
  }
  const std::vector<QByteArrayView> views(keys.begin(), keys.end());
  std::vector<int> order(static_cast<std::size_t>(count));
  std::iota(order.begin(), order.end(), 0);
  FColumnOrder = USortRules::Sort(order, views, FSortDirection) ? coNumbers : coBytes;
  bool moved = false;
  for (int i = 0; i < count && !moved; ++i) moved = order[std::size_t(i)] != i;
  if (!moved) return;

  // The rows are taken out and put back in their new order: the items
  // themselves (and every pointer to them) stay, the current row, the
  // selection and the scroll position are put back, and the list's own
  // selection signals stay quiet since nothing changes for its users.
  QTreeWidgetItem *current = currentItem();
  const int column = currentColumn();
  const QList<QTreeWidgetItem *> selectedList = selectedItems();
  const QSet<QTreeWidgetItem *> selected(selectedList.begin(), selectedList.end());
  const int vertical = verticalScrollBar()->value();
  const int horizontal = horizontalScrollBar()->value();
  {
    QScopedValueRollback<bool> busy(FSorting, true);
    const QSignalBlocker quiet(this);
    QList<QTreeWidgetItem *> sorted;
    sorted.reserve(count);
    for (int i : order) sorted << rows[i];
    invisibleRootItem()->takeChildren();
    addTopLevelItems(sorted);
    if (!selected.isEmpty()) {
      QItemSelection selection;
      for (int i = 0; i < count; ++i) {
        if (!selected.contains(sorted[i])) continue;
        int last = i;
        while (last + 1 < count && selected.contains(sorted[last + 1])) ++last;
        selection.select(model()->index(i, 0), model()->index(last, 0));
        i = last;
      }
      selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    if (current != nullptr) setCurrentItem(current, std::max(column, 0), QItemSelectionModel::NoUpdate);
  }
  executeDelayedItemsLayout();
  verticalScrollBar()->setValue(vertical);
  horizontalScrollBar()->setValue(horizontal);
}

void TXListView::PlaceRows(const QList<QTreeWidgetItem *> &items) {
  QTreeWidgetItem *current = currentItem();
  const int column = currentColumn();
  const bool currentMoves = items.contains(current);
  QList<QTreeWidgetItem *> reselect;
  QScopedValueRollback<bool> busy(FSorting, true);
  const QSignalBlocker quiet(this);
  for (QTreeWidgetItem *item : items) {
    if (item->isSelected()) reselect << item;
    takeTopLevelItem(indexOfTopLevelItem(item));
  }
  for (QTreeWidgetItem *item : items) insertTopLevelItem(InsertPosition(SortKey(item)), item);
  for (QTreeWidgetItem *item : reselect) item->setSelected(true);
  if (currentMoves) setCurrentItem(current, std::max(column, 0), QItemSelectionModel::NoUpdate);
}

void TXListView::RowsInserted(const QModelIndex &parent, int first, int last) {
  // Rows added by other code than AddItem: sort them in.
  if (FSorting || parent.isValid()) return;
  if (FSortType != stText) {
    ForgetColumnOrder();
    return;
  }
  // A text among numbers makes the whole column sort by bytes.
  bool anew = FColumnOrder == coUnknown;
  if (FColumnOrder == coNumbers)
    for (int row = first; row <= last && !anew; ++row) anew = !USortRules::SortsAsNumber(SortKey(topLevelItem(row)));
  if (anew || last - first + 1 > kMaxSingleMoves) {
    SortAll();
    return;
  }
  QList<QTreeWidgetItem *> items;
  for (int row = first; row <= last; ++row) items << topLevelItem(row);
  PlaceRows(items);
}

void TXListView::RowsRemoved(const QModelIndex &parent) {
  if (FSorting || parent.isValid()) return;
  // A column of numbers stays one; taking out its last text makes one.
  if (FSortType != stText || FColumnOrder != coNumbers) ForgetColumnOrder();
  if (FSortType == stText && FColumnOrder == coUnknown && SortsByNumber()) SortAll();
}

void TXListView::DataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
  // A changed text of the sorted column (a caption or sub-item set after
  // the row was added) moves its row to its new place.
  if (FSorting || !topLeft.isValid() || topLeft.parent().isValid()) return;
  if (FSortColumn < topLeft.column() || FSortColumn > bottomRight.column()) return;
  if (!roles.isEmpty() && !roles.contains(Qt::DisplayRole) && !roles.contains(Qt::EditRole)) return;
  if (FSortType != stText) {
    ForgetColumnOrder();
    return;
  }
  // The change may turn the column from numbers to texts or back: then
  // every row has a new place.
  bool anew = false;
  const int count = topLevelItemCount();
  if (FColumnOrder == coNumbers) {
    for (int row = topLeft.row(); row <= bottomRight.row() && row < count && !anew; ++row)
      anew = !USortRules::SortsAsNumber(SortKey(topLevelItem(row)));
  } else {
    anew = FColumnOrder == coUnknown;
    ForgetColumnOrder();
    anew = SortsByNumber() || anew;
  }
  if (anew || bottomRight.row() - topLeft.row() + 1 > kMaxSingleMoves) {
    SortAll();
    return;
  }
  QList<QTreeWidgetItem *> misplaced;
  for (int row = topLeft.row(); row <= bottomRight.row() && row < count; ++row) {
    QTreeWidgetItem *item = topLevelItem(row);
    const bool afterPrevious = row == 0 || CompareItems(topLevelItem(row - 1), item) <= 0;
    const bool beforeNext = row + 1 >= count || CompareItems(item, topLevelItem(row + 1)) <= 0;
    if (!afterPrevious || !beforeNext) misplaced << item;
  }
  if (!misplaced.isEmpty()) PlaceRows(misplaced);
}

int TXListView::HeaderItemColumn(int section) const {
  return THeaderTracker::HeaderItemColumn(header(), section);
}

void TXListView::DoBeginColumnResize(int columnIndex, int columnWidth) {
  emit OnBeginColumnResize(this, columnIndex, columnWidth);
}

void TXListView::DoEndColumnResize(int columnIndex, int columnWidth) {
  emit OnEndColumnResize(this, columnIndex, columnWidth);
}

void TXListView::DoColumnResize(int columnIndex, int columnWidth) {
  emit OnColumnResize(this, columnIndex, columnWidth);
}
