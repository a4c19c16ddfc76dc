#include "TXListView.h"

#include <QHeaderView>

TXListView::TXListView(QWidget *parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setColumnCount(0);
  header()->setStretchLastSection(false);
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
  auto *item = new QTreeWidgetItem(this, texts);
  for (int column = 0; column < texts.size(); ++column)
    item->setTextAlignment(column, ColumnAlignment(column) | Qt::AlignVCenter);
  return item;
}
