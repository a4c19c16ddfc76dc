#include "TAnswerRows.h"

#include <algorithm>
#include <utility>

TAnswerRows::TAnswerRows(std::shared_ptr<const TAnswerTable> table, int mostRows)
    : FTable(std::move(table)), FRowCount(FTable ? std::clamp(FTable->RowCount(), 0, std::max(0, mostRows)) : 0) {}

int TAnswerRows::RowCount() const { return FRowCount; }

QByteArrayView TAnswerRows::Cell(int row, int column, QByteArray &spare) const {
  spare.resize(0);
  if (!FTable || row >= FRowCount) return QByteArrayView();
  return FTable->Value(row, column, spare);
}
