// The arithmetic of the message dialog's sizing, the
// button set and the message text, with the designed form's numbers.
#include "TfrmDialog.h"
#include "UDialog.h"

#include <QtTest>

class TestDialogLayout : public QObject {
  Q_OBJECT

 private slots:
  void layout_data();
  void layout();
  void buttonRowLeansRight_data();
  void buttonRowLeansRight();
  void buttonSet_data();
  void buttonSet();
  void messageText_data();
  void messageText();
  void messageRoom_data();
  void messageRoom();
  void placement_data();
  void placement();
};

void TestDialogLayout::layout_data() {
  QTest::addColumn<int>("labelWidth");
  QTest::addColumn<int>("labelHeight");
  QTest::addColumn<int>("buttons");
  QTest::addColumn<int>("outerWidth");
  QTest::addColumn<int>("clientWidth");
  QTest::addColumn<int>("clientHeight");
  QTest::addColumn<int>("bevelHeight");
  QTest::addColumn<int>("firstLeft");
  QTest::addColumn<int>("buttonTop");

  // One line on the designed form: 105 + 13 + 13 = 131; bevel 131-16-41;
  // buttons 8 above the bottom: 131-25-8.
  QTest::newRow("one line, one button") << 120 << 13 << 1 << 300 << 292 << 131 << 74 << 112 << 98;
  QTest::newRow("one line, two buttons") << 120 << 13 << 2 << 300 << 292 << 131 << 74 << 79 << 98;
  // Three short lines: taller by three lines plus the designed one, still
  // at the minimum width.
  QTest::newRow("three short lines") << 90 << 39 << 1 << 300 << 292 << 157 << 100 << 112 << 124;
  // A short message leaves the minimum width; 64 + W + 20 passes it at 217.
  QTest::newRow("empty message") << 0 << 13 << 1 << 300 << 292 << 131 << 74 << 112 << 98;
  QTest::newRow("just at the minimum") << 216 << 13 << 1 << 300 << 292 << 131 << 74 << 112 << 98;
  QTest::newRow("one past the minimum") << 217 << 13 << 1 << 301 << 293 << 131 << 74 << 113 << 98;
  // A long line of width W: outer width W + 84.
  QTest::newRow("long line") << 500 << 13 << 2 << 584 << 576 << 131 << 74 << 221 << 98;
  QTest::newRow("no button") << 120 << 13 << 0 << 300 << 292 << 131 << 74 << 146 << 98;
  // All eleven kinds: (292 - 737) / 2, truncated toward zero: -222.
  QTest::newRow("eleven buttons") << 120 << 13 << 11 << 300 << 292 << 131 << 74 << -222 << 98;
}

void TestDialogLayout::layout() {
  QFETCH(int, labelWidth);
  QFETCH(int, labelHeight);
  QFETCH(int, buttons);
  const TDialogLayout l = ComputeDialogLayout(labelWidth, labelHeight, buttons);
  QTEST(l.outerWidth, "outerWidth");
  QTEST(l.clientWidth, "clientWidth");
  QTEST(l.clientHeight, "clientHeight");
  QTEST(l.bevelHeight, "bevelHeight");
  QTEST(l.firstButtonLeft, "firstLeft");
  QTEST(l.buttonTop, "buttonTop");
  // The bevel keeps its right margin of the design (232 wide in 292).
  QCOMPARE(l.bevelWidth, l.clientWidth - 60);
}

// "The row sits to the right of the exact centre by 8 x n - 4 pixels."
void TestDialogLayout::buttonRowLeansRight_data() {
  QTest::addColumn<int>("clientWidthTarget");
  QTest::addColumn<int>("buttons");
  for (int n = 1; n <= 4; ++n)
    for (int extra : {0, 160})
      QTest::addRow("n=%d, +%d", n, extra) << 292 + extra << n;
}

void TestDialogLayout::buttonRowLeansRight() {
  QFETCH(int, clientWidthTarget);
  QFETCH(int, buttons);
  const int labelWidth = clientWidthTarget + 8 - 84;
  const TDialogLayout l = ComputeDialogLayout(labelWidth, 13, buttons);
  QCOMPARE(l.clientWidth, clientWidthTarget);
  const int rowWidth = 75 * buttons + 8 * (buttons - 1);  // 75 wide, 83 apart
  const double exactLeft = (l.clientWidth - rowWidth) / 2.0;
  QVERIFY(qAbs(l.firstButtonLeft - exactLeft - (8 * buttons - 4)) <= 0.5);
}

void TestDialogLayout::buttonSet_data() {
  QTest::addColumn<quint32>("bits");
  QTest::addColumn<int>("count");
  QTest::newRow("{mbOK}") << quint32(TMsgDlgButtons(mbOK).Bits()) << 1;
  QTest::newRow("{mbOK, mbCancel}") << quint32(TMsgDlgButtons{mbOK, mbCancel}.Bits()) << 2;
  QTest::newRow("{mbYes, mbNo}") << quint32(TMsgDlgButtons{mbYes, mbNo}.Bits()) << 2;
  QTest::newRow("{}") << quint32(TMsgDlgButtons().Bits()) << 0;
  QTest::newRow("all eleven") << quint32(0x7FF) << 11;
  // Only bits 0 to 10 count.
  QTest::newRow("bits above 10 ignored") << quint32(0xFFFFF804) << 1;
}

void TestDialogLayout::buttonSet() {
  QFETCH(quint32, bits);
  QFETCH(int, count);
  QCOMPARE(TMsgDlgButtons::FromBits(bits).Count(), count);
}

void TestDialogLayout::messageText_data() {
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("shown");
  QTest::newRow("plain") << "Bonjour" << "Bonjour";
  QTest::newRow("blanks around") << "   Bonjour  " << "Bonjour";
  QTest::newRow("line breaks around") << "\r\n\r\nSupprimer ?\r\n" << "Supprimer ?";
  QTest::newRow("tabs and controls around") << QString("\t\x01 X \x1f\n") << "X";
  QTest::newRow("inner blanks kept") << " a  b " << "a  b";
  QTest::newRow("CR LF inside: one line break") << "Ligne 1\r\nLigne 2" << "Ligne 1\nLigne 2";
  QTest::newRow("lone CR inside") << "Ligne 1\rLigne 2" << "Ligne 1\nLigne 2";
  QTest::newRow("empty line inside kept") << "A\n\nB" << "A\n\nB";
  QTest::newRow("only blanks") << " \r\n\t " << "";
  QTest::newRow("accents") << " Requête supprimée " << "Requête supprimée";
}

void TestDialogLayout::messageText() {
  QFETCH(QString, message);
  QTEST(DialogMessageText(message), "shown");
}

// The message may take two thirds of the screen's width, less the label's
// left and right margins (64 + 20), and the screen's height less the
// caption bar allowance and the rest of the box (105 + the designed line).
void TestDialogLayout::messageRoom_data() {
  QTest::addColumn<int>("screenWidth");
  QTest::addColumn<int>("screenHeight");
  QTest::addColumn<int>("width");
  QTest::addColumn<int>("height");
  QTest::newRow("1280 x 720") << 1280 << 720 << 769 << 720 - 48 - 118;
  QTest::newRow("1920 x 1080") << 1920 << 1080 << 1196 << 1080 - 48 - 118;
  QTest::newRow("800 x 600") << 800 << 600 << 449 << 600 - 48 - 118;
  // A tiny screen keeps the minimum width and room for one line.
  QTest::newRow("320 x 100") << 320 << 100 << 216 << 13;
}

void TestDialogLayout::messageRoom() {
  QFETCH(int, screenWidth);
  QFETCH(int, screenHeight);
  const TMessageRoom room = ComputeMessageRoom(screenWidth, screenHeight);
  QTEST(room.width, "width");
  QTEST(room.height, "height");
  // A box grown to the room stays inside the screen, its caption bar included.
  const TDialogLayout l = ComputeDialogLayout(room.width, room.height, 1);
  if (screenWidth >= 450) QVERIFY(l.outerWidth <= screenWidth * 2 / 3);
  if (screenHeight >= 200) QVERIFY(l.clientHeight + TMessageRoom::kFrameAllowance <= screenHeight);
}

void TestDialogLayout::placement_data() {
  QTest::addColumn<QRect>("area");
  QTest::addColumn<QSize>("box");  // outer width, client height
  QTest::addColumn<QPoint>("at");
  const QRect small(1920, 0, 1280, 720);
  // A box that fits is centred, as the designed dialog is.
  QTest::newRow("centred") << small << QSize(300, 131) << QPoint(1920 + 490, 294);
  QTest::newRow("centred, other screen") << QRect(0, 0, 800, 600) << QSize(300, 131) << QPoint(250, 234);
  // A box as tall as its room moves up so that its caption bar fits below.
  QTest::newRow("tall") << small << QSize(853, 672) << QPoint(1920 + 213, 0);
  // One larger than the screen keeps its top left corner on it.
  QTest::newRow("larger than the screen") << small << QSize(2000, 900) << QPoint(1920, 0);
}

void TestDialogLayout::placement() {
  QFETCH(QRect, area);
  QFETCH(QSize, box);
  QTEST(PlaceMessageBox(box.width(), box.height(), area), "at");
}

QTEST_APPLESS_MAIN(TestDialogLayout)
#include "TestDialogLayout.moc"
