// The list view of every list: sorting by header clicks (texts by bytes,
// columns of numbers by number), the header's sort arrow, rows sorted in
// after a sort, clearing, and the reports of a header divider drag.
#include "TXListView.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

// A row written "id|name|rows|size": fewer fields make a row without the
// later sub-items.
QStringList Row(const QString &line) { return line.split(QLatin1Char('|')); }

// The tables list of the main window, filled with `rows`.
std::unique_ptr<TXListView> TablesList(const QStringList &rows = {}) {
  auto list = std::make_unique<TXListView>();
  list->AddColumn(QStringLiteral("N°"), 35);
  list->AddColumn(QStringLiteral("Nom"), 180);
  list->AddColumn(QStringLiteral("Lignes"), 70, Qt::AlignRight);
  list->AddColumn(QStringLiteral("Taille"), 70, Qt::AlignRight);
  list->AddColumn(QStringLiteral("Créé le"), 120);
  list->AddColumn(QStringLiteral("Modifiée le"), 120);
  list->resize(700, 300);
  for (const QString &row : rows) list->AddItem(Row(row));
  return list;
}

bool Show(QWidget *widget) {
  widget->show();
  return QTest::qWaitForWindowExposed(widget);
}

// The first column of every row, top to bottom.
QStringList Ids(const TXListView &list) {
  QStringList ids;
  for (int i = 0; i < list.topLevelItemCount(); ++i) ids << list.topLevelItem(i)->text(0);
  return ids;
}

void ClickHeader(TXListView &list, int section) {
  QHeaderView *head = list.header();
  const QPoint middle(head->sectionViewportPosition(section) + head->sectionSize(section) / 2,
                      head->height() / 2);
  QTest::mouseClick(head->viewport(), Qt::LeftButton, Qt::NoModifier, middle);
}

void SendMouse(QWidget *target, QEvent::Type type, const QPoint &pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

const QStringList kTables = {
    QStringLiteral("1|clients|10|20"),
    QStringLiteral("2|Articles|9|100"),
    QStringLiteral("3|bons|100|3"),
    QStringLiteral("4|Zones||2048"),
};

}  // namespace

class TestXListView : public QObject {
  Q_OBJECT

 private slots:
  void headerClicks_data();
  void headerClicks();
  void clearResetsTheSortState();
  void rowsAddedLaterAreSortedIn_data();
  void rowsAddedLaterAreSortedIn();
  void textsAmongNumbers_data();
  void textsAmongNumbers();
  void sortArrow();
  void sortTypeAtDesign();
  void sortKeepsCurrentAndSelection();
  void sortKeepsScrollPosition();
  void dividerDragReportsColumnAndWidth_data();
  void dividerDragReportsColumnAndWidth();
};

void TestXListView::headerClicks_data() {
  QTest::addColumn<QStringList>("rows");
  QTest::addColumn<QList<int>>("clicks");
  QTest::addColumn<QStringList>("order");  // ids, top to bottom
  QTest::addColumn<int>("sortColumn");
  QTest::addColumn<int>("sortDirection");

  QTest::newRow("no click: insertion order") << kTables << QList<int>{} << QStringList{"1", "2", "3", "4"} << 0 << 1;
  QTest::newRow("Nom once: ascending, upper case first")
      << kTables << QList<int>{1} << QStringList{"2", "4", "3", "1"} << 1 << 1;
  QTest::newRow("Nom twice: descending") << kTables << QList<int>{1, 1} << QStringList{"1", "3", "4", "2"} << 1 << -1;
  QTest::newRow("Nom thrice: ascending again")
      << kTables << QList<int>{1, 1, 1} << QStringList{"2", "4", "3", "1"} << 1 << 1;
  QTest::newRow("Nom twice then Lignes: ascending by number, the empty one first")
      << kTables << QList<int>{1, 1, 2} << QStringList{"4", "2", "1", "3"} << 2 << 1;
  QTest::newRow("Taille: a column of numbers, 20 before 100")
      << kTables << QList<int>{3} << QStringList{"3", "1", "2", "4"} << 3 << 1;
  QTest::newRow("Taille twice: by number, descending")
      << kTables << QList<int>{3, 3} << QStringList{"4", "2", "1", "3"} << 3 << -1;
  QTest::newRow("first column once: descending")
      << kTables << QList<int>{0} << QStringList{"4", "3", "2", "1"} << 0 << -1;
  QTest::newRow("captions differing only in case")
      << QStringList{"a", "B", "b", "A", "ab", "AB"} << QList<int>{0, 0}
      << QStringList{"A", "AB", "B", "a", "ab", "b"} << 0 << 1;
  QTest::newRow("a text among numbers: 10 before 9, a prefix first")
      << QStringList{"9", "10", "1", "09", "x"} << QList<int>{0, 0} << QStringList{"09", "1", "10", "9", "x"} << 0 << 1;
  // Descending first: 9 and 09 are equal and keep their order both ways.
  QTest::newRow("numbers: 9 before 10, 09 equal to 9")
      << QStringList{"9", "10", "1", "09"} << QList<int>{0, 0} << QStringList{"1", "9", "09", "10"} << 0 << 1;
  QTest::newRow("numbers with NULL and empty values")
      << QStringList{"1|5", "2|NULL", "3|-1", "4|", "5|4.5e1", "6|NULL"} << QList<int>{1}
      << QStringList{"4", "2", "6", "3", "1", "5"} << 1 << 1;
  QTest::newRow("numbers with NULL and empty values, descending")
      << QStringList{"1|5", "2|NULL", "3|-1", "4|", "5|4.5e1", "6|NULL"} << QList<int>{1, 1}
      << QStringList{"5", "1", "3", "2", "6", "4"} << 1 << -1;
  QTest::newRow("only blanks: byte order")
      << QStringList{"1|NULL", "2|", "3|NULL"} << QList<int>{1} << QStringList{"2", "1", "3"} << 1 << 1;
  // Bytes of the 8-bit form, not UTF-16 units: U+FF21 (EF BC A1) comes
  // before U+1F600 (F0 9F 98 80), which UTF-16 would put first.
  QTest::newRow("compared as bytes") << QStringList{QString::fromUtf8("\xF0\x9F\x98\x80"), QStringLiteral("z"),
                                                    QString::fromUtf8("\xEF\xBC\xA1"), QStringLiteral("\u00e9")}
                                     << QList<int>{0, 0}
                                     << QStringList{QStringLiteral("z"), QStringLiteral("\u00e9"),
                                                    QString::fromUtf8("\xEF\xBC\xA1"),
                                                    QString::fromUtf8("\xF0\x9F\x98\x80")}
                                     << 0 << 1;
  QTest::newRow("rows without the sorted sub-item count as empty")
      << QStringList{"1|b", "2", "3|a", "4|"} << QList<int>{1} << QStringList{"2", "4", "3", "1"} << 1 << 1;
  QTest::newRow("rows without the sorted sub-item, descending")
      << QStringList{"1|b", "2", "3|a", "4|"} << QList<int>{1, 1} << QStringList{"1", "3", "2", "4"} << 1 << -1;
  QTest::newRow("equal texts keep their order")
      << QStringList{"1|x", "2|a", "3|x", "4|x"} << QList<int>{1} << QStringList{"2", "1", "3", "4"} << 1 << 1;
}

void TestXListView::headerClicks() {
  QFETCH(QStringList, rows);
  QFETCH(QList<int>, clicks);
  QFETCH(QStringList, order);
  QFETCH(int, sortColumn);
  QFETCH(int, sortDirection);

  auto list = TablesList(rows);
  QVERIFY(Show(list.get()));
  for (int column : clicks) ClickHeader(*list, column);
  QCOMPARE(Ids(*list), order);
  QCOMPARE(list->SortColumn(), sortColumn);
  QCOMPARE(list->SortDirection(), sortDirection);
  QCOMPARE(list->SortType(), clicks.isEmpty() ? TXListView::stNone : TXListView::stText);
}

void TestXListView::clearResetsTheSortState() {
  auto list = TablesList(kTables);
  QVERIFY(Show(list.get()));
  ClickHeader(*list, 1);
  ClickHeader(*list, 1);
  QCOMPARE(list->SortDirection(), -1);

  list->Clear();
  QCOMPARE(list->topLevelItemCount(), 0);
  QCOMPARE(list->SortColumn(), 0);
  QCOMPARE(list->SortDirection(), 1);
  QCOMPARE(list->columnCount(), 6);
  QCOMPARE(list->headerItem()->text(1), QStringLiteral("Nom"));
  QCOMPARE(list->SortType(), TXListView::stText);
  QVERIFY(list->updatesEnabled());

  // Still sorting: refilled rows come in ascending by the first column.
  for (const char *row : {"2|b", "3|c", "1|a"}) list->AddItem(Row(row));
  QCOMPARE(Ids(*list), (QStringList{"1", "2", "3"}));
  ClickHeader(*list, 0);
  QCOMPARE(list->SortDirection(), -1);
  QCOMPARE(Ids(*list), (QStringList{"3", "2", "1"}));
}

void TestXListView::rowsAddedLaterAreSortedIn_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<int>("count");
  QTest::newRow("AddItem") << "AddItem" << 3;
  QTest::newRow("plain item given its texts") << "plain" << 3;
  QTest::newRow("plain items, a few at once") << "batch" << 3;
  QTest::newRow("plain items, many at once") << "batch" << 40;
  QTest::newRow("plain items inserted at the top") << "top" << 3;
  QTest::newRow("caption set before the sub-items") << "captionFirst" << 3;
}

void TestXListView::rowsAddedLaterAreSortedIn() {
  QFETCH(QString, how);
  QFETCH(int, count);

  // Sorted by "Nom", descending, then refilled without Clear.
  auto list = TablesList(kTables);
  QVERIFY(Show(list.get()));
  ClickHeader(*list, 1);
  ClickHeader(*list, 1);
  list->clear();
  for (const QString &row : kTables) list->AddItem(Row(row));

  QList<QTreeWidgetItem *> batch;
  for (int i = 0; i < count; ++i) {
    // Names "n00", "n01", ... added in a scrambled order.
    const int n = (i * 11) % count;
    const QStringList texts{QStringLiteral("x%1").arg(n), QStringLiteral("n%1").arg(n, 2, 10, QLatin1Char('0'))};
    if (how == QLatin1String("AddItem")) {
      list->AddItem(texts);
    } else if (how == QLatin1String("plain")) {
      new QTreeWidgetItem(list.get(), texts);
    } else if (how == QLatin1String("batch")) {
      batch << new QTreeWidgetItem(texts);
    } else if (how == QLatin1String("top")) {
      list->insertTopLevelItem(0, new QTreeWidgetItem(texts));
    } else {
      auto *item = new QTreeWidgetItem(list.get());
      item->setText(0, texts[0]);
      item->setText(1, texts[1]);
    }
  }
  if (!batch.isEmpty()) list->addTopLevelItems(batch);

  QStringList expected;
  for (int n = count - 1; n >= 0; --n) expected << QStringLiteral("x%1").arg(n);
  expected << QStringList{"1", "3", "4", "2"};  // clients, bons, Zones, Articles
  QCOMPARE(Ids(*list), expected);
  QCOMPARE(list->topLevelItemCount(), count + 4);
}

// A list sorted by a column of numbers, then given a text there (or a
// blank, or rid of its only text): the whole column changes rule.
void TestXListView::textsAmongNumbers_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<QString>("size");  // of the row added or changed
  QTest::addColumn<QStringList>("order");
  QTest::addColumn<bool>("numbers");
  QTest::newRow("AddItem of a text") << "AddItem" << "abc" << QStringList{"2", "1", "4", "3", "5"} << false;
  QTest::newRow("AddItem of NULL") << "AddItem" << "NULL" << QStringList{"5", "3", "1", "2", "4"} << true;
  QTest::newRow("AddItem of a number") << "AddItem" << "50" << QStringList{"3", "1", "5", "2", "4"} << true;
  QTest::newRow("plain item of a text") << "plain" << "abc" << QStringList{"2", "1", "4", "3", "5"} << false;
  QTest::newRow("plain item of a number") << "plain" << "50" << QStringList{"3", "1", "5", "2", "4"} << true;
  QTest::newRow("a number changed into a text") << "change" << "abc" << QStringList{"2", "1", "4", "3"} << false;
  QTest::newRow("a number changed into another") << "change" << "500" << QStringList{"1", "2", "3", "4"} << true;
  QTest::newRow("the only text changed into a number")
      << "changeBack" << "50" << QStringList{"3", "1", "5", "2", "4"} << true;
  QTest::newRow("the only text removed") << "remove" << "" << QStringList{"3", "1", "2", "4"} << true;
}

void TestXListView::textsAmongNumbers() {
  QFETCH(QString, how);
  QFETCH(QString, size);
  QFETCH(QStringList, order);
  QFETCH(bool, numbers);

  auto list = TablesList(kTables);
  QVERIFY(Show(list.get()));
  ClickHeader(*list, 3);  // "Taille": 20, 100, 3, 2048
  QCOMPARE(Ids(*list), (QStringList{"3", "1", "2", "4"}));
  QVERIFY(list->SortsByNumber());
  const QStringList row{"5", "e", "1", size};
  if (how == QLatin1String("AddItem")) {
    list->AddItem(row);
  } else if (how == QLatin1String("plain")) {
    new QTreeWidgetItem(list.get(), row);
  } else if (how == QLatin1String("change")) {
    list->findItems(QStringLiteral("3"), Qt::MatchExactly).value(0)->setText(3, size);
  } else {
    QTreeWidgetItem *text = list->AddItem({"5", "e", "1", "abc"});
    QCOMPARE(Ids(*list), (QStringList{"2", "1", "4", "3", "5"}));
    QVERIFY(!list->SortsByNumber());
    if (how == QLatin1String("changeBack"))
      text->setText(3, size);
    else
      delete text;
  }
  QCOMPARE(Ids(*list), order);
  QCOMPARE(list->SortsByNumber(), numbers);
}

// An arrow in the header shows the sorted column and direction whenever
// the rows are sorted, and none while they are in insertion order.
void TestXListView::sortArrow() {
  const auto arrow = [](const TXListView &list) {
    const QHeaderView *head = list.header();
    if (!head->isSortIndicatorShown()) return QString("none");
    return QStringLiteral("%1 %2").arg(head->sortIndicatorSection()).arg(
        head->sortIndicatorOrder() == Qt::AscendingOrder ? "up" : "down");
  };
  auto list = TablesList(kTables);
  QVERIFY(Show(list.get()));
  QCOMPARE(arrow(*list), QString("none"));
  ClickHeader(*list, 1);
  QCOMPARE(arrow(*list), QString("1 up"));
  ClickHeader(*list, 1);
  QCOMPARE(arrow(*list), QString("1 down"));
  ClickHeader(*list, 3);
  QCOMPARE(arrow(*list), QString("3 up"));
  list->Clear();
  QCOMPARE(arrow(*list), QString("0 up"));  // still sorting, by the first column
  ClickHeader(*list, 0);
  QCOMPARE(arrow(*list), QString("0 down"));

  // Sorting set before the columns exist, as a form may do.
  TXListView assist;
  assist.SetSortType(TXListView::stText);
  assist.AddColumn(QStringLiteral("Tables"), 150);
  assist.AddColumn(QStringLiteral("Autre"), 50);
  QCOMPARE(arrow(assist), QString("0 up"));
  TXListView plain;
  plain.AddColumn(QStringLiteral("Tables"), 150);
  QCOMPARE(arrow(plain), QString("none"));
}

void TestXListView::sortTypeAtDesign() {
  auto sorted = TablesList();
  sorted->SetSortType(TXListView::stText);
  auto unsorted = TablesList();
  for (const char *row : {"b|1", "C|2", "a|3", "b|4"}) {
    sorted->AddItem(Row(row));
    unsorted->AddItem(Row(row));
  }
  const auto seconds = [](const TXListView &list) {
    QStringList texts;
    for (int i = 0; i < list.topLevelItemCount(); ++i) texts << list.topLevelItem(i)->text(1);
    return texts;
  };
  // Equal captions stay in the order they came.
  QCOMPARE(seconds(*sorted), (QStringList{"2", "3", "1", "4"}));
  QCOMPARE(seconds(*unsorted), (QStringList{"1", "2", "3", "4"}));
  QCOMPARE(unsorted->SortType(), TXListView::stNone);

  // Setting it on a filled list sorts what is there.
  unsorted->SetSortType(TXListView::stText);
  QCOMPARE(seconds(*unsorted), (QStringList{"2", "3", "1", "4"}));
}

void TestXListView::sortKeepsCurrentAndSelection() {
  auto list = TablesList(kTables);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  QVERIFY(Show(list.get()));
  QTreeWidgetItem *clients = list->topLevelItem(0);
  QTreeWidgetItem *bons = list->topLevelItem(2);
  list->setCurrentItem(clients);
  bons->setSelected(true);
  QSignalSpy currentChanged(list.get(), &QTreeWidget::currentItemChanged);
  QSignalSpy selectionChanged(list.get(), &QTreeWidget::itemSelectionChanged);

  ClickHeader(*list, 1);
  QCOMPARE(Ids(*list), (QStringList{"2", "4", "3", "1"}));
  QCOMPARE(list->currentItem(), clients);
  QCOMPARE(list->topLevelItem(3), clients);  // the same item, moved
  QVERIFY(clients->isSelected());
  QVERIFY(bons->isSelected());
  QCOMPARE(list->selectedItems().size(), 2);
  QCOMPARE(currentChanged.count(), 0);
  QCOMPARE(selectionChanged.count(), 0);
}

void TestXListView::sortKeepsScrollPosition() {
  QStringList rows;
  for (int i = 0; i < 300; ++i) rows << QStringLiteral("%1|t%2").arg(i).arg(299 - i, 3, 10, QLatin1Char('0'));
  auto list = TablesList(rows);
  QVERIFY(Show(list.get()));
  list->scrollToItem(list->topLevelItem(150), QAbstractItemView::PositionAtTop);
  const int position = list->verticalScrollBar()->value();
  QVERIFY(position > 0);
  ClickHeader(*list, 1);
  QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("299"));
  QCOMPARE(list->verticalScrollBar()->value(), position);
}

void TestXListView::dividerDragReportsColumnAndWidth_data() {
  QTest::addColumn<QString>("caption");  // of the third column, whose divider is dragged
  QTest::addColumn<int>("other");        // another column and its caption
  QTest::addColumn<QString>("otherCaption");
  QTest::addColumn<int>("columnIndex");
  QTest::newRow("Lignes") << "Lignes" << 4 << "Créé le" << 2;
  QTest::newRow("caption shared with an earlier column: own index first") << "Lignes" << 1 << "Lignes" << 2;
  QTest::newRow("127 characters") << QString(127, QLatin1Char('x')) << 4 << "Créé le" << 2;
  QTest::newRow("128 characters") << QString(128, QLatin1Char('x')) << 4 << "Créé le" << -1;
  QTest::newRow("300 characters") << QString(300, QLatin1Char('x')) << 4 << "Créé le" << -1;
  // The cut text is looked up among all captions.
  QTest::newRow("cut text names another column")
      << QString(127, QLatin1Char('y')) + QLatin1Char('z') << 4 << QString(127, QLatin1Char('y')) << 4;
}

void TestXListView::dividerDragReportsColumnAndWidth() {
  QFETCH(QString, caption);
  QFETCH(int, other);
  QFETCH(QString, otherCaption);
  QFETCH(int, columnIndex);

  auto list = TablesList(kTables);
  list->headerItem()->setText(2, caption);
  list->headerItem()->setText(other, otherCaption);
  QVERIFY(Show(list.get()));
  QSignalSpy begin(list.get(), &TXListView::OnBeginColumnResize);
  QSignalSpy track(list.get(), &TXListView::OnColumnResize);
  QSignalSpy end(list.get(), &TXListView::OnEndColumnResize);

  // A width set by the program is no drag.
  list->setColumnWidth(2, 90);
  list->setColumnWidth(2, 70);
  QCOMPARE(track.count(), 0);

  QHeaderView *head = list->header();
  QWidget *viewport = head->viewport();
  const int y = head->height() / 2;
  const int divider = head->sectionViewportPosition(2) + head->sectionSize(2) - 1;
  SendMouse(viewport, QEvent::MouseButtonPress, QPoint(divider, y), Qt::LeftButton, Qt::LeftButton);
  QCOMPARE(begin.count(), 1);
  QCOMPARE(begin[0][0].value<TXListView *>(), list.get());
  QCOMPARE(begin[0][1].toInt(), columnIndex);
  QCOMPARE(begin[0][2].toInt(), 70);

  SendMouse(viewport, QEvent::MouseMove, QPoint(divider + 10, y), Qt::NoButton, Qt::LeftButton);
  SendMouse(viewport, QEvent::MouseMove, QPoint(divider + 30, y), Qt::NoButton, Qt::LeftButton);
  QCOMPARE(track.count(), 2);
  QCOMPARE(track[0][1].toInt(), columnIndex);
  QCOMPARE(track[0][2].toInt(), 80);
  QCOMPARE(track[1][2].toInt(), 100);
  QCOMPARE(end.count(), 0);

  SendMouse(viewport, QEvent::MouseButtonRelease, QPoint(divider + 30, y), Qt::LeftButton, Qt::NoButton);
  QCOMPARE(end.count(), 1);
  QCOMPARE(end[0][0].value<TXListView *>(), list.get());
  QCOMPARE(end[0][1].toInt(), columnIndex);
  QCOMPARE(end[0][2].toInt(), 100);
  QCOMPARE(list->columnWidth(2), 100);
  QCOMPARE(begin.count(), 1);
  QCOMPARE(track.count(), 2);
  // A divider drag is no header click.
  QCOMPARE(list->SortType(), TXListView::stNone);
  QCOMPARE(Ids(*list), (QStringList{"1", "2", "3", "4"}));

  // A click in the middle of a header is no drag.
  ClickHeader(*list, 3);
  QCOMPARE(begin.count(), 1);
  QCOMPARE(end.count(), 1);
}

QTEST_MAIN(TestXListView)
#include "TestXListView.moc"
