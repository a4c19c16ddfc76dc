#include "UGridLoader.h"

#include "TAnswerRows.h"
#include "TBusyCursor.h"
#include "TWebService.h"
#include "TXGridView.h"

#include <QApplication>
#include <QLabel>

#include <algorithm>
#include <memory>

namespace {

// The width of a new column before any text widens it.
constexpr int kNewColumnWidth = 50;
// Values measured per column before the grid shows: those with the most
// bytes. A value shorter in bytes but wider in pixels is caught when its
// row is painted (TXGridView::SetFitPaintedRows).
constexpr int kMeasuredPerColumn = 16;
// A caption, or a value measured, is taken up to this many bytes: far
// wider than any screen already, where a whole answer on one line would
// cost gigabytes of strings and minutes of text layout.
constexpr qsizetype kMostTextBytes = 4096;
// Columns shown at most: MySQL's own bound on a table's columns. An answer
// with more is a page gone wrong (a header of millions of tabs), where a
// column each would take the grid minutes and gigabytes.
constexpr int kMostColumns = 4096;
// Rows shown at most. The grid spends some 8 bytes a row on its own
// (Qt's row header) and more while sorted: past this, an answer of tiny
// lines (a page gone wrong, or a million-row query's tail nobody scrolls
// to) would cost the grid several times its own size.
constexpr int kMostRows = 1 << 24;

struct TShown {
  int columns = 0;
  int rows = 0;
};

// The bytes as text, cut at kMostTextBytes with an ellipsis (and without
// the character the cut may have broken).
QString Shown(QByteArrayView bytes) {
  if (bytes.size() <= kMostTextBytes) return QString::fromLocal8Bit(bytes);
  QString text = QString::fromLocal8Bit(bytes.first(kMostTextBytes));
  if (text.endsWith(QChar::ReplacementCharacter)) text.chop(1);
  return text + QChar(0x2026);
}

TShown ShowRows(TWebService &ws, TXGridView *listView) {
  const std::shared_ptr<const TAnswerTable> table = ws.Table(kMeasuredPerColumn);
  const TShown shown{std::min(table->FieldCount(), kMostColumns), std::min(table->RowCount(), kMostRows)};
  QStringList captions;
  captions.reserve(shown.columns);
  for (int column = 0; column < shown.columns; ++column) captions << Shown(table->FieldName(column));
  // Rows without field names (an empty header line, or "$ERR " with no
  // message): their first values, rather than nothing.
  if (captions.isEmpty() && table->RowCount() > 0) captions << QStringLiteral("(sans nom)");
  for (int column = 0; column < captions.size(); ++column) {
    listView->AddColumn(captions[column], kNewColumnWidth);
    listView->FitColumnWidth(column, captions[column]);
  }
  QByteArray spare;
  for (int column = 0; column < captions.size(); ++column) {
    for (const int row : table->LongestRows(column)) {
      if (row >= shown.rows) continue;
      // Unescaped from its first bytes only: an escape cut in two stays a
      // backslash, about as wide.
      const QByteArrayView raw = table->RawValue(row, column);
      TAnswerTable::Unescape(raw.first(std::min(kMostTextBytes, raw.size())), spare);
      listView->FitColumnWidth(column, Shown(spare));
    }
  }
  listView->SetFitPaintedRows(true);
  listView->SetRows(std::make_shared<TAnswerRows>(table, shown.rows));
  // Where a walk of every row leaves the result set.
  ws.RowIndex = ws.RecordCount();
  return shown;
}

}  // namespace

void FillListView(TWebService &ws, TXGridView *listView, QLabel *infoLabel, const QString &sql) {
  listView->Clear();
  listView->RemoveColumns();
  infoLabel->setText(QStringLiteral("Chargement..."));
  const TBusyCursor busy(ws.Service == QLatin1String("SQL") ? Qt::BusyCursor : Qt::WaitCursor);
  // The emptied grid, the label and the cursor on screen before the
  // request blocks.
  listView->window()->repaint();
  // What the user does meanwhile waits: no action may start in the middle
  // of this one.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  const TRedrawSuspended frozen(listView);
  try {
    ws.Execute(sql);
    if (!ws.ErrorText.isEmpty()) {
      infoLabel->setText(ws.ErrorText);
    } else {
      const QString info = QString::number(ws.RecordCount()) + QStringLiteral(" enregistrement(s)");
      infoLabel->setText(info);
      const TShown shown = ShowRows(ws, listView);
      QStringList cut;
      if (shown.rows < ws.RecordCount()) cut << QStringLiteral("%1 premières lignes affichées").arg(shown.rows);
      if (shown.columns < ws.FieldCount())
        cut << QStringLiteral("%1 colonnes affichées sur %2").arg(shown.columns).arg(ws.FieldCount());
      if (!cut.isEmpty()) infoLabel->setText(info + QStringLiteral(" (") + cut.join(QStringLiteral(", ")) + u')');
    }
  } catch (...) {
    infoLabel->setToolTip(infoLabel->text());
    throw;
  }
  // The hint holds the whole text when the label is too narrow for it.
  infoLabel->setToolTip(infoLabel->text());
}
