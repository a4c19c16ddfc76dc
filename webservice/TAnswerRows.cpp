#include "TAnswerRows.h"

#include <utility>

TAnswerRows::TAnswerRows(std::shared_ptr<const TAnswerTable> table) : FTable(std::move(table)) {}

int TAnswerRows::RowCount() const { return FTable ? FTable->RowCount() : 0; }

QByteArrayView TAnswerRows::Cell(int row, int column, QByteArray &spare) const {
  spare.resize(0);
  if (!FTable) return QByteArrayView();
  return FTable->Value(row, column, spare);
}
