// Waiting for a request with the window alive: the event loop keeps
// running, the user can start nothing else, the box comes after half a
// second, its lines read by a screen reader as they show, and "Annuler" or
// Escape ends the wait at once with no rows and no error box; the next
// request then works. Against the tests' loopback server, stalled in the
// ways a dead or slow host stalls.
#include "MainWindowFixture.h"
#include "NoProxy.h"
#include "RecordingServer.h"
#include "TActionList.h"
#include "TfrmDialog.h"
#include "TfrmMain.h"
#include "TfrmRequestWait.h"
#include "TWebService.h"
#include "TXGridView.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QPushButton>
#include <QtTest>

#include <functional>

namespace {

using After = RecordingServer::After;

// Measures the longest pause of the event loop: a 10 ms timer's runs.
class TLoopWatch {
 public:
  TLoopWatch() {
    FTimer.setInterval(10);
    QObject::connect(&FTimer, &QTimer::timeout, [this] {
      FLongest = std::max(FLongest, FClock.restart());
    });
    FClock.start();
    FTimer.start();
  }
  qint64 LongestGapMs() const { return FLongest; }

 private:
  QTimer FTimer;
  QElapsedTimer FClock;
  qint64 FLongest = 0;
};

QString AccessibleName(QWidget *widget) {
  QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
  return accessible ? accessible->text(QAccessible::Name) : QStringLiteral("(none)");
}

// Runs `act` on the wait box as soon as it shows, from the event loop the
// wait keeps going.
void OnWaitBox(std::function<void(TfrmRequestWait *)> act) {
  auto *poll = new QTimer(qApp);
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, act = std::move(act)] {
    for (QWidget *top : QApplication::topLevelWidgets()) {
      auto *box = qobject_cast<TfrmRequestWait *>(top);
      if (box && box->isVisible()) {
        poll->stop();
        poll->deleteLater();
        act(box);
        return;
      }
    }
  });
  poll->start();
}

}  // namespace

class TestRequestWait : public QObject {
  Q_OBJECT

 private:
  TMainWindowFixture F;
  std::unique_ptr<RecordingServer> FServer;

  void Point(TWebService &ws) {
    ws.Settings.WebServer = FServer->Url();
    ws.Service = QStringLiteral("SQL");
    ws.SetTimeouts(20000, 20000);
  }

 private slots:
  void initTestCase() {
    NoProxy::Unset();
  }
  void init() {
    QVERIFY(F.IsValid());
    FServer = std::make_unique<RecordingServer>();
    TfrmDialog::ClearAnswers();
    F.Start();
  }
  void cleanup() {
    F.Stop();
    FServer.reset();
  }

  void cancelAStalledRequest_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("byteDelayMs");
    QTest::addColumn<bool>("escape");  // Escape, or a click on "Annuler"
    QTest::newRow("never answering") << QByteArray() << 0 << true;
    QTest::newRow("headers then nothing")
        << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nn\n") << 0 << false;
    QTest::newRow("a byte a second") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\nn\n1\n2\n3\n")
                                     << 1000 << true;
  }
  void cancelAStalledRequest() {
    QFETCH(QByteArray, reply);
    QFETCH(int, byteDelayMs);
    QFETCH(bool, escape);
    TWebService ws;
    Point(ws);
    FServer->Enqueue({reply, After::Stall, byteDelayMs});
    const int boxes = TfrmDialog::ShownCount();
    QElapsedTimer clock;
    qint64 shownAt = -1;
    qint64 cancelledAt = -1;
    QString what;
    // The box's lines as shown, and as a screen reader reads them.
    QStringList shown, heard;
    QString heardCancelling;
    OnWaitBox([&](TfrmRequestWait *box) {
      shownAt = clock.elapsed();
      what = box->findChild<QLabel *>(QStringLiteral("lbWaitWhat"))->text();
      for (const char *name : {"lbWaitWhat", "lbWaitWhere", "lbWaitElapsed"}) {
        auto *line = box->findChild<QLabel *>(QLatin1String(name));
        shown << line->text();
        heard << AccessibleName(line);
      }
      cancelledAt = clock.elapsed();
      if (escape)
        QTest::keyClick(box, Qt::Key_Escape);
      else
        box->findChild<QPushButton *>(QStringLiteral("btnWaitCancel"))->click();
      heardCancelling = AccessibleName(box->findChild<QLabel *>(QStringLiteral("lbWaitElapsed")));
    });
    TLoopWatch watch;
    clock.start();
    ws.Execute(QStringLiteral("SELECT SLEEP(100)\nFROM dual"));
    const qint64 returnedAt = clock.elapsed();

    QVERIFY2(shownAt >= TfrmRequestWait::kShowAfterMs - 50, qPrintable(QString::number(shownAt)));
    QCOMPARE(what, QStringLiteral("Requête : SELECT SLEEP(100)"));
    QCOMPARE(heard, shown);
    QCOMPARE(heardCancelling, QStringLiteral("Annulation..."));
    QVERIFY2(returnedAt - cancelledAt < 200, qPrintable(QString::number(returnedAt - cancelledAt)));
    QVERIFY2(watch.LongestGapMs() < 100, qPrintable(QString::number(watch.LongestGapMs())));
    QVERIFY(ws.Cancelled());
    QCOMPARE(ws.ErrorText, QStringLiteral("Requête annulée"));
    QCOMPARE(ws.FieldCount(), 0);
    QCOMPARE(TfrmDialog::ShownCount(), boxes);

    // The next request works at once, and the first was sent once.
    FServer->Enqueue(RecordingServer::Ok("n\n7\n"));
    ws.Execute(QStringLiteral("SELECT 7"));
    QCOMPARE(ws.ErrorText, QString());
    QCOMPARE(ws.GetValue(0), QStringLiteral("7"));
    QCOMPARE(ws.Cancelled(), false);
    QCOMPARE(FServer->Requests().size(), 2);
  }

  // While a request waits, nothing else starts: not a second request, not
  // an action, not the user's keys or clicks; the refresh timer waits for
  // the end.
  void nothingElseStartsMeanwhile() {
    F.AddConnection(QStringLiteral("A"), FServer->Url(), QStringLiteral("a"));
    TfrmMain &main = F.Main();
    main.ActionList().Execute(F.W.actRefresh);  // lists "A"
    TWebService ws;
    Point(ws);
    FServer->Enqueue({QByteArray(), After::Stall});
    const int refused = TWebService::RefusedRequests();
    QString second;
    bool actionRan = true;
    QTreeWidgetItem *selected = nullptr;
    QSignalSpy refreshes(F.W.TimerRefresh, &QTimer::timeout);
    OnWaitBox([&](TfrmRequestWait *box) {
      QTest::ignoreMessage(QtWarningMsg,
                           "TWebService: a request was started while another was under way; it is refused");
      ws.Execute(QStringLiteral("SELECT 2"));
      second = ws.ErrorText;
      actionRan = main.ActionList().Execute(F.W.actRefresh);
      selected = F.W.tvDB->currentItem();
      QTest::keyClick(F.W.tvDB, Qt::Key_Down);
      QTest::mouseClick(F.W.tvDB->viewport(), Qt::LeftButton, {},
                        F.W.tvDB->visualItemRect(F.Root()->child(0)).center());
      F.W.TimerRefresh->start();
      QTimer::singleShot(200, box, [box] { QTest::keyClick(box, Qt::Key_Escape); });
    });
    ws.Execute(QStringLiteral("SELECT 1"));
    QCOMPARE(second, QStringLiteral("Une requête est déjà en cours : attendez sa fin ou annulez-la."));
    QCOMPARE(TWebService::RefusedRequests(), refused + 1);
    QVERIFY(!actionRan);
    QCOMPARE(F.W.tvDB->currentItem(), selected);
    QCOMPARE(FServer->Requests().size(), 1);
    QVERIFY(ws.Cancelled());
    // The timer fired during the wait and waited; its refresh ran after.
    QTRY_VERIFY(refreshes.size() >= 2);
    QTRY_VERIFY(!F.W.TimerRefresh->isActive());
  }

  // A load cancelled in the tree ends as a failed one ends, without a box.
  void cancelledLoadShowsNoBox() {
    F.AddConnection(QStringLiteral("A"), FServer->Url(), QStringLiteral("a"));
    F.Main().ActionList().Execute(F.W.actRefresh);
    QTreeWidgetItem *tables = F.Root()->child(0)->child(0);
    FServer->Enqueue({QByteArray(), After::Stall});
    const int boxes = TfrmDialog::ShownCount();
    OnWaitBox([](TfrmRequestWait *box) { QTest::keyClick(box, Qt::Key_Escape); });
    F.W.tvDB->setCurrentItem(tables);
    QCOMPARE(TfrmDialog::ShownCount(), boxes);
    QCOMPARE(tables->childCount(), 0);
    QCOMPARE(F.W.lvTables->topLevelItemCount(), 0);
    QVERIFY(!QApplication::overrideCursor());
  }
};

QTEST_MAIN(TestRequestWait)
#include "TestRequestWait.moc"
