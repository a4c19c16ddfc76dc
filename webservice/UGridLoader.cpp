#include "UGridLoader.h"

#include "TAnswerRows.h"
#include "TBusyCursor.h"
#include "TWebService.h"
#include "TXGridView.h"

#include <QApplication>
#include <QLabel>

#include <memory>

namespace {

// The width of a new column before any text widens it.
constexpr int kNewColumnWidth = 50;
// Values measured per column before the grid shows: those with the most
// bytes. A value shorter in bytes but wider in pixels is caught when its
// row is painted (TXGridView::SetFitPaintedRows).
constexpr int kMeasuredPerColumn = 16;

void ShowRows(TWebService &ws, TXGridView *listView) {
  const std::shared_ptr<const TAnswerTable> table = ws.Table(kMeasuredPerColumn);
  QStringList captions = table->FieldNames();
  // Rows without field names (an empty header line, or "$ERR " with no
  // message): their first values, rather than nothing.
  if (captions.isEmpty() && table->RowCount() > 0) captions << QStringLiteral("(sans nom)");
  for (int column = 0; column < captions.size(); ++column) {
    listView->AddColumn(captions[column], kNewColumnWidth);
    listView->FitColumnWidth(column, captions[column]);
  }
  QByteArray spare;
  for (int column = 0; column < captions.size(); ++column) {
    for (const int row : table->LongestRows(column))
      listView->FitColumnWidth(column, QString::fromLocal8Bit(table->Value(row, column, spare)));
  }
  listView->SetFitPaintedRows(true);
  listView->SetRows(std::make_shared<TAnswerRows>(table));
  // Where a walk of every row leaves the result set.
  ws.RowIndex = ws.RecordCount();
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
      infoLabel->setText(QString::number(ws.RecordCount()) + QStringLiteral(" enregistrement(s)"));
      ShowRows(ws, listView);
    }
  } catch (...) {
    infoLabel->setToolTip(infoLabel->text());
    throw;
  }
  // The hint holds the whole text when the label is too narrow for it.
  infoLabel->setToolTip(infoLabel->text());
}
