#pragma once

#include "TGridSource.h"

#include <QString>
#include <QStringList>
#include <QTableView>

#include <array>
#include <memory>
#include <vector>

class TGridModel;

// The grid of a query's result: the behaviour of TXListView as the data
// page uses it (captioned columns, rows in the answer's order, Clear, the
// same header-click sorting and sort arrow, the three divider signals),
// on a model that reads the rows where they lie, so that it takes a
// million of them. Read-only; whole rows are selected, several at once,
// and the selection stays visible without the focus. Ctrl+C copies the
// selected rows, as shown, as tab-separated text under a line of the
// column captions.
class TXGridView : public QTableView {
  Q_OBJECT

 public:
  // stNone: rows stay in the answer's order. stText: rows are sorted by
  // SortColumn and SortDirection, also rows given later.
  enum TSortType { stNone, stText };

  explicit TXGridView(QWidget *parent = nullptr);

  void AddColumn(const QString &caption, int width);
  void RemoveColumns();
  // Shows these rows (null for none), replacing any; under text sorting
  // they come sorted.
  void SetRows(std::shared_ptr<const TGridSource> rows);
  // Removes every row and resets the sort state to column 0 ascending.
  // Columns and the sorting mode stay.
  void Clear();

  int RowCount() const;
  int ColumnCount() const;
  QStringList Captions() const;
  // A cell's text, rows counted as shown: the value as the source gives
  // it, line breaks and tabs included (drawn as spaces).
  QString CellText(int row, int column) const;
  // The current row if it is selected, else the first selected row as
  // shown; -1 when no row is selected.
  int SelectedRow() const;

  void SetSortType(TSortType sortType);
  TSortType SortType() const { return FSortType; }
  int SortColumn() const { return FSortColumn; }     // starts at 0
  int SortDirection() const { return FSortDirection; }  // +1 ascending, -1 descending
  bool SortsByNumber() const { return FSortsByNumber; }
  int HeaderItemColumn(int section) const;

  // The width rule: a text's width on one line in the list's font, and a
  // column widened, never narrowed, to that width plus 20 pixels.
  int TextWidth(const QString &text) const;
  void FitColumnWidth(int column, const QString &text);
  // While on, the cells of each row are fitted by that rule when the row
  // is first painted, in every column whose divider the user has not
  // dragged.
  void SetFitPaintedRows(bool fit);

  // The selected rows, as shown, under a line of the captions: values
  // separated by tabs, rows ended by line feeds; a value holding a tab, a
  // line break or a double quote is put between double quotes, its double
  // quotes doubled (as spreadsheets read it).
  QString SelectionText() const;
  void CopySelection();

 public slots:
  // Header click: the same column reverses the order, another one sorts
  // ascending; from then on the grid stays in text sorting.
  void ColumnClicked(int column);

 signals:
  void OnColumnResize(TXGridView *sender, int columnIndex, int columnWidth);
  void OnEndColumnResize(TXGridView *sender, int columnIndex, int columnWidth);
  void OnBeginColumnResize(TXGridView *sender, int columnIndex, int columnWidth);

 protected:
  virtual void DoBeginColumnResize(int columnIndex, int columnWidth);
  virtual void DoEndColumnResize(int columnIndex, int columnWidth);
  virtual void DoColumnResize(int columnIndex, int columnWidth);

  bool event(QEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  void changeEvent(QEvent *event) override;

 private:
  void SortRows();
  void UpdateSortIndicator();
  void UpdateFontMetrics();
  void FitShownRows();
  // Whether a cell's text might need a column wider than `width`: false
  // only when the sum of its characters' advances says it cannot.
  bool MayBeWider(QByteArrayView bytes, int width) const;

  TGridModel *FModel;
  TSortType FSortType = stNone;
  int FSortColumn = 0;
  int FSortDirection = 1;
  bool FSortsByNumber = false;
  bool FFitPainted = false;
  std::vector<bool> FFittedRows;   // by source row
  std::vector<bool> FUserSized;    // by column: the user dragged its divider
  std::array<int, 128> FAdvances{};  // of the printable ASCII characters in the list's font
};
