#pragma once

#include "TAnswerTable.h"
#include "TGridSource.h"

#include <climits>
#include <memory>

// An answer's rows as a grid reads them: the values of each row by
// position, escapes undone, read from the answer itself, which the grid
// keeps alive by holding this. With `mostRows`, only the first rows.
class TAnswerRows : public TGridSource {
 public:
  explicit TAnswerRows(std::shared_ptr<const TAnswerTable> table, int mostRows = INT_MAX);

  int RowCount() const override;
  QByteArrayView Cell(int row, int column, QByteArray &spare) const override;

 private:
  std::shared_ptr<const TAnswerTable> FTable;
  int FRowCount = 0;
};
