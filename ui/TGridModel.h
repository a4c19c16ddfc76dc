#pragma once

#include "TGridSource.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <memory>
#include <vector>

// The model of a TXGridView: captioned columns over the rows of a
// TGridSource, shown in the source's order or in a sorted one. It keeps no
// text of its own: a cell is read from the source when the view asks.
class TGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TGridModel(QObject *parent = nullptr);

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  int columnCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;

  void AddColumn(const QString &caption);
  void RemoveColumns();
  const QStringList &Captions() const { return FCaptions; }

  // Shows these rows, in their own order; null for none.
  void SetRows(std::shared_ptr<const TGridSource> rows);
  const std::shared_ptr<const TGridSource> &Rows() const { return FRows; }
  // The source's row shown at `row`.
  int SourceRow(int row) const { return FOrder.empty() ? row : FOrder[size_t(row)]; }
  // A cell's bytes and its text (decoded from the user's 8-bit encoding),
  // rows counted as shown.
  QByteArrayView CellBytes(int row, int column, QByteArray &spare) const;
  QString CellText(int row, int column) const;

  // Sorts the rows shown by a column under the rules of USortRules,
  // ascending for +1, descending for -1, from the order they are in; the
  // view's selection and current row follow their rows. Returns whether
  // the column sorted by number.
  bool Sort(int column, int direction);

  // The text as a cell shows it, on one line: line breaks and tabs each
  // drawn as one space.
  static QString OneLine(QString text);

 private:
  QStringList FCaptions;
  std::shared_ptr<const TGridSource> FRows;
  int FRowCount = 0;
  std::vector<int> FOrder;  // empty while the rows are in the source's order
};
