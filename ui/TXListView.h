#pragma once

#include <QTreeWidget>

// The list of every list of the main window: a report of columns, or a
// plain list of captions with their images.
class TXListView : public QTreeWidget {
  Q_OBJECT

 public:
  enum TViewStyle { vsList, vsReport };

  explicit TXListView(QWidget *parent = nullptr);

  void SetViewStyle(TViewStyle style);
  TViewStyle ViewStyle() const { return FViewStyle; }
  // Appends a column with its caption, width and alignment.
  void AddColumn(const QString &caption, int width, Qt::Alignment alignment = Qt::AlignLeft);
  Qt::Alignment ColumnAlignment(int column) const;
  // Appends a row; each cell takes its column's alignment.
  QTreeWidgetItem *AddItem(const QStringList &texts);

 private:
  TViewStyle FViewStyle = vsReport;
  QList<Qt::Alignment> FAlignments;
};
