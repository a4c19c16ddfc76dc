#include "TXGridView.h"

#include "TGridModel.h"
#include "THeaderTracker.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>

namespace {

// The margin the width rule adds to a text.
constexpr int kTextMargin = 20;

// A value as tab-separated text carries it: as it is, or between double
// quotes when it holds what would cut it.
void AppendValue(QString &out, const QString &value) {
  const bool quoted = value.contains(QLatin1Char('\t')) || value.contains(QLatin1Char('\n')) ||
                      value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('"'));
  if (!quoted) {
    out += value;
    return;
  }
  out += QLatin1Char('"');
  for (const QChar c : value) {
    if (c == QLatin1Char('"')) out += QLatin1Char('"');
    out += c;
  }
  out += QLatin1Char('"');
}

}  // namespace

TXGridView::TXGridView(QWidget *parent) : QTableView(parent), FModel(new TGridModel(this)) {
  setAccessibleName(QStringLiteral("Résultat"));
  setModel(FModel);
  setShowGrid(false);
  setWordWrap(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  setCornerButtonEnabled(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  // Rows all of one height, and no row header: nothing is measured per row.
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  UpdateFontMetrics();
  QHeaderView *head = horizontalHeader();
  head->setStretchLastSection(false);
  // Columns keep their places: a dragged header would part the column
  // index of the events from what the user sees.
  head->setSectionsMovable(false);
  head->setSectionsClickable(true);
  head->setHighlightSections(false);
  head->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  head->setSectionResizeMode(QHeaderView::Interactive);
  // The sort is ours (sortingEnabled stays off): the view's own would sort
  // by its own rules.
  connect(head, &QHeaderView::sectionClicked, this, &TXGridView::ColumnClicked);
  connect(head, &QHeaderView::sectionCountChanged, this, &TXGridView::UpdateSortIndicator);
  auto *tracker = new THeaderTracker(head);
  connect(tracker, &THeaderTracker::Begin, this, [this](int section, int width) {
    if (size_t(section) < FUserSized.size()) FUserSized[size_t(section)] = true;
    DoBeginColumnResize(HeaderItemColumn(section), width);
  });
  connect(tracker, &THeaderTracker::Track, this,
          [this](int section, int width) { DoColumnResize(HeaderItemColumn(section), width); });
  connect(tracker, &THeaderTracker::End, this,
          [this](int section, int width) { DoEndColumnResize(HeaderItemColumn(section), width); });
  // The selection stays as visible when the focus goes elsewhere.
  QPalette colours = palette();
  for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
    colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
  setPalette(colours);
  UpdateSortIndicator();
}

void TXGridView::AddColumn(const QString &caption, int width) {
  const int column = FModel->columnCount();
  FModel->AddColumn(caption);
  setColumnWidth(column, width);
  FUserSized.push_back(false);
}

void TXGridView::RemoveColumns() {
  FModel->RemoveColumns();
  FUserSized.clear();
}

void TXGridView::SetRows(std::shared_ptr<const TGridSource> rows) {
  FModel->SetRows(std::move(rows));
  FFittedRows.assign(FFitPainted ? size_t(FModel->rowCount()) : 0, false);
  if (FSortType == stText) SortRows();
}

void TXGridView::Clear() {
  FModel->SetRows(nullptr);
  FFittedRows.clear();
  FSortColumn = 0;
  FSortDirection = 1;
  FSortsByNumber = false;
  UpdateSortIndicator();
}

int TXGridView::RowCount() const { return FModel->rowCount(); }

int TXGridView::ColumnCount() const { return FModel->columnCount(); }

QStringList TXGridView::Captions() const { return FModel->Captions(); }

QString TXGridView::CellText(int row, int column) const { return FModel->CellText(row, column); }

int TXGridView::SelectedRow() const {
  const QItemSelection selection = selectionModel()->selection();
  const int current = selectionModel()->currentIndex().row();
  int first = -1;
  for (const QItemSelectionRange &range : selection) {
    if (current >= range.top() && current <= range.bottom()) return current;
    if (first < 0 || range.top() < first) first = range.top();
  }
  return first;
}

void TXGridView::SetSortType(TSortType sortType) {
  FSortType = sortType;
  if (FSortType == stText) SortRows();
  UpdateSortIndicator();
}

void TXGridView::ColumnClicked(int column) {
  FSortDirection = column == FSortColumn ? -FSortDirection : 1;
  FSortColumn = column;
  FSortType = stText;
  SortRows();
  UpdateSortIndicator();
}

void TXGridView::SortRows() {
  if (FModel->rowCount() > 0) FSortsByNumber = FModel->Sort(FSortColumn, FSortDirection);
}

void TXGridView::UpdateSortIndicator() {
  QHeaderView *head = horizontalHeader();
  const bool sorted = FSortType == stText;
  head->setSortIndicatorShown(sorted);
  if (sorted) head->setSortIndicator(FSortColumn, FSortDirection > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

int TXGridView::HeaderItemColumn(int section) const {
  return THeaderTracker::HeaderItemColumn(horizontalHeader(), section);
}

int TXGridView::TextWidth(const QString &text) const {
  return fontMetrics().horizontalAdvance(TGridModel::OneLine(text));
}

void TXGridView::FitColumnWidth(int column, const QString &text) {
  if (column < 0 || column >= FModel->columnCount()) return;
  const int wanted = TextWidth(text) + kTextMargin;
  if (columnWidth(column) < wanted) setColumnWidth(column, wanted);
}

void TXGridView::SetFitPaintedRows(bool fit) {
  FFitPainted = fit;
  FFittedRows.assign(fit ? size_t(FModel->rowCount()) : 0, false);
}

void TXGridView::FitShownRows() {
  const int count = FModel->rowCount();
  if (count == 0 || FFittedRows.size() != size_t(count)) return;
  const int first = rowAt(0);
  if (first < 0) return;
  int last = rowAt(viewport()->height() - 1);
  if (last < 0) last = count - 1;
  const int columns = FModel->columnCount();
  QByteArray spare;
  for (int row = first; row <= last; ++row) {
    const int source = FModel->SourceRow(row);
    if (FFittedRows[size_t(source)]) continue;
    FFittedRows[size_t(source)] = true;
    for (int column = 0; column < columns; ++column) {
      if (FUserSized[size_t(column)]) continue;
      const QByteArrayView bytes = FModel->CellBytes(row, column, spare);
      if (MayBeWider(bytes, columnWidth(column))) FitColumnWidth(column, QString::fromLocal8Bit(bytes));
    }
  }
}

bool TXGridView::MayBeWider(QByteArrayView bytes, int width) const {
  // Printable ASCII is summed from the advances of its characters; the
  // rest (other bytes, control characters) is measured.
  int estimate = 0;
  for (const char c : bytes) {
    const uchar byte = uchar(c);
    if (byte < 0x20 || byte >= 0x7F) return true;
    estimate += FAdvances[byte];
  }
  // Kerning and ligatures move a text's width a little from the sum of its
  // characters' advances: within that margin, it is measured.
  return estimate + estimate / 8 + 2 + kTextMargin > width;
}

QString TXGridView::SelectionText() const {
  std::vector<int> rows;
  for (const QItemSelectionRange &range : selectionModel()->selection())
    for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (rows.empty()) return QString();
  const int columns = FModel->columnCount();
  QString text;
  for (int column = 0; column < columns; ++column) {
    if (column > 0) text += QLatin1Char('\t');
    AppendValue(text, FModel->Captions()[column]);
  }
  text += QLatin1Char('\n');
  for (const int row : rows) {
    for (int column = 0; column < columns; ++column) {
      if (column > 0) text += QLatin1Char('\t');
      AppendValue(text, FModel->CellText(row, column));
    }
    text += QLatin1Char('\n');
  }
  return text;
}

void TXGridView::CopySelection() {
  const QString text = SelectionText();
  if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

bool TXGridView::event(QEvent *event) {
  // Ctrl+C is the grid's while it has the focus, whatever shortcut the
  // window gives it.
  if (event->type() == QEvent::ShortcutOverride &&
      static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
    event->accept();
    return true;
  }
  return QTableView::event(event);
}

void TXGridView::keyPressEvent(QKeyEvent *event) {
  if (event->matches(QKeySequence::Copy)) {
    CopySelection();
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

void TXGridView::paintEvent(QPaintEvent *event) {
  if (FFitPainted) FitShownRows();
  QTableView::paintEvent(event);
}

void TXGridView::changeEvent(QEvent *event) {
  if (event->type() == QEvent::FontChange) UpdateFontMetrics();
  QTableView::changeEvent(event);
}

void TXGridView::UpdateFontMetrics() {
  const QFontMetrics metrics = fontMetrics();
  verticalHeader()->setDefaultSectionSize(metrics.height() + 4);
  for (int byte = 0x20; byte < 0x7F; ++byte) FAdvances[size_t(byte)] = metrics.horizontalAdvance(QLatin1Char(char(byte)));
}

void TXGridView::DoBeginColumnResize(int columnIndex, int columnWidth) {
  emit OnBeginColumnResize(this, columnIndex, columnWidth);
}

void TXGridView::DoEndColumnResize(int columnIndex, int columnWidth) {
  emit OnEndColumnResize(this, columnIndex, columnWidth);
}

void TXGridView::DoColumnResize(int columnIndex, int columnWidth) {
  emit OnColumnResize(this, columnIndex, columnWidth);
}
