#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The rows a TXGridView shows, read where they lie (an answer of the web
// service, for one) rather than copied into the view: cells are asked for
// only when painted, sorted or copied. Never changed while a view holds it.
class TGridSource {
 public:
  virtual ~TGridSource() = default;

  virtual int RowCount() const = 0;
  // The cell's bytes, the 8-bit text the user sees; empty past the row's
  // values. When they do not lie in the source as they are (a value that
  // had to be rewritten), they are put into `spare`, which the view then
  // points into; otherwise `spare` is left empty. Valid while the source
  // lives and `spare` is not touched.
  virtual QByteArrayView Cell(int row, int column, QByteArray &spare) const = 0;
};
