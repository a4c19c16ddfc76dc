// The message dialog on screens smaller than its message: it wraps and
// scrolls to stay on the screen of the window it is shown over, and its text
// can be copied. Runs on two offscreen screens of its own: a wide primary and
// a small one of 1280 x 720 on its right.
#include "ModalHelper.h"
#include "TSkinForm.h"
#include "TfrmDialog.h"

#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QScreen *Screen(const QString &name) {
  for (QScreen *s : QGuiApplication::screens())
    if (s->name() == name) return s;
  return nullptr;
}

// The refused-connection message as it reached users: one line of about
// 1,600 pixels.
QString RefusedMessage() {
  return QStringLiteral(
      "Impossible de joindre le serveur web http://demo.example.invalid:8080/vantrel/ws.php : "
      "Failed to connect to demo.example.invalid port 8080 after 2 ms: Connection refused. "
      "Vérifiez l'adresse du serveur web dans les propriétés de la connexion, que le serveur "
      "web est démarré et qu'aucun pare-feu ne bloque le port.");
}

QString ManyLines(int count) {
  QStringList lines;
  for (int i = 1; i <= count; ++i) lines << QStringLiteral("Ligne %1 du message").arg(i);
  return lines.join(QLatin1Char('\n'));
}

// What the shown dialog looked like, in global coordinates.
struct TSeen {
  QString screen;
  QRect frame;
  QSize client;
  QList<QRect> buttons;
  bool wraps = false;
  bool scrolls = false;
  int scrollRange = 0;
  QString text;
  int lineHeight = 0;
  int labelHeight = 0;
  int labelWidth = 0;
};

TSeen Look(QWidget *dlg) {
  TSeen seen;
  seen.screen = dlg->screen()->name();
  seen.frame = dlg->frameGeometry();
  seen.client = dlg->size();
  for (QPushButton *b : dlg->findChildren<QPushButton *>())
    if (b->isVisible()) seen.buttons << QRect(b->mapToGlobal(QPoint(0, 0)), b->size());
  if (auto *lb = dlg->findChild<QLabel *>(QStringLiteral("lbMsg"))) {
    seen.wraps = lb->wordWrap();
    seen.text = lb->text();
    seen.lineHeight = lb->fontMetrics().height();
    seen.labelHeight = lb->height();
    seen.labelWidth = lb->width();
  }
  if (auto *sb = dlg->findChild<QScrollArea *>(QStringLiteral("sbMsg")); sb != nullptr && sb->isVisible()) {
    seen.scrolls = true;
    seen.scrollRange = sb->verticalScrollBar()->maximum();
  }
  return seen;
}

// Shows `message` over a window on `screenName` (none: no window is active)
// and records what was shown.
TSeen ShowOver(const QString &screenName, const QString &message) {
  std::unique_ptr<QWidget> window;
  if (!screenName.isEmpty()) {
    window = std::make_unique<QWidget>();
    window->setAccessibleName(QStringLiteral("Fenêtre principale"));
    QScreen *screen = Screen(screenName);
    window->setScreen(screen);
    window->setGeometry(QRect(screen->availableGeometry().topLeft() + QPoint(40, 40), QSize(400, 300)));
    window->show();
    if (!QTest::qWaitForWindowActive(window.get())) return {};
  }
  TSeen seen;
  auto watch = ModalHelper::OnNextModal([&](QWidget *dlg) {
    seen = Look(dlg);
    dlg->close();
  });
  MessageDialog(message, mtError, mbOK, 0);
  if (!watch->found) return {};
  return seen;
}

}  // namespace

class TestMessageFit : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init() { TfrmDialog::ClearAnswers(); }
  void cleanup() { QVERIFY(QApplication::activeModalWidget() == nullptr); }

  void staysOnTheWindowsScreen_data();
  void staysOnTheWindowsScreen();
  void wrapsOnlyPastTheRoom_data();
  void wrapsOnlyPastTheRoom();
  void shortMessagesKeepTheirLayout_data();
  void shortMessagesKeepTheirLayout();
  void copy_data();
  void copy();
};

void TestMessageFit::initTestCase() {
  QVERIFY2(Screen(QStringLiteral("Petit")) != nullptr && Screen(QStringLiteral("Grand")) != nullptr,
           "the two offscreen screens of the test are missing");
  QCOMPARE(Screen(QStringLiteral("Petit"))->availableGeometry(), QRect(1920, 0, 1280, 720));
}

void TestMessageFit::staysOnTheWindowsScreen_data() {
  QTest::addColumn<QString>("over");    // screen of the active window, empty for none
  QTest::addColumn<QString>("screen");  // screen the box must be on
  QTest::addColumn<QString>("message");
  QTest::addColumn<bool>("scrolls");
  QTest::newRow("long line, small screen") << "Petit" << "Petit" << RefusedMessage() << false;
  QTest::newRow("long line, wide screen") << "Grand" << "Grand" << RefusedMessage().repeated(2) << false;
  QTest::newRow("long line, no window") << "" << "Grand" << RefusedMessage().repeated(2) << false;
  QTest::newRow("many lines, small screen") << "Petit" << "Petit" << ManyLines(200) << true;
  QTest::newRow("many long lines, small screen")
      << "Petit" << "Petit" << (RefusedMessage() + QLatin1Char('\n')).repeated(40) << true;
}

// The box, its caption bar allowance and its buttons lie inside the screen
// of the window it is shown over, at most two thirds of that screen wide;
// nothing of the message is dropped.
void TestMessageFit::staysOnTheWindowsScreen() {
  QFETCH(QString, over);
  QFETCH(QString, message);
  QFETCH(bool, scrolls);
  const TSeen seen = ShowOver(over, message);
  QTEST(seen.screen, "screen");
  QFETCH(QString, screen);
  const QRect area = Screen(screen)->availableGeometry();
  QVERIFY2(area.contains(seen.frame),
           qPrintable(QStringLiteral("box %1,%2 %3x%4 leaves the screen %5x%6")
                          .arg(seen.frame.x()).arg(seen.frame.y()).arg(seen.frame.width())
                          .arg(seen.frame.height()).arg(area.width()).arg(area.height())));
  // Room left below for a caption bar as window managers draw it.
  QVERIFY(seen.frame.top() + seen.client.height() + TMessageRoom::kFrameAllowance <= area.bottom() + 1);
  QVERIFY(seen.client.width() + 8 <= area.width() * 2 / 3);
  QCOMPARE(seen.buttons.size(), 1);
  QVERIFY(area.contains(seen.buttons[0]));
  QVERIFY(seen.frame.contains(seen.buttons[0]));
  QVERIFY(seen.wraps || scrolls);
  QCOMPARE(seen.scrolls, scrolls);
  if (scrolls) QVERIFY(seen.scrollRange > 0);  // the rest is a scroll away
  QCOMPARE(seen.text, DialogMessageText(message));
}

// A line that fits the room stays one line (the box grows to it); past the
// room it wraps at the room's width.
void TestMessageFit::wrapsOnlyPastTheRoom_data() {
  QTest::addColumn<int>("words");
  QTest::addColumn<bool>("wraps");
  QTest::newRow("fits") << 5 << false;
  QTest::newRow("past the room") << 40 << true;
}

void TestMessageFit::wrapsOnlyPastTheRoom() {
  QFETCH(int, words);
  QFETCH(bool, wraps);
  const QString message = QStringLiteral("connexion refusée ").repeated(words);
  const TSeen seen = ShowOver(QStringLiteral("Petit"), message);
  const TMessageRoom room = ComputeMessageRoom(1280, 720);
  QCOMPARE(seen.wraps, wraps);
  // Outer width: the label's plus 84, that is client width plus 8.
  if (wraps) {
    QCOMPARE(seen.client.width() + 8, room.width + 84);
    QVERIFY(seen.labelHeight >= 2 * seen.lineHeight);
  } else {
    QCOMPARE(seen.client.width() + 8, seen.labelWidth + 84);
    QVERIFY(seen.labelWidth > 300);
    QVERIFY(seen.labelWidth <= room.width);
    QVERIFY(seen.labelHeight < 2 * seen.lineHeight);
  }
}

// On the small screen a short message has the designed layout: the
// minimum width, the label at 64,24 holding its lines, no scroll area.
void TestMessageFit::shortMessagesKeepTheirLayout_data() {
  QTest::addColumn<QString>("message");
  QTest::addColumn<int>("lines");
  QTest::newRow("one line") << "Connexion refusée" << 1;
  QTest::newRow("three lines") << "Ligne 1\nLigne 2\nLigne 3" << 3;
}

void TestMessageFit::shortMessagesKeepTheirLayout() {
  QFETCH(QString, message);
  QFETCH(int, lines);
  auto window = std::make_unique<QWidget>();
  window->setAccessibleName(QStringLiteral("Fenêtre principale"));
  window->setScreen(Screen(QStringLiteral("Petit")));
  window->setGeometry(1960, 40, 400, 300);
  window->show();
  window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window.get()));
  TfrmDialog dlg;
  auto *lbMsg = dlg.findChild<QLabel *>(QStringLiteral("lbMsg"));
  const int designedLine = lbMsg->height();
  dlg.Prepare(message, mtError, mbOK);
  QCOMPARE(lbMsg->parentWidget(), dlg.findChild<QWidget *>(QStringLiteral("pnDLG")));
  QCOMPARE(lbMsg->pos(), QPoint(64, 24));
  QVERIFY(!lbMsg->wordWrap());
  QCOMPARE(lbMsg->height(), lines * designedLine);
  QVERIFY(dlg.findChild<QScrollArea *>(QStringLiteral("sbMsg"))->isHidden());
  QCOMPARE(dlg.width(), 292);
  QCOMPARE(dlg.height(), 105 + designedLine + lines * designedLine);
  QCOMPARE(dlg.Buttons().first()->geometry(), QRect(112, dlg.height() - 33, 75, 25));
}

// Ctrl+C copies the whole message as shown, without a selection; a
// selection made with the mouse copies that part only.
void TestMessageFit::copy_data() {
  QTest::addColumn<QString>("message");
  QTest::addColumn<int>("selected");  // characters selected from the start, 0 for none
  QTest::addColumn<QString>("copied");
  QTest::newRow("no selection") << "  Ligne 1\r\nLigne 2  " << 0 << "Ligne 1\nLigne 2";
  QTest::newRow("long message") << RefusedMessage() << 0 << RefusedMessage();
  QTest::newRow("scrolled message") << ManyLines(200) << 0 << ManyLines(200);
  QTest::newRow("a selection") << "Table inconnue" << 5 << "Table";
}

void TestMessageFit::copy() {
  QFETCH(QString, message);
  QFETCH(int, selected);
  QGuiApplication::clipboard()->setText(QStringLiteral("avant"));
  bool active = false, selectable = false;
  auto watch = ModalHelper::OnNextModal([&](QWidget *dlg) {
    active = QTest::qWaitForWindowActive(dlg);
    auto *lb = dlg->findChild<QLabel *>(QStringLiteral("lbMsg"));
    selectable = lb->textInteractionFlags().testFlag(Qt::TextSelectableByMouse);
    if (selected > 0) lb->setSelection(0, selected);
    QWidget *target = QApplication::focusWidget();
    QTest::keyClick(target != nullptr ? target : dlg, Qt::Key_C, Qt::ControlModifier);
    // Copying does not answer the dialog.
    if (dlg->isVisible()) dlg->close();
  });
  const int r = MessageDialog(message, mtError, mbOK, 0);
  QVERIFY(watch->found);
  QVERIFY(active);
  QVERIFY(selectable);
  QCOMPARE(r, mrCancel);
  QTEST(QGuiApplication::clipboard()->text(), "copied");
}

// The test's own screens, before the application starts.
int main(int argc, char **argv) {
  QTemporaryDir dir;
  const QString config = dir.filePath(QStringLiteral("screens.json"));
  QFile file(config);
  if (!dir.isValid() || !file.open(QIODevice::WriteOnly)) return 1;
  file.write(R"({"screens": [
    {"name": "Grand", "x": 0, "y": 0, "width": 1920, "height": 1200, "logicalDpi": 96, "logicalBaseDpi": 96},
    {"name": "Petit", "x": 1920, "y": 0, "width": 1280, "height": 720, "logicalDpi": 96, "logicalBaseDpi": 96}
  ]})");
  file.close();
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
  QApplication app(argc, argv);
  TestMessageFit test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}

#include "TestMessageFit.moc"
