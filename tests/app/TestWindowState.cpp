// The main window's place, size and splits, kept from one start to the
// next in the user's configuration folder. The test's configuration folder
// is a temporary one, set before the application starts: the user's own
// settings are never read or written.
#include "TfrmDialog.h"
#include "TfrmMain.h"

#include <QDir>
#include <QFile>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// Set by main() before the application starts.
QString ConfigHome;

QString SettingsFile() { return ConfigHome + QStringLiteral("/vantrel/vantrel.ini"); }

// The designed place: 771 x 518, centred on the primary screen.
QRect DesignedFrame() {
  QRect frame(QPoint(), QSize(771, 518));
  frame.moveCenter(QGuiApplication::primaryScreen()->availableGeometry().center());
  return frame;
}

}  // namespace

class TestWindowState : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir FDir;  // the stores

  // Starts the program's window as main() does.
  std::unique_ptr<TfrmMain> Start() {
    auto window = std::make_unique<TfrmMain>(FDir.filePath(QStringLiteral("vantrel.adb")));
    if (!window->FormCreate()) return nullptr;
    window->RestoreWindowState();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) return nullptr;
    return window;
  }
  static QSplitter *Splitter(const TfrmMain &window, const char *name) {
    return window.findChild<QSplitter *>(QLatin1String(name));
  }
  // What an earlier start would have left.
  static void Saved(const QVariant &geometry) {
    QSettings settings(SettingsFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("MainWindow/Geometry"), geometry);
  }

 private slots:
  void initTestCase() {
    QVERIFY(FDir.isValid());
    QVERIFY(!ConfigHome.isEmpty());
    // The program's settings land in the test's folder, nowhere else.
    QSettings probe(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("vantrel"), QStringLiteral("vantrel"));
    QCOMPARE(QDir::cleanPath(probe.fileName()), QDir::cleanPath(SettingsFile()));
  }
  void init() {
    TfrmDialog::ClearAnswers();
    QFile::remove(SettingsFile());
  }

  void keptFromOneStartToTheNext() {
    const QRect place(60, 50, 700, 450);
    {
      auto first = Start();
      QVERIFY(first != nullptr);
      // Nothing saved yet: the designed place.
      QCOMPARE(first->frameGeometry().topLeft(), DesignedFrame().topLeft());
      QCOMPARE(first->size(), QSize(771, 518));
      first->setGeometry(place);
      QTRY_COMPARE(first->geometry(), place);
      QSplitter *Splitter1 = Splitter(*first, "Splitter1");
      QSplitter *Splitter2 = Splitter(*first, "Splitter2");
      Splitter1->setSizes({300, place.width() - 300 - Splitter1->handleWidth()});
      Splitter2->setSizes({120, 200});
      QCOMPARE(Splitter1->sizes().first(), 300);
      QCOMPARE(Splitter2->sizes().first(), 120);
      QVERIFY(first->close());
    }
    QVERIFY(QFile::exists(SettingsFile()));
    auto second = Start();
    QVERIFY(second != nullptr);
    QCOMPARE(second->geometry(), place);
    QVERIFY(!second->isMaximized());
    QCOMPARE(Splitter(*second, "Splitter1")->sizes().first(), 300);
    QCOMPARE(Splitter(*second, "Splitter2")->sizes().first(), 120);
  }

  void maximisedComesBackMaximised() {
    const QRect place(40, 30, 640, 420);
    {
      auto first = Start();
      QVERIFY(first != nullptr);
      first->setGeometry(place);
      QTRY_COMPARE(first->geometry(), place);
      first->showMaximized();
      QTRY_VERIFY(first->isMaximized());
      QVERIFY(first->close());
    }
    auto second = Start();
    QVERIFY(second != nullptr);
    QVERIFY(second->isMaximized());
    QCOMPARE(second->normalGeometry(), place);
  }

  // A place that lies off every screen (one since unplugged, or a mangled
  // file) gives the designed one; one that still shows enough is kept.
  void placeOffEveryScreenFallsBack_data() {
    QTest::addColumn<QVariant>("saved");
    QTest::addColumn<bool>("kept");
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QTest::newRow("on the screen") << QVariant(QRect(30, 40, 600, 400)) << true;
    QTest::newRow("partly off the right edge") << QVariant(QRect(area.right() - 300, 40, 600, 400)) << true;
    QTest::newRow("right of every screen") << QVariant(QRect(area.right() + 500, 40, 600, 400)) << false;
    QTest::newRow("below every screen") << QVariant(QRect(30, area.bottom() + 500, 600, 400)) << false;
    QTest::newRow("left of every screen") << QVariant(QRect(-5000, -5000, 600, 400)) << false;
    QTest::newRow("top above the screen") << QVariant(QRect(30, -200, 600, 400)) << false;
    QTest::newRow("only a corner showing")
        << QVariant(QRect(area.right() - 40, area.bottom() - 20, 600, 400)) << false;
    QTest::newRow("no size") << QVariant(QRect(30, 40, 0, 0)) << false;
    QTest::newRow("not a place") << QVariant(QStringLiteral("n'importe quoi")) << false;
  }

  void placeOffEveryScreenFallsBack() {
    QFETCH(QVariant, saved);
    QFETCH(bool, kept);
    Saved(saved);
    auto window = Start();
    QVERIFY(window != nullptr);
    if (kept) {
      QCOMPARE(window->geometry(), saved.toRect());
    } else {
      QCOMPARE(window->size(), QSize(771, 518));
      QCOMPARE(window->frameGeometry().topLeft(), DesignedFrame().topLeft());
    }
  }

  // Only the program's own start keeps the state: a window built without
  // it, as every other test builds one, writes nothing when it closes.
  void aWindowThatDoesNotKeepItsStateWritesNothing() {
    TfrmMain window(FDir.filePath(QStringLiteral("vantrel.adb")));
    QVERIFY(window.FormCreate());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.close());
    QVERIFY(!QFile::exists(SettingsFile()));
  }
};

// The configuration folder of the test, before anything reads the
// environment: QSettings settles its folders once per process.
int main(int argc, char **argv) {
  QTemporaryDir config;
  if (!config.isValid()) return 1;
  ConfigHome = config.path();
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(ConfigHome));
  QApplication app(argc, argv);
  TestWindowState test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}

#include "TestWindowState.moc"
