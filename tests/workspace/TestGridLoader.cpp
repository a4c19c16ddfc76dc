// FillListView against the loopback server: the label and its hint, the
// columns and rows, errors, rows without field names, the busy cursor and
// its shape, the width rule, and a grid the user had sorted.

#include "NoProxy.h"
#include "RecordingServer.h"
#include "TWebService.h"
#include "TXGridView.h"
#include "UGridLoader.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <algorithm>
#include <new>

namespace {

using Rows = QList<QStringList>;

// The data page in small: a label over a grid, and the client.
struct Page {
  RecordingServer server;
  TWebService ws;
  QWidget window;
  QLabel *label;
  TXGridView *grid;

  Page() : label(new QLabel(&window)), grid(new TXGridView(&window)) {
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(label);
    layout->addWidget(grid, 1);
    window.resize(700, 900);
    ws.Settings.WebServer = server.Url();
    ws.Service = QStringLiteral("SQL");
    ws.SetTimeouts(2000, 2000);
  }
  void Fill(const QByteArray &answer, const QString &sql = QStringLiteral("SELECT * FROM t")) {
    server.Enqueue(RecordingServer::Ok(answer));
    FillListView(ws, grid, label, sql);
  }
  Rows Shown() const {
    Rows rows;
    for (int row = 0; row < grid->RowCount(); ++row) {
      QStringList values;
      for (int column = 0; column < grid->ColumnCount(); ++column) values << grid->CellText(row, column);
      rows << values;
    }
    return rows;
  }
};

// What the loader left behind on every path: no busy cursor, a grid that
// redraws, and a hint equal to the label.
bool Restored(const Page &page) {
  return QApplication::overrideCursor() == nullptr && page.grid->updatesEnabled() &&
         page.label->toolTip() == page.label->text();
}

}  // namespace

class TestGridLoader : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    NoProxy::Unset();
  }

  void answers_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<Rows>("rows");

    QByteArray many = "n\n";
    Rows manyRows;
    for (int i = 0; i < 25; ++i) {
      many += QByteArray::number(i) + '\n';
      manyRows << QStringList{QString::number(i)};
    }
    QTest::newRow("no row: the columns, 0 records")
        << QByteArray("id\tnom\n") << "0 enregistrement(s)" << QStringList{"id", "nom"} << Rows();
    QTest::newRow("one row") << QByteArray("id\tnom\n7\tsept\n") << "1 enregistrement(s)"
                             << QStringList{"id", "nom"} << Rows{{"7", "sept"}};
    QTest::newRow("25 rows, in the answer's order") << many << "25 enregistrement(s)" << QStringList{"n"}
                                                    << manyRows;
    QTest::newRow("short rows: trailing cells empty")
        << QByteArray("a\tb\tc\nx\nx\ty\n\n") << "3 enregistrement(s)" << QStringList{"a", "b", "c"}
        << Rows{{"x", "", ""}, {"x", "y", ""}, {"", "", ""}};
    QTest::newRow("long rows: values past the header not shown")
        << QByteArray("a\nx\ty\n") << "1 enregistrement(s)" << QStringList{"a"} << Rows{{"x"}};
    QTest::newRow("escapes undone, bytes decoded")
        << QByteArray("a\tb\nx\\ty\tcaf\xc3\xa9\\n\n") << "1 enregistrement(s)" << QStringList{"a", "b"}
        << Rows{{"x\ty", "caf\u00e9\n"}};
    QTest::newRow("rows without field names: an empty header line")
        << QByteArray("\n1\t2\n3\n") << "2 enregistrement(s)" << QStringList{"(sans nom)"} << Rows{{"1"}, {"3"}};
    QTest::newRow("rows without field names: $ERR with no message")
        << QByteArray("$ERR \nsuite\tx\n") << "2 enregistrement(s)" << QStringList{"(sans nom)"}
        << Rows{{"$ERR "}, {"suite"}};
    QTest::newRow("empty answer") << QByteArray() << "0 enregistrement(s)" << QStringList() << Rows();
  }

  void answers() {
    QFETCH(QByteArray, answer);
    QFETCH(QString, label);
    QFETCH(QStringList, captions);
    QFETCH(Rows, rows);

    Page page;
    page.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page.window));
    page.Fill("old\nrow\n");  // a previous result, all of which must go
    page.Fill(answer);
    QCOMPARE(page.label->text(), label);
    QCOMPARE(page.grid->Captions(), captions);
    QCOMPARE(page.Shown(), rows);
    QVERIFY(Restored(page));
    QCOMPARE(page.ws.ErrorText, QString());
    QVERIFY(page.ws.Eof());
    QVERIFY(page.server.Requests().last().body.endsWith("&WS_query=SELECT+*+FROM+t"));
  }

  // An error leaves the list empty and without columns, and the message
  // in the label and its hint; no dialog.
  void errors_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("label");  // empty: whatever the client says
    QTest::newRow("error answer") << "answer" << "Table 'x' doesn't exist";
    QTest::newRow("known refusal") << "refusal"
        << QStringLiteral("MySQL refuse le compte ou le mot de passe : vérifiez le compte MySQL et son mot de "
                          "passe dans la connexion, et que ce compte a le droit de se connecter depuis le "
                          "serveur web. Access denied for user 'shop'@'localhost' (using password: YES)");
    QTest::newRow("HTTP status") << "status"
        << QStringLiteral("Le serveur web a échoué en exécutant ws.php (erreur interne) : consultez le journal "
                          "d'erreurs du serveur web et de PHP. Internal Server Error (500) - '%1/ws.php");
    QTest::newRow("unreachable web server") << "unreachable" << "";
  }

  void errors() {
    QFETCH(QString, kind);
    QFETCH(QString, label);

    Page page;
    page.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page.window));
    page.Fill("a\tb\n1\t2\n");
    if (kind == QLatin1String("answer")) {
      page.Fill("$ERR Table 'x' doesn't exist\n");
    } else if (kind == QLatin1String("refusal")) {
      page.Fill("$ERR Access denied for user 'shop'@'localhost' (using password: YES)\n");
    } else if (kind == QLatin1String("status")) {
      page.server.Enqueue(RecordingServer::Status(500, "Internal Server Error"));
      FillListView(page.ws, page.grid, page.label, "SELECT 1");
    } else {
      quint16 port = 0;
      {
        const RecordingServer gone;  // a loopback port nobody listens on any more
        port = gone.Port();
      }
      page.ws.Settings.WebServer = QStringLiteral("http://127.0.0.1:%1").arg(port);
      FillListView(page.ws, page.grid, page.label, "SELECT 1");
    }
    QVERIFY(!page.ws.ErrorText.isEmpty());
    QCOMPARE(page.label->text(), page.ws.ErrorText);
    if (!label.isEmpty()) {
      const QString start = label.contains(QLatin1String("%1")) ? label.arg(page.server.Url()) : label;
      QVERIFY2(page.label->text().startsWith(start), qPrintable(page.label->text()));
    }
    QCOMPARE(page.grid->RowCount(), 0);
    QCOMPARE(page.grid->ColumnCount(), 0);
    QVERIFY(Restored(page));
  }

  // During the request: the emptied grid, "Chargement..." and the busy
  // cursor, the SQL one only when Service is exactly "SQL".
  void busyCursor_data() {
    QTest::addColumn<QString>("service");
    QTest::addColumn<int>("shape");
    QTest::newRow("SQL") << "SQL" << int(Qt::BusyCursor);
    QTest::newRow("empty Service: the hourglass") << "" << int(Qt::WaitCursor);
    QTest::newRow("sql in lower case: the hourglass") << "sql" << int(Qt::WaitCursor);
  }

  void busyCursor() {
    QFETCH(QString, service);
    QFETCH(int, shape);

    Page page;
    page.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page.window));
    page.Fill("a\n1\n2\n");
    page.ws.Service = service;
    int seenShape = -1;
    QString seenLabel;
    int seenRows = -1;
    int seenColumns = -1;
    // Runs while the loader lets the waiting events through, before the
    // request.
    QTimer::singleShot(0, [&] {
      if (const QCursor *cursor = QApplication::overrideCursor()) seenShape = int(cursor->shape());
      seenLabel = page.label->text();
      seenRows = page.grid->RowCount();
      seenColumns = page.grid->ColumnCount();
    });
    page.Fill("b\n3\n");
    QCOMPARE(seenShape, shape);
    QCOMPARE(seenLabel, QString("Chargement..."));
    QCOMPARE(seenRows, 0);
    QCOMPARE(seenColumns, 0);
    QCOMPARE(page.label->text(), QString("1 enregistrement(s)"));
    QVERIFY(Restored(page));
    QCOMPARE(page.server.Requests().last().body.contains("WS_service=SQL&"), service == QLatin1String("SQL"));
  }

  // Every column as wide as the larger of 50 pixels and its widest text,
  // caption included, plus 20: before the grid shows for the texts longest
  // in bytes, and once its rows are painted for all of them.
  void widthRule() {
    Page page;
    QByteArray answer = "une l\xc3\xa9gende bien plus large que ses valeurs\tn\tnote\tmots\n";
    // Thirty values longer in bytes than the widest one in pixels.
    for (int i = 0; i < 30; ++i) answer += QByteArray::number(i % 10) + "\t" + QByteArray::number(i) + "\t\t" +
                                           QByteArray(12, 'i') + "\n";
    answer += "1\t123456789012\tdeux\\nlignes\tWWWWWWWW\n";
    page.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page.window));
    page.Fill(answer);
    QCOMPARE(page.grid->RowCount(), 31);
    const auto width = [&](const QString &text) { return std::max(50, page.grid->TextWidth(text) + 20); };
    const QString caption = QString::fromUtf8("une l\xc3\xa9gende bien plus large que ses valeurs");
    QCOMPARE(page.grid->columnWidth(0), width(caption));
    QCOMPARE(page.grid->columnWidth(1), width("123456789012"));
    // Measured on one line, as shown.
    QCOMPARE(page.grid->columnWidth(2), width("deux lignes"));
    QVERIFY(page.grid->TextWidth("deux\nlignes") > page.grid->TextWidth("lignes"));
    QCOMPARE(page.grid->columnWidth(3), width(QString(12, QLatin1Char('i'))));

    // All 31 rows painted: the narrow-in-bytes value widens its column.
    QVERIFY(page.grid->rowAt(page.grid->viewport()->height() - 1) < 0);
    page.window.repaint();
    QApplication::processEvents();
    QCOMPARE(page.grid->columnWidth(3), width("WWWWWWWW"));
    QCOMPARE(page.grid->columnWidth(0), width(caption));

    // A narrow answer: columns of 50.
    page.Fill("a\tb\n1\t\n");
    QCOMPARE(page.grid->columnWidth(0), 50);
    QCOMPARE(page.grid->columnWidth(1), 50);
  }

  // A caption or a value of megabytes (an answer gone wrong, all on one
  // line) is taken up to its first 4096 bytes: the caption shown with an
  // ellipsis, without the character the cut broke, the widths those bytes'.
  void hugeCaptionAndValue() {
    Page page;
    const QByteArray e = "\xc3\xa9";
    const QByteArray name = "x" + e.repeated(300000);
    page.Fill(name + "\tb\n1\t" + QByteArray(3 << 20, 'y') + "\n");
    QCOMPARE(page.label->text(), QString("1 enregistrement(s)"));
    const QString shown = "x" + QString(2047, QChar(0xe9)) + QChar(0x2026);
    QCOMPARE(page.grid->Captions(), (QStringList{shown, "b"}));
    QCOMPARE(page.grid->columnWidth(0), page.grid->TextWidth(shown) + 20);
    QCOMPARE(page.grid->columnWidth(1), page.grid->TextWidth(QString(4096, QLatin1Char('y'))) + 20);
    QCOMPARE(page.grid->CellText(0, 1).size(), 3 << 20);  // the value itself is whole
  }

  // A header of a million tabs (a page gone wrong): the first 4096 columns
  // are shown, promptly, and the label says how many the answer had.
  void headerOfTooManyColumns() {
    Page page;
    QByteArray header = "a";
    for (int i = 1; i < 1000000; ++i) header += "\tc";
    page.Fill(header + "\n1\t2\n");
    QCOMPARE(page.label->text(), QString("1 enregistrement(s) (4096 colonnes affichées sur 1000000)"));
    QCOMPARE(page.grid->ColumnCount(), 4096);
    QCOMPARE(page.grid->Captions().first(), QString("a"));
    QCOMPARE(page.grid->CellText(0, 1), QString("2"));
  }

  // More rows than the grid shows (tiny lines, where its own cost per row
  // would be several times the answer): the first 2^24, and the label says
  // so; the last one shown is the right row.
  void answerOfTooManyRows() {
    Page page;
    constexpr int kShown = 1 << 24;
    QByteArray answer = "n\n" + QByteArray("7\n").repeated(kShown - 1) + "last\n" + QByteArray("8\n").repeated(2);
    page.Fill(answer);
    QCOMPARE(page.label->text(),
             QString("%1 enregistrement(s) (%2 premières lignes affichées)").arg(kShown + 2).arg(kShown));
    QCOMPARE(page.grid->RowCount(), kShown);
    QCOMPARE(page.grid->CellText(kShown - 1, 0), QString("last"));
    QCOMPARE(page.grid->CellText(0, 0), QString("7"));
  }

  // Once the user has sorted the grid, the next fill comes sorted by the
  // first column, ascending, with the sort state reset.
  void fillOfASortedGrid() {
    Page page;
    page.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page.window));
    page.Fill("n\tt\n2\tb\n1\tc\n");
    page.grid->ColumnClicked(1);
    page.grid->ColumnClicked(1);
    QCOMPARE(page.grid->SortDirection(), -1);
    page.Fill("n\tt\n10\tx\n9\ty\n100\tz\n");
    QCOMPARE(page.grid->SortColumn(), 0);
    QCOMPARE(page.grid->SortDirection(), 1);
    QCOMPARE(page.Shown(), (Rows{{"9", "y"}, {"10", "x"}, {"100", "z"}}));
  }

  // An exception out of the fill (here from the grid's header, as a
  // failed allocation would come) still ends the busy cursor and the
  // suspended redrawing, and the hint still follows the label.
  void exceptionEndsTheBusyState() {
    Page page;
    bool thrown = false;
    QObject::connect(page.grid->horizontalHeader(), &QHeaderView::sectionCountChanged, page.grid, [&] {
      if (thrown) return;
      thrown = true;
      throw std::bad_alloc();
    });
    QVERIFY_THROWS_EXCEPTION(std::bad_alloc, page.Fill("a\tb\n1\t2\n"));
    QVERIFY(thrown);
    QCOMPARE(page.label->text(), QString("1 enregistrement(s)"));
    QVERIFY(Restored(page));
    page.Fill("a\tb\n1\t2\n");  // and the next fill is whole
    QCOMPARE(page.Shown(), (Rows{{"1", "2"}}));
    QVERIFY(Restored(page));
  }

  // The grid keeps its rows, the answer's own bytes, after the client has
  // run other statements.
  void rowsOutliveTheNextExecute() {
    Page page;
    page.Fill("a\tb\n1\tun\n2\tdeux\n");
    page.server.Enqueue(RecordingServer::Ok("c\nautre\n"));
    page.ws.Execute("SELECT c");
    QCOMPARE(page.ws.GetValue(0), QString("autre"));
    QCOMPARE(page.Shown(), (Rows{{"1", "un"}, {"2", "deux"}}));
  }
};

QTEST_MAIN(TestGridLoader)
#include "TestGridLoader.moc"
