// The About box: its text with the version in place of every "%", its
// design, and how it opens and closes (answered by ModalHelper: no test
// hangs on it).
#include "ModalHelper.h"
#include "TfrmAbout.h"

#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

class TestAbout : public QObject {
  Q_OBJECT

 private slots:
  void textHasTheVersion_data();
  void textHasTheVersion();
  void design();
  void textFitsTheMemo();
  void closing_data();
  void closing();
  void showsAgainCentredWithItsText();
};

void TestAbout::textHasTheVersion_data() {
  QTest::addColumn<QString>("designed");
  QTest::addColumn<QString>("shown");
  QTest::newRow("the design")
      << TfrmAbout::DesignedText()
      << "    Vantrel V1.2.1\n\nConçu par l'équipe Vantrel\n\nMerci à nos testeurs !";
  QTest::newRow("several signs, side by side and on other lines")
      << "    Vantrel %\n%%\nversion % ici" << "    Vantrel V1.2.1\nV1.2.1V1.2.1\nversion V1.2.1 ici";
  QTest::newRow("no sign") << "Vantrel" << "Vantrel";
}

void TestAbout::textHasTheVersion() {
  QFETCH(QString, designed);
  QFETCH(QString, shown);
  TfrmAbout about(nullptr, designed);
  auto *memo = about.findChild<QPlainTextEdit *>(QStringLiteral("mAbout"));
  QVERIFY(memo);
  QCOMPARE(memo->toPlainText(), shown);
}

void TestAbout::design() {
  TfrmAbout about;
  QCOMPARE(about.objectName(), QStringLiteral("frmAbout"));
  QCOMPARE(about.FormTitle(), QStringLiteral("A propos..."));
  QCOMPARE(about.windowTitle(), QStringLiteral("A propos..."));
  // A dialog frame: the client area is fixed, nothing to resize or maximise.
  QCOMPARE(about.size(), QSize(367, 187));
  QCOMPARE(about.minimumSize(), QSize(367, 187));
  QCOMPARE(about.maximumSize(), QSize(367, 187));
  QVERIFY(!(about.windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
  QVERIFY(about.windowFlags() & Qt::WindowCloseButtonHint);

  auto *image = about.findChild<QLabel *>(QStringLiteral("Image1"));
  auto *memo = about.findChild<QPlainTextEdit *>(QStringLiteral("mAbout"));
  auto *ok = about.findChild<QPushButton *>(QStringLiteral("btnOk"));
  QVERIFY(image && memo && ok);
  QCOMPARE(image->geometry(), QRect(16, 24, 95, 94));
  QCOMPARE(memo->geometry(), QRect(136, 24, 225, 89));
  QCOMPARE(ok->geometry(), QRect(146, 144, 75, 25));
  QCOMPARE(ok->text(), QStringLiteral("Ok"));

  // The picture: drawn, of the designed size, on a transparent ground.
  const QImage picture = image->pixmap().toImage();
  QCOMPARE(picture.size() / picture.devicePixelRatio(), QSize(95, 94));
  QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);
  QVERIFY(qAlpha(picture.pixel(picture.width() / 2, picture.height() / 2)) > 0);

  // The memo: read-only, frameless, bold navy on the form's own colour.
  QVERIFY(memo->isReadOnly());
  QCOMPARE(memo->frameShape(), QFrame::NoFrame);
  QVERIFY(memo->font().bold());
  QCOMPARE(memo->font().pixelSize(), 13);
  QCOMPARE(memo->font().families().value(0), QStringLiteral("Arial"));
  QCOMPARE(memo->palette().color(QPalette::Text), QColor(0, 0, 128));
  QCOMPARE(memo->palette().color(QPalette::Base), about.palette().color(QPalette::Window));

  for (QWidget *w : std::initializer_list<QWidget *>{image, memo, ok}) QVERIFY(!w->accessibleName().isEmpty());
}

// Every line of the text shows whole: none wraps, and the five lines fit
// the memo's height (in the font actually found, Arial or its fallback).
void TestAbout::textFitsTheMemo() {
  TfrmAbout about;
  auto *memo = about.findChild<QPlainTextEdit *>(QStringLiteral("mAbout"));
  QVERIFY(memo);
  about.show();
  QVERIFY(QTest::qWaitForWindowExposed(&about));
  QTextDocument *document = memo->document();
  QCOMPARE(document->blockCount(), 5);
  qreal height = 2 * document->documentMargin();
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    QVERIFY2(block.layout()->lineCount() == 1, qPrintable(block.text()));
    height += block.layout()->boundingRect().height();
  }
  QVERIFY2(height <= memo->viewport()->height(), qPrintable(QString::number(height)));
}

void TestAbout::closing_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<int>("result");
  QTest::newRow("Ok") << "ok" << 1;
  QTest::newRow("Enter presses Ok") << "enter" << 1;
  QTest::newRow("close box") << "close" << 2;
  QTest::newRow("Escape") << "escape" << 2;
}

void TestAbout::closing() {
  QFETCH(QString, how);
  QFETCH(int, result);
  TfrmAbout about;
  bool okHadFocus = false;
  auto watch = ModalHelper::OnNextModal([&](QWidget *dlg) {
    okHadFocus = dlg->focusWidget() == dlg->findChild<QPushButton *>(QStringLiteral("btnOk"));
    if (how == QLatin1String("ok")) ModalHelper::ClickButton(dlg, QStringLiteral("Ok"));
    if (how == QLatin1String("enter")) QTest::keyClick(dlg->focusWidget(), Qt::Key_Return);
    if (how == QLatin1String("close")) dlg->close();
    if (how == QLatin1String("escape")) QTest::keyClick(dlg->focusWidget(), Qt::Key_Escape);
  });
  QCOMPARE(about.Execute(), result);
  QVERIFY(watch->acted);
  QVERIFY(!watch->forcedClose);
  QVERIFY(okHadFocus);
}

// Created once and shown again: centred on the main window each time, its
// text unchanged, Ok given the focus back.
void TestAbout::showsAgainCentredWithItsText() {
  QMainWindow main;
  main.setGeometry(200, 150, 800, 600);
  main.show();
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  TfrmAbout about(&main);
  auto *memo = about.findChild<QPlainTextEdit *>(QStringLiteral("mAbout"));
  QVERIFY(memo);
  const QString text = memo->toPlainText();

  for (int showing = 0; showing < 2; ++showing) {
    QPoint centre;
    bool okHadFocus = false;
    auto watch = ModalHelper::OnNextModal([&](QWidget *dlg) {
      centre = dlg->frameGeometry().center();
      okHadFocus = dlg->focusWidget() == dlg->findChild<QPushButton *>(QStringLiteral("btnOk"));
      memo->setFocus();  // the next showing gives the focus back to Ok
      ModalHelper::ClickButton(dlg, QStringLiteral("Ok"));
    });
    QCOMPARE(about.Execute(), 1);
    QVERIFY(watch->acted);
    QVERIFY(okHadFocus);
    // Before the first showing the frame is not known yet: the window's
    // frame (two pixels a side offscreen) may shift it by that much.
    const QPoint shift = centre - main.frameGeometry().center();
    QVERIFY2(qAbs(shift.x()) <= 2 && qAbs(shift.y()) <= 2,
             qPrintable(QStringLiteral("showing %1: %2,%3").arg(showing).arg(shift.x()).arg(shift.y())));
    QCOMPARE(memo->toPlainText(), text);
  }
}

QTEST_MAIN(TestAbout)
#include "TestAbout.moc"
