// The result grid: columns and rows read from a source, Clear, header-click
// sorting by the lists' rules with its arrow, the selection through a sort,
// Ctrl+C, the width rule on painted rows, and the divider signals. Every
// grid's model is watched by Qt's model tester: a change the model signals
// wrongly fails the test that made it.
#include "TXGridView.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

// Rows written "a|b|c" as the answer writes them: "\n" and "\t" escaped,
// undone into the spare buffer, as the web service's rows are.
class TRows : public TGridSource {
 public:
  explicit TRows(const QStringList &rows) {
    for (const QString &row : rows) FRows << row.toUtf8().split('|');
  }
  int RowCount() const override { return int(FRows.size()); }
  QByteArrayView Cell(int row, int column, QByteArray &spare) const override {
    const QByteArray &raw = FRows[row].size() > column ? FRows[row][column] : FEmpty;
    if (!raw.contains('\\')) return raw;
    spare = raw;
    spare.replace("\\n", "\n").replace("\\t", "\t");
    return spare;
  }

 private:
  QList<QList<QByteArray>> FRows;
  QByteArray FEmpty;
};

std::shared_ptr<TRows> Rows(const QStringList &rows) { return std::make_shared<TRows>(rows); }

// Checks the grid's model after each change it signals, for the grid's
// life; a fault is reported as a failure of the running test.
void Watch(TXGridView &grid) {
  new QAbstractItemModelTester(grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest, &grid);
}

// A grid of four columns "id", "nom", "taille", "note" holding `rows`.
std::unique_ptr<TXGridView> Grid(const QStringList &rows) {
  auto grid = std::make_unique<TXGridView>();
  Watch(*grid);
  for (const char *caption : {"id", "nom", "taille", "note"}) grid->AddColumn(QString::fromLatin1(caption), 60);
  grid->SetRows(Rows(rows));
  grid->resize(500, 300);
  return grid;
}

bool Show(QWidget *widget) {
  widget->show();
  return QTest::qWaitForWindowExposed(widget);
}

QStringList Ids(const TXGridView &grid) {
  QStringList ids;
  for (int row = 0; row < grid.RowCount(); ++row) ids << grid.CellText(row, 0);
  return ids;
}

void ClickHeader(TXGridView &grid, int section) {
  QHeaderView *head = grid.horizontalHeader();
  const QPoint middle(head->sectionViewportPosition(section) + head->sectionSize(section) / 2, head->height() / 2);
  QTest::mouseClick(head->viewport(), Qt::LeftButton, Qt::NoModifier, middle);
}

QString Arrow(const TXGridView &grid) {
  const QHeaderView *head = grid.horizontalHeader();
  if (!head->isSortIndicatorShown()) return QStringLiteral("none");
  return QStringLiteral("%1 %2").arg(head->sortIndicatorSection()).arg(
      head->sortIndicatorOrder() == Qt::AscendingOrder ? "up" : "down");
}

void SelectRows(TXGridView &grid, const QList<int> &rows) {
  grid.clearSelection();
  for (const int row : rows)
    grid.selectionModel()->select(grid.model()->index(row, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void SendMouse(QWidget *target, QEvent::Type type, const QPoint &pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

const QStringList kRows = {
    "1|clients|20|",
    "2|Articles|100|a\\tb",
    "3|bons|3|a c",
    "4|zones|2048|NULL",
};

}  // namespace

class TestXGridView : public QObject {
  Q_OBJECT

 private slots:
  void columnsRowsAndClear();
  void modelChangesHoldTogether();
  void headerClicks_data();
  void headerClicks();
  void clearKeepsTheSortingMode();
  void sortKeepsSelectionAndCurrent();
  void selectedRow();
  void copySelection_data();
  void copySelection();
  void ctrlCBelongsToTheGrid();
  void valuesShowOnOneLine();
  void paintedRowsWidenTheirColumns();
  void paintedCellsAllFit();
  void dividerDragReportsColumnAndWidth();
};

void TestXGridView::columnsRowsAndClear() {
  auto grid = Grid(kRows);
  QVERIFY(Show(grid.get()));
  QCOMPARE(grid->ColumnCount(), 4);
  QCOMPARE(grid->Captions(), (QStringList{"id", "nom", "taille", "note"}));
  QCOMPARE(grid->columnWidth(2), 60);
  QCOMPARE(grid->RowCount(), 4);
  QCOMPARE(Ids(*grid), (QStringList{"1", "2", "3", "4"}));
  QCOMPARE(grid->CellText(1, 3), QString("a\tb"));
  QCOMPARE(grid->CellText(0, 3), QString());
  QCOMPARE(grid->CellText(9, 0), QString());
  QCOMPARE(Arrow(*grid), QString("none"));

  // Read-only, whole rows, several at once; a double click is reported and
  // opens no editor.
  QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
  QCOMPARE(grid->selectionMode(), QAbstractItemView::ExtendedSelection);
  QSignalSpy doubleClicked(grid.get(), &QAbstractItemView::doubleClicked);
  const QRect cell = grid->visualRect(grid->model()->index(2, 1));
  // As a mouse does it: a click, then the second press as a double click.
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
  QCOMPARE(doubleClicked.count(), 1);
  QCOMPARE(doubleClicked[0][0].toModelIndex().row(), 2);
  QVERIFY(grid->findChildren<QLineEdit *>().isEmpty());
  QVERIFY(!(grid->model()->index(2, 1).flags() & Qt::ItemIsEditable));
  QCOMPARE(grid->SelectedRow(), 2);

  ClickHeader(*grid, 1);
  ClickHeader(*grid, 1);
  grid->Clear();
  QCOMPARE(grid->RowCount(), 0);
  QCOMPARE(grid->ColumnCount(), 4);
  QCOMPARE(grid->columnWidth(2), 60);
  QCOMPARE(grid->SortColumn(), 0);
  QCOMPARE(grid->SortDirection(), 1);
  QCOMPARE(grid->SelectedRow(), -1);

  grid->RemoveColumns();
  QCOMPARE(grid->ColumnCount(), 0);
  QCOMPARE(grid->Captions(), QStringList());
  grid->AddColumn("x", 70);
  QCOMPARE(grid->Captions(), QStringList{"x"});
  QCOMPARE(grid->columnWidth(0), 70);
}

// Every way the rows and columns change, one after the other on one grid,
// with a selection and a current cell for the sorts to carry: the model
// tester checks each step, and the cells still read right at the end.
void TestXGridView::modelChangesHoldTogether() {
  auto grid = Grid(kRows);
  QVERIFY(Show(grid.get()));
  SelectRows(*grid, {1, 3});
  grid->selectionModel()->setCurrentIndex(grid->model()->index(3, 2), QItemSelectionModel::NoUpdate);
  ClickHeader(*grid, 2);
  ClickHeader(*grid, 2);
  ClickHeader(*grid, 1);
  grid->SetRows(Rows({"9|x|1", "8|y|2"}));  // fewer rows, arriving sorted
  QCOMPARE(Ids(*grid), (QStringList{"9", "8"}));
  grid->SetRows(Rows({}));  // a source without rows
  QCOMPARE(grid->RowCount(), 0);
  ClickHeader(*grid, 0);  // sorting nothing
  grid->SetRows(Rows(kRows));
  grid->AddColumn("cinquième", 40);  // a column past the rows' values
  QCOMPARE(grid->CellText(0, 4), QString());
  grid->RemoveColumns();  // columns go, rows stay
  QCOMPARE(grid->ColumnCount(), 0);
  QCOMPARE(grid->RowCount(), 4);
  for (const char *caption : {"id", "nom"}) grid->AddColumn(QString::fromLatin1(caption), 60);
  grid->Clear();
  grid->Clear();
  grid->SetRows(nullptr);
  grid->SetRows(Rows({"2|b", "1|a"}));
  QCOMPARE(Ids(*grid), (QStringList{"1", "2"}));  // the text sorting stays
  QCOMPARE(grid->model()->index(1, 1).data().toString(), QString("b"));
}

void TestXGridView::headerClicks_data() {
  QTest::addColumn<QStringList>("rows");
  QTest::addColumn<QList<int>>("clicks");
  QTest::addColumn<QStringList>("order");  // ids, top to bottom
  QTest::addColumn<int>("sortColumn");
  QTest::addColumn<int>("sortDirection");
  QTest::addColumn<bool>("numbers");

  QTest::newRow("no click: the answer's order")
      << kRows << QList<int>{} << QStringList{"1", "2", "3", "4"} << 0 << 1 << false;
  QTest::newRow("nom once: ascending, upper case first")
      << kRows << QList<int>{1} << QStringList{"2", "3", "1", "4"} << 1 << 1 << false;
  QTest::newRow("nom twice: descending") << kRows << QList<int>{1, 1} << QStringList{"4", "1", "3", "2"} << 1 << -1
                                         << false;
  QTest::newRow("nom twice then taille: ascending by number")
      << kRows << QList<int>{1, 1, 2} << QStringList{"3", "1", "2", "4"} << 2 << 1 << true;
  QTest::newRow("first column once: descending")
      << kRows << QList<int>{0} << QStringList{"4", "3", "2", "1"} << 0 << -1 << true;
  // The escapes are undone before comparing: a tab (9) sorts before a
  // space (32), where the escape's backslash (92) would not.
  QTest::newRow("note: by unescaped bytes")
      << kRows << QList<int>{3} << QStringList{"1", "4", "2", "3"} << 3 << 1 << false;
  QTest::newRow("numbers with blanks")
      << QStringList{"1|x|5", "2|x|NULL", "3|x|-1", "4|x", "5|x|4.5e1"} << QList<int>{2}
      << QStringList{"4", "2", "3", "1", "5"} << 2 << 1 << true;
  QTest::newRow("a text among numbers: 10 before 9")
      << QStringList{"1|x|9", "2|x|10", "3|x|n/a"} << QList<int>{2} << QStringList{"2", "1", "3"} << 2 << 1 << false;
  QTest::newRow("equal keys keep their order both ways")
      << QStringList{"1|b", "2|a", "3|b", "4|a"} << QList<int>{1, 1} << QStringList{"1", "3", "2", "4"} << 1 << -1
      << false;
  QTest::newRow("short rows count as empty")
      << QStringList{"1|b", "2", "3|a", "4|"} << QList<int>{1} << QStringList{"2", "4", "3", "1"} << 1 << 1 << false;
}

void TestXGridView::headerClicks() {
  QFETCH(QStringList, rows);
  QFETCH(QList<int>, clicks);
  QFETCH(QStringList, order);
  QFETCH(int, sortColumn);
  QFETCH(int, sortDirection);
  QFETCH(bool, numbers);

  auto grid = Grid(rows);
  QVERIFY(Show(grid.get()));
  for (const int column : clicks) ClickHeader(*grid, column);
  QCOMPARE(Ids(*grid), order);
  QCOMPARE(grid->SortColumn(), sortColumn);
  QCOMPARE(grid->SortDirection(), sortDirection);
  QCOMPARE(grid->SortType(), clicks.isEmpty() ? TXGridView::stNone : TXGridView::stText);
  QCOMPARE(grid->SortsByNumber(), numbers);
  QCOMPARE(Arrow(*grid), clicks.isEmpty() ? QString("none")
                                          : QStringLiteral("%1 %2").arg(sortColumn).arg(sortDirection > 0 ? "up" : "down"));
}

// Once the user has sorted, a new fill comes sorted by the first column,
// ascending, as a sorting list's rows do.
void TestXGridView::clearKeepsTheSortingMode() {
  auto grid = Grid(kRows);
  QVERIFY(Show(grid.get()));
  ClickHeader(*grid, 2);
  grid->Clear();
  QCOMPARE(grid->SortType(), TXGridView::stText);
  QCOMPARE(Arrow(*grid), QString("0 up"));
  grid->SetRows(Rows({"b|1", "c|2", "a|3"}));
  QCOMPARE(Ids(*grid), (QStringList{"a", "b", "c"}));
  ClickHeader(*grid, 0);
  QCOMPARE(Ids(*grid), (QStringList{"c", "b", "a"}));

  // A grid set to sort before it has rows.
  TXGridView sorted;
  Watch(sorted);
  sorted.SetSortType(TXGridView::stText);
  sorted.AddColumn("n", 50);
  QCOMPARE(Arrow(sorted), QString("0 up"));
  sorted.SetRows(Rows({"10", "9", "100"}));
  QCOMPARE(Ids(sorted), (QStringList{"9", "10", "100"}));
}

void TestXGridView::sortKeepsSelectionAndCurrent() {
  QStringList rows;
  for (int i = 0; i < 300; ++i) rows << QStringLiteral("%1|t%2").arg(i).arg(299 - i, 3, 10, QLatin1Char('0'));
  auto grid = Grid(rows);
  QVERIFY(Show(grid.get()));
  SelectRows(*grid, {5, 6, 7, 100});
  grid->selectionModel()->setCurrentIndex(grid->model()->index(6, 1), QItemSelectionModel::NoUpdate);
  grid->scrollTo(grid->model()->index(150, 0), QAbstractItemView::PositionAtTop);
  const int position = grid->verticalScrollBar()->value();

  ClickHeader(*grid, 1);  // t000 first: the rows reversed
  QCOMPARE(grid->CellText(0, 0), QString("299"));
  QStringList selected;
  for (const QModelIndex &index : grid->selectionModel()->selectedRows()) selected << grid->CellText(index.row(), 0);
  selected.sort();
  QCOMPARE(selected, (QStringList{"100", "5", "6", "7"}));
  QCOMPARE(grid->CellText(grid->currentIndex().row(), 0), QString("6"));
  QCOMPARE(grid->SelectedRow(), 299 - 6);
  QCOMPARE(grid->verticalScrollBar()->value(), position);
}

void TestXGridView::selectedRow() {
  auto grid = Grid(kRows);
  QCOMPARE(grid->SelectedRow(), -1);
  SelectRows(*grid, {3, 1});
  grid->selectionModel()->setCurrentIndex(grid->model()->index(0, 0), QItemSelectionModel::NoUpdate);
  QCOMPARE(grid->SelectedRow(), 1);  // the current row is not selected
  grid->selectionModel()->setCurrentIndex(grid->model()->index(3, 0), QItemSelectionModel::NoUpdate);
  QCOMPARE(grid->SelectedRow(), 3);
  grid->clearSelection();
  QCOMPARE(grid->SelectedRow(), -1);
}

void TestXGridView::copySelection_data() {
  QTest::addColumn<QStringList>("rows");
  QTest::addColumn<QList<int>>("clicks");
  QTest::addColumn<QList<int>>("selected");  // rows as shown
  QTest::addColumn<QString>("text");
  const QString header = "id\tnom\ttaille\tnote\n";
  QTest::newRow("two rows, in the order shown")
      << kRows << QList<int>{2} << QList<int>{1, 0} << header + "3\tbons\t3\ta c\n1\tclients\t20\t\n";
  QTest::newRow("rows selected out of order come in the order shown")
      << kRows << QList<int>{} << QList<int>{3, 0} << header + "1\tclients\t20\t\n4\tzones\t2048\tNULL\n";
  QTest::newRow("a tab, a line feed, a double quote: quoted")
      << QStringList{"1|a\\tb|x\\ny|say \"hi\""} << QList<int>{} << QList<int>{0}
      << header + "1\t\"a\tb\"\t\"x\ny\"\t\"say \"\"hi\"\"\"\n";
  QTest::newRow("short row: empty values") << QStringList{"7|only"} << QList<int>{} << QList<int>{0}
                                           << header + "7\tonly\t\t\n";
  QTest::newRow("non-ASCII text") << QStringList{"1|caf\u00e9|\u20ac"} << QList<int>{} << QList<int>{0}
                                  << header + "1\tcaf\u00e9\t\u20ac\t\n";
}

void TestXGridView::copySelection() {
  QFETCH(QStringList, rows);
  QFETCH(QList<int>, clicks);
  QFETCH(QList<int>, selected);
  QFETCH(QString, text);

  auto grid = Grid(rows);
  QVERIFY(Show(grid.get()));
  for (const int column : clicks) ClickHeader(*grid, column);
  SelectRows(*grid, selected);
  QApplication::clipboard()->setText("before");
  grid->setFocus();
  QTest::keyClick(grid.get(), Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QApplication::clipboard()->text(), text);

  // Nothing selected: the clipboard keeps what it had.
  grid->clearSelection();
  QApplication::clipboard()->setText("before");
  QTest::keyClick(grid.get(), Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QApplication::clipboard()->text(), QString("before"));
}

// A window's own Ctrl+C shortcut does not take the key from the grid.
void TestXGridView::ctrlCBelongsToTheGrid() {
  QWidget window;
  auto *layout = new QVBoxLayout(&window);
  auto *grid = new TXGridView(&window);
  Watch(*grid);
  layout->addWidget(grid);
  grid->AddColumn("id", 50);
  grid->SetRows(Rows({"1", "2"}));
  auto *copy = new QAction(&window);
  copy->setShortcut(QKeySequence::Copy);
  window.addAction(copy);
  QSignalSpy triggered(copy, &QAction::triggered);
  QVERIFY(Show(&window));
  SelectRows(*grid, {1});
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QApplication::clipboard()->text(), QString("id\n2\n"));
  QCOMPARE(triggered.count(), 0);
}

// A value with a line feed or a tab shows on one line, and is measured as
// it shows; its text keeps them.
void TestXGridView::valuesShowOnOneLine() {
  auto grid = Grid({"1|x\\ny|a\\tb"});
  QCOMPARE(grid->model()->index(0, 1).data().toString(), QString("x y"));
  QCOMPARE(grid->model()->index(0, 2).data().toString(), QString("a b"));
  QCOMPARE(grid->CellText(0, 1), QString("x\ny"));
  QCOMPARE(grid->TextWidth("x\ny"), grid->fontMetrics().horizontalAdvance("x y"));
  grid->FitColumnWidth(1, QString(40, QLatin1Char('W')));
  const int wide = grid->fontMetrics().horizontalAdvance(QString(40, QLatin1Char('W'))) + 20;
  QCOMPARE(grid->columnWidth(1), wide);
  grid->FitColumnWidth(1, "i");  // never narrower
  QCOMPARE(grid->columnWidth(1), wide);
}

// Rows fitted as they are painted: a value wide in pixels on a row further
// down widens its column when that row shows, unless the user has sized the
// column by hand; rows not painted widen nothing.
void TestXGridView::paintedRowsWidenTheirColumns() {
  QStringList rows;
  for (int i = 0; i < 400; ++i) rows << QStringLiteral("%1|i|i").arg(i);
  rows[300] = "300|" + QString(30, QLatin1Char('W')) + '|' + QString(30, QLatin1Char('M'));
  auto grid = Grid(rows);
  grid->SetFitPaintedRows(true);
  QVERIFY(Show(grid.get()));
  QApplication::processEvents();
  QCOMPARE(grid->columnWidth(1), 60);
  QCOMPARE(grid->columnWidth(2), 60);

  // The user narrows column 2 by its divider.
  QHeaderView *head = grid->horizontalHeader();
  const int y = head->height() / 2;
  const int divider = head->sectionViewportPosition(2) + head->sectionSize(2) - 1;
  SendMouse(head->viewport(), QEvent::MouseButtonPress, QPoint(divider, y), Qt::LeftButton, Qt::LeftButton);
  SendMouse(head->viewport(), QEvent::MouseMove, QPoint(divider - 10, y), Qt::NoButton, Qt::LeftButton);
  SendMouse(head->viewport(), QEvent::MouseButtonRelease, QPoint(divider - 10, y), Qt::LeftButton, Qt::NoButton);
  QCOMPARE(grid->columnWidth(2), 50);

  grid->scrollTo(grid->model()->index(300, 0));
  grid->viewport()->repaint();
  QApplication::processEvents();
  QCOMPARE(grid->columnWidth(1), grid->TextWidth(QString(30, QLatin1Char('W'))) + 20);
  QCOMPARE(grid->columnWidth(2), 50);
  QCOMPARE(grid->columnWidth(0), 60);
}

// Whatever a painted cell holds (pairs that kern, ligatures, wide and
// narrow letters, other scripts), its column ends at least as wide as the
// rule asks; cells whose sum of advances is clearly narrower are only
// spared the measurement.
void TestXGridView::paintedCellsAllFit() {
  const QStringList texts{"AVAVAVAVAVAV", "ffiffiffiffl", "To.To.To.To.", "LT'LT'LT'LT'", "WAWAWAWAWAWA",
                          "iiiiiiiiiiii", "1111111111111", "Yo, Yo, Yo, ", "été à Orléans",
                          "日本語テキスト", "mmmmmmmmmm", "r.r.r.r.r.r."};
  QStringList rows;
  for (int i = 0; i < 24; ++i)
    rows << QStringLiteral("%1|%2|%3|%4")
                .arg(i)
                .arg(texts[i % texts.size()].left(4 + i % 9))
                .arg(texts[(i * 5) % texts.size()])
                .arg(texts[(i * 7) % texts.size()].repeated(1 + i % 3));
  auto grid = Grid(rows);
  grid->resize(500, 800);
  grid->SetFitPaintedRows(true);
  QVERIFY(Show(grid.get()));
  QApplication::processEvents();
  QVERIFY(grid->rowAt(grid->viewport()->height() - 1) < 0);  // every row painted
  for (int row = 0; row < grid->RowCount(); ++row)
    for (int column = 0; column < 4; ++column)
      QVERIFY2(grid->columnWidth(column) >= grid->TextWidth(grid->CellText(row, column)) + 20,
               qPrintable(grid->CellText(row, column)));
}

void TestXGridView::dividerDragReportsColumnAndWidth() {
  auto grid = Grid(kRows);
  QVERIFY(Show(grid.get()));
  QSignalSpy begin(grid.get(), &TXGridView::OnBeginColumnResize);
  QSignalSpy track(grid.get(), &TXGridView::OnColumnResize);
  QSignalSpy end(grid.get(), &TXGridView::OnEndColumnResize);
  grid->setColumnWidth(2, 90);  // by the program: no drag
  QCOMPARE(track.count(), 0);

  QHeaderView *head = grid->horizontalHeader();
  QWidget *viewport = head->viewport();
  const int y = head->height() / 2;
  const int divider = head->sectionViewportPosition(2) + head->sectionSize(2) - 1;
  SendMouse(viewport, QEvent::MouseButtonPress, QPoint(divider, y), Qt::LeftButton, Qt::LeftButton);
  SendMouse(viewport, QEvent::MouseMove, QPoint(divider + 20, y), Qt::NoButton, Qt::LeftButton);
  SendMouse(viewport, QEvent::MouseButtonRelease, QPoint(divider + 20, y), Qt::LeftButton, Qt::NoButton);
  QCOMPARE(begin.count(), 1);
  QCOMPARE(begin[0][0].value<TXGridView *>(), grid.get());
  QCOMPARE(begin[0][1].toInt(), 2);
  QCOMPARE(begin[0][2].toInt(), 90);
  QCOMPARE(track.count(), 1);
  QCOMPARE(track[0][2].toInt(), 110);
  QCOMPARE(end.count(), 1);
  QCOMPARE(end[0][1].toInt(), 2);
  QCOMPARE(end[0][2].toInt(), 110);
  QCOMPARE(grid->SortType(), TXGridView::stNone);  // a drag is no click
  QCOMPARE(grid->HeaderItemColumn(1), 1);
  QCOMPARE(grid->HeaderItemColumn(7), -1);
}

QTEST_MAIN(TestXGridView)
#include "TestXGridView.moc"
