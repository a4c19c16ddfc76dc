// The expandable side panel and its animator: the steps as a function of
// the time gone, the docking sides and their grips, folding and unfolding
// with and without animation and the order of their events, clicks and
// drags on the grip, the painting, and a panel destroyed mid-animation.
#include "TExpandPanel.h"
#include "TPanelAnimator.h"

#include <QBoxLayout>
#include <QElapsedTimer>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QtTest>

#include <memory>

namespace {

using Panel = TExpandPanel;

// An animator on a clock the test sets.
class TManualClockAnimator : public TPanelAnimator {
 public:
  qint64 Now = 0;

 protected:
  qint64 ElapsedMs() const override { return Now; }
};

// Runs the event loop a step at a time until `done` holds, for at most
// five seconds: an animation stopped right after its first moves.
template <typename Done>
bool RunUntil(Done done) {
  QElapsedTimer waited;
  waited.start();
  while (!done() && waited.elapsed() < 5000) QCoreApplication::processEvents();
  return done();
}

// A real event loop for `ms` milliseconds, as the program's own loop runs:
// deferred deletions happen there.
void RunLoop(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Lets the animator's timer run at the clock as it stands.
void RunSteps() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

int PropertyOf(const QWidget *control, TAnimatedProperty property) {
  switch (property) {
    case apLeft:
      return control->x();
    case apTop:
      return control->y();
    case apWidth:
      return control->width();
    case apHeight:
      return control->height();
  }
  return -1;
}

// The query page's arrangement: the panel docked on one side of an editor
// in a box layout, two lists in the panel's own layout. The page is 600 x
// 400 inside a window (which keeps the offscreen platform from being asked
// for the window's size hints at every step). Log records each event of
// the panel as "<event> <folding size> <state> <lists shown>".
class TPanelHost {
 public:
  explicit TPanelHost(Panel::TAlign align, int size = 185) : Page(new QWidget(&Window)) {
    const bool across = align == Panel::alTop || align == Panel::alBottom;
    QBoxLayout *layout = across ? static_cast<QBoxLayout *>(new QVBoxLayout(Page))
                                : static_cast<QBoxLayout *>(new QHBoxLayout(Page));
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    PanelWidget = new Panel(Page);
    PanelWidget->setObjectName(QStringLiteral("pnAssist"));
    PanelWidget->SetAlign(align);
    PanelWidget->SetFoldingSize(size);
    auto *inner = new QVBoxLayout(PanelWidget);
    inner->setContentsMargins(0, 0, 0, 0);
    Tables = new QListWidget(PanelWidget);
    Fields = new QListWidget(PanelWidget);
    inner->addWidget(Tables);
    inner->addWidget(Fields);
    Editor = new QWidget(Page);
    if (align == Panel::alRight || align == Panel::alBottom) {
      layout->addWidget(Editor, 1);
      layout->addWidget(PanelWidget);
    } else {
      layout->addWidget(PanelWidget);
      layout->addWidget(Editor, 1);
    }
    Window.resize(600, 400);
    Page->setGeometry(0, 0, 600, 400);
    QObject::connect(PanelWidget, &Panel::OnCollapsed, Page, [this] { Log << Describe("collapsed"); });
    QObject::connect(PanelWidget, &Panel::OnExpanded, Page, [this] { Log << Describe("expanded"); });
  }

  bool Show() {
    Window.show();
    return QTest::qWaitForWindowExposed(&Window);
  }

  QString Describe(const char *event) const {
    return QStringLiteral("%1 %2 %3 %4")
        .arg(QLatin1String(event))
        .arg(PanelWidget->FoldingSize())
        .arg(PanelWidget->ExpandState() == Panel::esExpanded ? QLatin1String("expanded") : QLatin1String("collapsed"))
        .arg(ListsShown() ? QLatin1String("shown") : QLatin1String("hidden"));
  }

  bool ListsShown() const { return !Tables->isHidden() && !Fields->isHidden(); }
  bool ListsHidden() const { return Tables->isHidden() && Fields->isHidden(); }

  QWidget Window;
  QWidget *Page;
  Panel *PanelWidget = nullptr;
  QListWidget *Tables = nullptr;
  QListWidget *Fields = nullptr;
  QWidget *Editor = nullptr;
  QStringList Log;
};

void ClickAt(QWidget *widget, const QPoint &at) {
  QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, at);
}

void ClickGrip(Panel *panel) { ClickAt(panel, panel->GripRect().center()); }

// Presses at `at` (panel coordinates), moves through `offsets` (on the
// screen, from the press point) and releases at the last of them. Each
// position is mapped through the panel's geometry of the moment, as a real
// mouse would be, since a panel docked right or bottom moves as it grows.
void Drag(Panel *panel, const QPoint &at, const QList<QPoint> &offsets) {
  const QPoint start = panel->mapToGlobal(at);
  QPoint global = start;
  QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, at);
  for (const QPoint &offset : offsets) {
    global = start + offset;
    QTest::mouseMove(panel, panel->mapFromGlobal(global));
  }
  QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, panel->mapFromGlobal(global));
}

// Records the folding size each time the panel is resized.
class TSizeRecorder : public QObject {
 public:
  explicit TSizeRecorder(Panel *panel) : FPanel(panel) { panel->installEventFilter(this); }
  QList<int> Sizes;

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (watched == FPanel && event->type() == QEvent::Resize) Sizes << FPanel->FoldingSize();
    return false;
  }

 private:
  Panel *FPanel;
};

// The decelerating values the panel's animation may pass through.
QList<int> CurveValues(const Panel *panel, int from, int to) {
  QList<int> values;
  for (int percent = 0; percent < 100; ++percent)
    values << TPanelAnimator::StepValue(panel->Animator()->Options(), from, to, percent);
  return values;
}

const QColor kFace(0xC0, 0xC0, 0xC0);
const QColor kShadow(0x40, 0x00, 0x00);
const QColor kLight(0x00, 0xF0, 0x00);
const QColor kHighlight(0x00, 0x00, 0xE0);

void SetColours(QWidget *widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, kFace);
  palette.setColor(QPalette::Dark, kShadow);
  palette.setColor(QPalette::Light, kLight);
  palette.setColor(QPalette::Highlight, kHighlight);
  widget->setPalette(palette);
}

void Hover(QWidget *widget, const QPoint &at) {
  QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

void Leave(QWidget *widget) {
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(widget, &leave);
}

}  // namespace

class TestExpandPanel : public QObject {
  Q_OBJECT

 private slots:
  void percent_data();
  void percent();
  void stepValue_data();
  void stepValue();
  void animatorFollowsTheClock_data();
  void animatorFollowsTheClock();
  void animatorFinishAndLostControl();

  void sidesAndGrips_data();
  void sidesAndGrips();
  void noGripWithoutADockingSide_data();
  void noGripWithoutADockingSide();
  void foldAndUnfoldAtOnce_data();
  void foldAndUnfoldAtOnce();
  void sameStateFiresNothing();
  void foldAndUnfoldAnimated_data();
  void foldAndUnfoldAnimated();
  void clicksDuringAnimationAreIgnored();
  void stateSetDuringAnimation_data();
  void stateSetDuringAnimation();
  void dragResizes_data();
  void dragResizes();
  void dragOnCollapsedPanel();
  void draggedSizeRestoredAfterFolding();
  void destroyedDuringAnimation_data();
  void destroyedDuringAnimation();
  void paintsBorders_data();
  void paintsBorders();
  void paintsGrip_data();
  void paintsGrip();
};

void TestExpandPanel::percent_data() {
  QTest::addColumn<qint64>("elapsed");
  QTest::addColumn<int>("duration");
  QTest::addColumn<int>("percent");
  QTest::newRow("start") << qint64(0) << 250 << 0;
  QTest::newRow("under one percent") << qint64(2) << 250 << 0;
  QTest::newRow("just over one") << qint64(3) << 250 << 1;
  QTest::newRow("49.6 truncated") << qint64(124) << 250 << 49;
  QTest::newRow("half") << qint64(125) << 250 << 50;
  QTest::newRow("last millisecond") << qint64(249) << 250 << 99;
  QTest::newRow("thirds truncated") << qint64(2) << 3 << 66;
}

void TestExpandPanel::percent() {
  QFETCH(qint64, elapsed);
  QFETCH(int, duration);
  QFETCH(int, percent);
  QCOMPARE(TPanelAnimator::Percent(elapsed, duration), percent);
}

void TestExpandPanel::stepValue_data() {
  QTest::addColumn<bool>("quadratic");
  QTest::addColumn<bool>("decelerate");
  QTest::addColumn<int>("from");
  QTest::addColumn<int>("to");
  QTest::addColumn<int>("percent");
  QTest::addColumn<int>("value");
  // Decelerating: From + trunc(D - Q(p-100)^2), D = To - From, Q = D/10000.
  QTest::newRow("decelerating fold, start") << true << true << 185 << 9 << 0 << 185;
  QTest::newRow("decelerating fold, -3.5 truncated toward zero") << true << true << 185 << 9 << 1 << 182;
  QTest::newRow("decelerating fold, 40%: 64% of the way") << true << true << 185 << 9 << 40 << 73;
  QTest::newRow("decelerating fold, 99%") << true << true << 185 << 9 << 99 << 10;
  QTest::newRow("decelerating unfold, 1%") << true << true << 9 << 185 << 1 << 12;
  QTest::newRow("decelerating unfold, 40%") << true << true << 9 << 185 << 40 << 121;
  QTest::newRow("decelerating unfold, 99%") << true << true << 9 << 185 << 99 << 184;
  // Accelerating: From + trunc(Q p^2).
  QTest::newRow("accelerating unfold, 40%: 16% of the way") << true << false << 9 << 185 << 40 << 37;
  QTest::newRow("accelerating unfold, 99%") << true << false << 9 << 185 << 99 << 181;
  QTest::newRow("accelerating fold, -1.76 truncated toward zero") << true << false << 185 << 9 << 10 << 184;
  QTest::newRow("accelerating fold, 96%") << true << false << 185 << 9 << 96 << 23;
  // Linear: From + trunc(p (To - From) / 100).
  QTest::newRow("linear up") << false << false << 0 << 1000 << 33 << 330;
  QTest::newRow("linear down, -58.08 truncated toward zero") << false << false << 185 << 9 << 33 << 127;
  QTest::newRow("linear into negatives") << false << false << 10 << -90 << 96 << -86;
  QTest::newRow("linear, a product past 32 bits") << false << false << 0 << 2000000000 << 50 << 1000000000;
  QTest::newRow("linear ignores Decelerate") << false << true << 0 << 1000 << 33 << 330;
}

void TestExpandPanel::stepValue() {
  QFETCH(bool, quadratic);
  QFETCH(bool, decelerate);
  QFETCH(int, from);
  QFETCH(int, to);
  QFETCH(int, percent);
  QFETCH(int, value);
  TAnimationOptions options;
  options.Quadratic = quadratic;
  options.Decelerate = decelerate;
  QCOMPARE(TPanelAnimator::StepValue(options, from, to, percent), value);
}

void TestExpandPanel::animatorFollowsTheClock_data() {
  QTest::addColumn<int>("property");
  QTest::addColumn<bool>("quadratic");
  QTest::addColumn<bool>("decelerate");
  QTest::addColumn<int>("from");
  QTest::addColumn<int>("to");
  QTest::addColumn<QList<int>>("values");  // at 0, 100 and 240 ms of 250
  QTest::newRow("width, decelerating fold") << int(apWidth) << true << true << 185 << 9 << QList<int>{185, 73, 10};
  QTest::newRow("height, accelerating unfold")
      << int(apHeight) << true << false << 9 << 185 << QList<int>{9, 37, 171};
  QTest::newRow("left, linear") << int(apLeft) << false << false << 10 << -90 << QList<int>{10, -30, -86};
  QTest::newRow("top, decelerating") << int(apTop) << true << true << 100 << 40 << QList<int>{100, 62, 41};
}

void TestExpandPanel::animatorFollowsTheClock() {
  QFETCH(int, property);
  QFETCH(bool, quadratic);
  QFETCH(bool, decelerate);
  QFETCH(int, from);
  QFETCH(int, to);
  QFETCH(QList<int>, values);
  QWidget container;
  container.resize(400, 400);
  auto *control = new QWidget(&container);
  control->setGeometry(20, 20, 100, 100);
  TManualClockAnimator animator;
  TAnimationOptions &options = animator.Options();
  options.Duration = 250;
  options.AnimatedProperty = TAnimatedProperty(property);
  options.Quadratic = quadratic;
  options.Decelerate = decelerate;
  options.Control = control;
  int finished = 0;
  bool idleInside = false;
  int valueInside = 0;
  connect(&animator, &TPanelAnimator::OnFinish, this, [&] {
    ++finished;
    idleInside = animator.IsIdle();
    valueInside = PropertyOf(control, TAnimatedProperty(property));
  });

  QVERIFY(animator.IsIdle());
  QVERIFY(animator.Start(from, to));
  QVERIFY(!animator.IsIdle());
  // The running animation keeps the options it started with.
  options.Duration = 10000;
  options.Quadratic = !quadratic;
  options.AnimatedProperty = property == apWidth ? apHeight : apWidth;
  QVERIFY(!animator.Start(0, 1));

  const qint64 clock[] = {0, 100, 240};
  for (int i = 0; i < 3; ++i) {
    animator.Now = clock[i];
    RunSteps();
    QCOMPARE(PropertyOf(control, TAnimatedProperty(property)), values.at(i));
    QCOMPARE(finished, 0);
  }
  // Time up: the end value exactly, then OnFinish once, already idle.
  animator.Now = 250;
  RunSteps();
  QCOMPARE(PropertyOf(control, TAnimatedProperty(property)), to);
  QCOMPARE(finished, 1);
  QVERIFY(idleInside);
  QCOMPARE(valueInside, to);
  animator.Now = 400;
  RunSteps();
  QCOMPARE(finished, 1);
  // Idle again: the next Start runs with the options as they are now.
  QVERIFY(animator.Start(0, 1));
}

void TestExpandPanel::animatorFinishAndLostControl() {
  QWidget container;
  auto *control = new QWidget(&container);
  control->resize(100, 100);
  TManualClockAnimator animator;
  animator.Options().Duration = 250;
  animator.Options().Control = control;
  int finished = 0;
  connect(&animator, &TPanelAnimator::OnFinish, this, [&] { ++finished; });

  // Ended early: straight to the end value, with OnFinish.
  QVERIFY(animator.Start(100, 30));
  animator.Now = 50;
  RunSteps();
  QVERIFY(control->width() < 100 && control->width() > 30);
  animator.Finish();
  QCOMPARE(control->width(), 30);
  QCOMPARE(finished, 1);
  QVERIFY(animator.IsIdle());
  animator.Finish();
  QCOMPARE(finished, 1);

  // The control destroyed under a running animation: the animator stops.
  animator.Now = 0;
  QVERIFY(animator.Start(30, 100));
  RunSteps();
  delete control;
  animator.Now = 300;
  RunSteps();
  QVERIFY(animator.IsIdle());
  QCOMPARE(finished, 1);

  // Nothing to move, nothing started.
  animator.Options().Control = nullptr;
  QVERIFY(!animator.Start(0, 10));
  QVERIFY(animator.IsIdle());
}

void TestExpandPanel::sidesAndGrips_data() {
  QTest::addColumn<int>("align");
  QTest::addColumn<int>("gripSide");
  QTest::addColumn<int>("property");
  QTest::addColumn<QRect>("grip");       // for a panel of W x H
  QTest::addColumn<QMargins>("margins");  // of the child area
  // Docked left or right: 185 x 400; top or bottom: 600 x 185.
  QTest::newRow("left") << int(Panel::alLeft) << int(Panel::gsRight) << int(apWidth)
                        << QRect(QPoint(178, 2), QPoint(182, 397)) << QMargins(2, 2, 8, 2);
  QTest::newRow("right") << int(Panel::alRight) << int(Panel::gsLeft) << int(apWidth)
                         << QRect(QPoint(2, 2), QPoint(6, 397)) << QMargins(8, 2, 2, 2);
  QTest::newRow("top") << int(Panel::alTop) << int(Panel::gsBottom) << int(apHeight)
                       << QRect(QPoint(2, 178), QPoint(597, 182)) << QMargins(2, 2, 2, 8);
  QTest::newRow("bottom") << int(Panel::alBottom) << int(Panel::gsTop) << int(apHeight)
                          << QRect(QPoint(2, 2), QPoint(597, 6)) << QMargins(2, 8, 2, 2);
}

void TestExpandPanel::sidesAndGrips() {
  QFETCH(int, align);
  QFETCH(int, gripSide);
  QFETCH(int, property);
  QFETCH(QRect, grip);
  QFETCH(QMargins, margins);
  const bool across = align == Panel::alTop || align == Panel::alBottom;
  TPanelHost host(Panel::TAlign(align), 185);
  QVERIFY(host.Show());
  Panel *panel = host.PanelWidget;
  QTRY_COMPARE(panel->size(), across ? QSize(600, 185) : QSize(185, 400));
  QCOMPARE(int(panel->GripSide()), gripSide);
  QCOMPARE(int(panel->Animator()->Options().AnimatedProperty), property);
  QCOMPARE(panel->GripRect(), grip);
  const QRect area = panel->rect().marginsRemoved(margins);
  QCOMPARE(panel->ChildArea(), area);
  // The panel's own layout puts the children in the child area.
  QTRY_VERIFY(area.contains(host.Tables->geometry()));
  QVERIFY(area.contains(host.Fields->geometry()));
  QCOMPARE(host.Tables->geometry().topLeft(), area.topLeft());
  // The defaults.
  QCOMPARE(panel->PanelBorder(), Panel::pbFrame);
  QCOMPARE(panel->ExpandState(), Panel::esExpanded);
  QCOMPARE(panel->ExpandSize(), 0);
  QVERIFY(panel->HideChildren());
  QVERIFY(panel->AllowResize());
  QVERIFY(!panel->Animate());
  QCOMPARE(panel->Animator()->Options().Duration, 250);
  QVERIFY(panel->Animator()->Options().Quadratic);
  QVERIFY(panel->Animator()->Options().Decelerate);
}

void TestExpandPanel::noGripWithoutADockingSide_data() {
  QTest::addColumn<int>("align");
  QTest::newRow("none") << int(Panel::alNone);
  QTest::newRow("client") << int(Panel::alClient);
}

void TestExpandPanel::noGripWithoutADockingSide() {
  QFETCH(int, align);
  TPanelHost host(Panel::alTop, 185);
  Panel *panel = host.PanelWidget;
  panel->SetAlign(Panel::TAlign(align));
  SetColours(panel);
  QVERIFY(host.Show());
  QCOMPARE(panel->GripSide(), Panel::gsNone);
  QVERIFY(panel->GripRect().isEmpty());
  QCOMPARE(panel->ChildArea(), panel->rect());
  // The animated property stays as the last docking side set it.
  QCOMPARE(panel->Animator()->Options().AnimatedProperty, apHeight);
  // The height fixed for the top side is the layout's again.
  QCOMPARE(panel->maximumHeight(), QWIDGETSIZE_MAX);

  // Where any grip could be, a click does nothing.
  const int w = panel->width();
  const int h = panel->height();
  for (const QPoint &at : {QPoint(4, h / 2), QPoint(w - 5, h / 2), QPoint(w / 2, 4), QPoint(w / 2, h - 5)}) {
    QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(panel->MouseState(), Panel::msIdle);
    QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, at);
  }
  QCOMPARE(panel->ExpandState(), Panel::esExpanded);
  QVERIFY(host.Log.isEmpty());
  // Set from code, the state, the children and the events change; there
  // is no size that folds.
  const QSize size = panel->size();
  panel->SetAnimate(true);
  panel->SetExpandState(Panel::esCollapsed);
  QVERIFY(panel->Animator()->IsIdle());
  QCOMPARE(host.Log, QStringList{QStringLiteral("collapsed 0 collapsed hidden")});
  panel->SetExpandState(Panel::esExpanded);
  QCOMPARE(host.Log.last(), QStringLiteral("expanded 0 collapsed shown"));
  QCOMPARE(panel->size(), size);
  // And none is drawn: without the children over it, the inside of the
  // border is plain face colour.
  host.Tables->hide();
  host.Fields->hide();
  Hover(panel, QPoint(4, h / 2));
  QVERIFY(!panel->GripHot());
  const QImage image = panel->grab().toImage();
  for (const QPoint &at : {QPoint(4, h / 2), QPoint(w - 5, h / 2), QPoint(w / 2, 4), QPoint(w / 2, h - 5)})
    QCOMPARE(image.pixelColor(at), kFace);
}

void TestExpandPanel::foldAndUnfoldAtOnce_data() {
  QTest::addColumn<int>("align");
  QTest::addColumn<bool>("byClick");
  QTest::addColumn<bool>("hideChildren");
  QTest::newRow("left, grip") << int(Panel::alLeft) << true << true;
  QTest::newRow("left, state") << int(Panel::alLeft) << false << true;
  QTest::newRow("right, grip") << int(Panel::alRight) << true << true;
  QTest::newRow("top, grip") << int(Panel::alTop) << true << true;
  QTest::newRow("bottom, state") << int(Panel::alBottom) << false << true;
  QTest::newRow("left, grip, children kept") << int(Panel::alLeft) << true << false;
}

void TestExpandPanel::foldAndUnfoldAtOnce() {
  QFETCH(int, align);
  QFETCH(bool, byClick);
  QFETCH(bool, hideChildren);
  TPanelHost host(Panel::TAlign(align), 185);
  Panel *panel = host.PanelWidget;
  panel->SetHideChildren(hideChildren);
  QVERIFY(host.Show());
  const bool across = align == Panel::alTop || align == Panel::alBottom;
  auto editorSize = [&] { return across ? host.Editor->height() : host.Editor->width(); };
  QTRY_COMPARE(editorSize(), (across ? 400 : 600) - 185);

  if (byClick)
    ClickGrip(panel);
  else
    panel->SetExpandState(Panel::esCollapsed);
  const QString children = hideChildren ? QStringLiteral("hidden") : QStringLiteral("shown");
  QCOMPARE(host.Log, QStringList{QStringLiteral("collapsed 9 collapsed ") + children});
  QCOMPARE(panel->FoldingSize(), 9);
  QCOMPARE(panel->ExpandSize(), 185);
  QCOMPARE(host.ListsHidden(), hideChildren);
  QCOMPARE(panel->MouseState(), Panel::msIdle);
  // The neighbour takes the room the panel gave up.
  QTRY_COMPARE(editorSize(), (across ? 400 : 600) - 9);

  host.Log.clear();
  if (byClick)
    ClickGrip(panel);
  else
    panel->SetExpandState(Panel::esExpanded);
  // The children are back before OnExpanded, and inside it the state
  // still reads collapsed.
  QCOMPARE(host.Log, QStringList{QStringLiteral("expanded 185 collapsed shown")});
  QCOMPARE(panel->ExpandState(), Panel::esExpanded);
  QCOMPARE(panel->FoldingSize(), 185);
  QVERIFY(host.ListsShown());
  QTRY_COMPARE(editorSize(), (across ? 400 : 600) - 185);
}

void TestExpandPanel::sameStateFiresNothing() {
  TPanelHost host(Panel::alLeft);
  Panel *panel = host.PanelWidget;
  QVERIFY(host.Show());
  panel->SetExpandState(Panel::esExpanded);
  QVERIFY(host.Log.isEmpty());
  QCOMPARE(panel->FoldingSize(), 185);
  panel->SetExpandState(Panel::esCollapsed);
  panel->SetAnimate(true);
  panel->SetExpandState(Panel::esCollapsed);
  QVERIFY(panel->Animator()->IsIdle());
  QCOMPARE(host.Log.size(), 1);
  QCOMPARE(panel->FoldingSize(), 9);
  QCOMPARE(panel->ExpandSize(), 185);
}

void TestExpandPanel::foldAndUnfoldAnimated_data() {
  QTest::addColumn<int>("align");
  QTest::addColumn<bool>("byClick");
  QTest::newRow("left, grip") << int(Panel::alLeft) << true;
  QTest::newRow("top, state") << int(Panel::alTop) << false;
}

void TestExpandPanel::foldAndUnfoldAnimated() {
  QFETCH(int, align);
  QFETCH(bool, byClick);
  TPanelHost host(Panel::TAlign(align), 185);
  Panel *panel = host.PanelWidget;
  panel->SetAnimate(true);
  QVERIFY(host.Show());
  QTRY_COMPARE(panel->FoldingSize(), 185);
  TSizeRecorder recorder(panel);
  QElapsedTimer clock;
  qint64 took = -1;
  connect(panel, &Panel::OnCollapsed, this, [&] { took = clock.elapsed(); });
  connect(panel, &Panel::OnExpanded, this, [&] { took = clock.elapsed(); });

  // Fold: the state and the children change at once, the event at the end.
  clock.start();
  if (byClick)
    ClickGrip(panel);
  else
    panel->SetExpandState(Panel::esCollapsed);
  QCOMPARE(panel->ExpandState(), Panel::esCollapsed);
  QCOMPARE(panel->ExpandSize(), 185);
  QVERIFY(host.ListsHidden());
  QVERIFY(host.Log.isEmpty());
  QVERIFY(!panel->Animator()->IsIdle());
  QTRY_VERIFY_WITH_TIMEOUT(panel->Animator()->IsIdle(), 5000);
  QCOMPARE(host.Log, QStringList{QStringLiteral("collapsed 9 collapsed hidden")});
  QVERIFY2(took >= 250 && took <= 3000, qPrintable(QString::number(took)));
  QCOMPARE(recorder.Sizes.last(), 9);
  const QList<int> folding = CurveValues(panel, 185, 9);
  bool between = false;
  for (int i = 0; i < recorder.Sizes.size(); ++i) {
    const int size = recorder.Sizes.at(i);
    if (i > 0) QVERIFY2(size <= recorder.Sizes.at(i - 1), "the size goes one way");
    if (size != 9) QVERIFY2(folding.contains(size), qPrintable(QString::number(size)));
    between = between || (size > 9 && size < 185);
  }
  QVERIFY2(between, "the size passes through values between the ends");

  // Unfold: the state changes at once, the children and the event follow
  // the animation, the children first.
  recorder.Sizes.clear();
  host.Log.clear();
  took = -1;
  clock.start();
  if (byClick)
    ClickGrip(panel);
  else
    panel->SetExpandState(Panel::esExpanded);
  QCOMPARE(panel->ExpandState(), Panel::esExpanded);
  QVERIFY(host.ListsHidden());
  QTRY_VERIFY_WITH_TIMEOUT(panel->Animator()->IsIdle(), 5000);
  QCOMPARE(host.Log, QStringList{QStringLiteral("expanded 185 expanded shown")});
  QVERIFY2(took >= 250 && took <= 3000, qPrintable(QString::number(took)));
  QCOMPARE(recorder.Sizes.last(), 185);
  const QList<int> unfolding = CurveValues(panel, 9, 185);
  between = false;
  for (int i = 0; i < recorder.Sizes.size(); ++i) {
    const int size = recorder.Sizes.at(i);
    if (i > 0) QVERIFY2(size >= recorder.Sizes.at(i - 1), "the size goes one way");
    if (size != 185) QVERIFY2(unfolding.contains(size), qPrintable(QString::number(size)));
    between = between || (size > 9 && size < 185);
  }
  QVERIFY2(between, "the size passes through values between the ends");
  QTest::qWait(50);
  QCOMPARE(host.Log.size(), 1);
}

void TestExpandPanel::clicksDuringAnimationAreIgnored() {
  TPanelHost host(Panel::alLeft);
  Panel *panel = host.PanelWidget;
  panel->SetAnimate(true);
  QVERIFY(host.Show());
  QTRY_COMPARE(panel->FoldingSize(), 185);

  ClickGrip(panel);
  QVERIFY(!panel->Animator()->IsIdle());
  // A click and a drag on the grip while the panel folds.
  QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, panel->GripRect().center());
  QCOMPARE(panel->MouseState(), Panel::msIdle);
  QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, panel->GripRect().center());
  Drag(panel, panel->GripRect().center(), {QPoint(1, 0), QPoint(40, 0)});
  QCOMPARE(panel->ExpandState(), Panel::esCollapsed);
  QTRY_VERIFY_WITH_TIMEOUT(panel->Animator()->IsIdle(), 5000);
  QCOMPARE(panel->FoldingSize(), 9);
  QCOMPARE(host.Log, QStringList{QStringLiteral("collapsed 9 collapsed hidden")});

  // The same while it unfolds.
  host.Log.clear();
  ClickGrip(panel);
  QVERIFY(!panel->Animator()->IsIdle());
  ClickGrip(panel);
  QCOMPARE(panel->ExpandState(), Panel::esExpanded);
  QTRY_VERIFY_WITH_TIMEOUT(panel->Animator()->IsIdle(), 5000);
  QCOMPARE(panel->FoldingSize(), 185);
  QCOMPARE(host.Log, QStringList{QStringLiteral("expanded 185 expanded shown")});
}

void TestExpandPanel::stateSetDuringAnimation_data() {
  QTest::addColumn<bool>("animateAfter");
  QTest::newRow("folded at once, as when a query is opened") << false;
  QTest::newRow("folded with animation") << true;
}

void TestExpandPanel::stateSetDuringAnimation() {
  QFETCH(bool, animateAfter);
  TPanelHost host(Panel::alLeft);
  Panel *panel = host.PanelWidget;
  QVERIFY(host.Show());
  QTRY_COMPARE(panel->FoldingSize(), 185);
  panel->SetExpandState(Panel::esCollapsed);
  panel->SetAnimate(true);
  host.Log.clear();

  ClickGrip(panel);
  QVERIFY(RunUntil([&] { return panel->FoldingSize() > 9; }));
  QVERIFY(!panel->Animator()->IsIdle());
  // The unfolding ends first, with its event, then the panel folds: size,
  // state and children agree at the end.
  panel->SetAnimate(animateAfter);
  panel->SetExpandState(Panel::esCollapsed);
  panel->SetAnimate(true);
  QTRY_VERIFY_WITH_TIMEOUT(panel->Animator()->IsIdle(), 5000);
  QTest::qWait(50);
  QCOMPARE(host.Log,
           (QStringList{QStringLiteral("expanded 185 expanded shown"), QStringLiteral("collapsed 9 collapsed hidden")}));
  QCOMPARE(panel->ExpandState(), Panel::esCollapsed);
  QCOMPARE(panel->FoldingSize(), 9);
  QCOMPARE(panel->ExpandSize(), 185);
  QVERIFY(host.ListsHidden());
}

void TestExpandPanel::dragResizes_data() {
  QTest::addColumn<int>("align");
  QTest::addColumn<QPoint>("offset");  // on the screen, after the first pixel
  QTest::addColumn<TSizeConstraints>("constraints");
  QTest::addColumn<int>("size");
  const TSizeConstraints none;
  TSizeConstraints widths;
  widths.MinWidth = 150;
  widths.MaxWidth = 200;
  TSizeConstraints heights;
  heights.MinHeight = 100;
  heights.MaxHeight = 200;
  // The first move of a pressed grip only starts the drag: the size
  // follows the mouse from there.
  QTest::newRow("a pixel: resized, not toggled") << int(Panel::alLeft) << QPoint(0, 0) << none << 185;
  QTest::newRow("left, wider") << int(Panel::alLeft) << QPoint(40, 0) << none << 225;
  QTest::newRow("left, narrower") << int(Panel::alLeft) << QPoint(-60, 7) << none << 125;
  QTest::newRow("right, wider to the left") << int(Panel::alRight) << QPoint(-30, 0) << none << 215;
  QTest::newRow("right, narrower") << int(Panel::alRight) << QPoint(50, 0) << none << 135;
  QTest::newRow("top, taller") << int(Panel::alTop) << QPoint(0, 25) << none << 210;
  QTest::newRow("bottom, taller upwards") << int(Panel::alBottom) << QPoint(0, -25) << none << 210;
  QTest::newRow("minimum width") << int(Panel::alLeft) << QPoint(-100, 0) << widths << 150;
  QTest::newRow("maximum width") << int(Panel::alRight) << QPoint(-100, 0) << widths << 200;
  QTest::newRow("maximum height") << int(Panel::alTop) << QPoint(0, 100) << heights << 200;
  QTest::newRow("minimum height") << int(Panel::alBottom) << QPoint(0, 150) << heights << 100;
  QTest::newRow("heights do not limit a width") << int(Panel::alLeft) << QPoint(100, 0) << heights << 285;
  QTest::newRow("never under the folded strip") << int(Panel::alLeft) << QPoint(-300, 0) << none << 9;
}

void TestExpandPanel::dragResizes() {
  QFETCH(int, align);
  QFETCH(QPoint, offset);
  QFETCH(TSizeConstraints, constraints);
  QFETCH(int, size);
  TPanelHost host(Panel::TAlign(align), 185);
  Panel *panel = host.PanelWidget;
  panel->Constraints() = constraints;
  QVERIFY(host.Show());
  QTRY_COMPARE(panel->FoldingSize(), 185);
  const bool across = align == Panel::alTop || align == Panel::alBottom;
  const QPoint first = across ? QPoint(0, 1) : QPoint(1, 0);
  const QPoint grip = panel->GripRect().center();
  const QPoint start = panel->mapToGlobal(grip);

  QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, grip);
  QCOMPARE(panel->MouseState(), Panel::msPressed);
  QTest::mouseMove(panel, panel->mapFromGlobal(start + first));
  QCOMPARE(panel->MouseState(), Panel::msResizing);
  QCOMPARE(panel->FoldingSize(), 185);
  // From here the anchor turns the screen position into the size.
  switch (panel->GripSide()) {
    case Panel::gsRight:
      QCOMPARE(panel->DragAnchor(), start.x() + 1 - 185);
      break;
    case Panel::gsLeft:
      QCOMPARE(panel->DragAnchor(), start.x() + 1 + 185);
      break;
    case Panel::gsBottom:
      QCOMPARE(panel->DragAnchor(), start.y() + 1 - 185);
      break;
    default:
      QCOMPARE(panel->DragAnchor(), start.y() + 1 + 185);
      break;
  }
  // In several moves, each through the panel's geometry of the moment.
  const QPoint end = start + first + offset;
  QTest::mouseMove(panel, panel->mapFromGlobal(start + first + offset / 2));
  QCoreApplication::processEvents();
  QTest::mouseMove(panel, panel->mapFromGlobal(end));
  QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, panel->mapFromGlobal(end));
  QCOMPARE(panel->FoldingSize(), size);
  QCOMPARE(panel->MouseState(), Panel::msIdle);
  QCOMPARE(panel->ExpandState(), Panel::esExpanded);
  QVERIFY(host.Log.isEmpty());
  QVERIFY(!panel->testAttribute(Qt::WA_SetCursor));
  // The layout gives the panel that size, the neighbour the rest.
  QTRY_COMPARE(across ? host.Editor->height() : host.Editor->width(), (across ? 400 : 600) - size);
}

void TestExpandPanel::dragOnCollapsedPanel() {
  TPanelHost host(Panel::alLeft);
  Panel *panel = host.PanelWidget;
  QVERIFY(host.Show());
  QTRY_COMPARE(panel->FoldingSize(), 185);
  panel->SetExpandState(Panel::esCollapsed);
  host.Log.clear();

  // Dragged off the grip: no resize, and released off the grip, no toggle.
  Drag(panel, panel->GripRect().center(), {QPoint(1, 0), QPoint(30, 0), QPoint(60, 0)});
  QCOMPARE(panel->FoldingSize(), 9);
  QCOMPARE(panel->ExpandState(), Panel::esCollapsed);
  QCOMPARE(panel->MouseState(), Panel::msIdle);
  QVERIFY(host.Log.isEmpty());

  // Moved a pixel and released on the grip: that is a click, it unfolds.
  Drag(panel, QPoint(4, panel->height() / 2), {QPoint(1, 0)});
  QCOMPARE(host.Log, QStringList{QStringLiteral("expanded 185 collapsed shown")});
  QCOMPARE(panel->FoldingSize(), 185);
  QCOMPARE(panel->ExpandState(), Panel::esExpanded);
}

void TestExpandPanel::draggedSizeRestoredAfterFolding() {
  TPanelHost host(Panel::alLeft);
  Panel *panel = host.PanelWidget;
  QVERIFY(host.Show());
  QTRY_COMPARE(panel->FoldingSize(), 185);
  Drag(panel, panel->GripRect().center(), {QPoint(1, 0), QPoint(56, 0)});
  QCOMPARE(panel->FoldingSize(), 240);
  ClickGrip(panel);
  QCOMPARE(panel->FoldingSize(), 9);
  QCOMPARE(panel->ExpandSize(), 240);
  ClickGrip(panel);
  QCOMPARE(panel->FoldingSize(), 240);
  QCOMPARE(host.Log, (QStringList{QStringLiteral("collapsed 9 collapsed hidden"),
                                  QStringLiteral("expanded 240 collapsed shown")}));
}

void TestExpandPanel::destroyedDuringAnimation_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<int>("events");
  QTest::newRow("deleted between two steps") << "delete" << 0;
  QTest::newRow("deleteLater between two steps") << "deleteLater" << 0;
  QTest::newRow("its page deleted between two steps") << "page" << 0;
  QTest::newRow("deleted by its own OnCollapsed") << "handler" << 1;
}

void TestExpandPanel::destroyedDuringAnimation() {
  QFETCH(QString, how);
  QFETCH(int, events);
  auto host = std::make_unique<TPanelHost>(Panel::alLeft);
  QPointer<Panel> panel = host->PanelWidget;
  panel->SetAnimate(true);
  QVERIFY(host->Show());
  QTRY_COMPARE(panel->FoldingSize(), 185);
  int fired = 0;
  connect(panel, &Panel::OnExpanded, this, [&] { ++fired; });
  connect(panel, &Panel::OnCollapsed, this, [&] {
    ++fired;
    if (how == QLatin1String("handler")) delete panel.data();
  });

  ClickGrip(panel);
  QVERIFY(RunUntil([&] { return panel->FoldingSize() < 185; }));
  QVERIFY(!panel->Animator()->IsIdle());
  if (how == QLatin1String("delete"))
    delete panel.data();
  else if (how == QLatin1String("deleteLater"))
    panel->deleteLater();
  else if (how == QLatin1String("page"))
    host.reset();
  // Past the animation's time: nothing more happens, nothing crashes.
  RunLoop(400);
  QVERIFY(panel.isNull());
  QCOMPARE(fired, events);
}

void TestExpandPanel::paintsBorders_data() {
  QTest::addColumn<int>("border");
  QTest::addColumn<QColor>("outerTopLeft");
  QTest::addColumn<QColor>("outerBottomRight");
  QTest::addColumn<QColor>("innerTopLeft");
  QTest::addColumn<QColor>("innerBottomRight");
  QTest::newRow("up") << int(Panel::pbUp) << kLight << kShadow << kFace << kFace;
  QTest::newRow("down") << int(Panel::pbDown) << kShadow << kLight << kFace << kFace;
  QTest::newRow("frame") << int(Panel::pbFrame) << kShadow << kLight << kLight << kShadow;
}

void TestExpandPanel::paintsBorders() {
  QFETCH(int, border);
  QFETCH(QColor, outerTopLeft);
  QFETCH(QColor, outerBottomRight);
  QFETCH(QColor, innerTopLeft);
  QFETCH(QColor, innerBottomRight);
  TPanelHost host(Panel::alLeft);
  Panel *panel = host.PanelWidget;
  SetColours(panel);
  panel->SetPanelBorder(Panel::TPanelBorder(border));
  QVERIFY(host.Show());
  QTRY_COMPARE(panel->size(), QSize(185, 400));
  const QImage image = panel->grab().toImage();
  const int w = 185;
  const int h = 400;
  // Away from the corners, the grip and the arrow.
  QCOMPARE(image.pixelColor(w / 3, 0), outerTopLeft);
  QCOMPARE(image.pixelColor(0, 30), outerTopLeft);
  QCOMPARE(image.pixelColor(w / 3, h - 1), outerBottomRight);
  QCOMPARE(image.pixelColor(w - 1, 30), outerBottomRight);
  QCOMPARE(image.pixelColor(w / 3, 1), innerTopLeft);
  QCOMPARE(image.pixelColor(1, 30), innerTopLeft);
  QCOMPARE(image.pixelColor(w / 3, h - 2), innerBottomRight);
  QCOMPARE(image.pixelColor(w - 2, 30), innerBottomRight);
}

void TestExpandPanel::paintsGrip_data() {
  QTest::addColumn<int>("align");
  QTest::addColumn<bool>("collapsed");
  QTest::addColumn<bool>("hot");
  QTest::addColumn<QList<int>>("lines");  // of the 5-, 3- and 1-pixel strokes
  // Panels of 185 x 400 docked left or right, 600 x 185 top or bottom;
  // folded they are 9 across.
  QTest::newRow("grip right, expanded") << int(Panel::alLeft) << false << false << QList<int>{181, 180, 179};
  QTest::newRow("grip right, collapsed, hot") << int(Panel::alLeft) << true << true << QList<int>{3, 4, 5};
  QTest::newRow("grip left, expanded, hot") << int(Panel::alRight) << false << true << QList<int>{3, 4, 5};
  QTest::newRow("grip left, collapsed") << int(Panel::alRight) << true << false << QList<int>{5, 4, 3};
  QTest::newRow("grip bottom, expanded") << int(Panel::alTop) << false << false << QList<int>{181, 180, 179};
  QTest::newRow("grip bottom, collapsed") << int(Panel::alTop) << true << false << QList<int>{3, 4, 5};
  QTest::newRow("grip top, expanded, hot") << int(Panel::alBottom) << false << true << QList<int>{3, 4, 5};
  QTest::newRow("grip top, collapsed") << int(Panel::alBottom) << true << false << QList<int>{5, 4, 3};
}

void TestExpandPanel::paintsGrip() {
  QFETCH(int, align);
  QFETCH(bool, collapsed);
  QFETCH(bool, hot);
  QFETCH(QList<int>, lines);
  TPanelHost host(Panel::TAlign(align), 185);
  Panel *panel = host.PanelWidget;
  SetColours(panel);
  QVERIFY(host.Show());
  QTRY_COMPARE(panel->FoldingSize(), 185);
  if (collapsed) panel->SetExpandState(Panel::esCollapsed);
  QTRY_COMPARE(panel->FoldingSize(), collapsed ? 9 : 185);
  const QRect grip = panel->GripRect();
  if (hot) {
    Hover(panel, grip.center());
    QVERIFY(panel->GripHot());
  } else {
    Hover(panel, QPoint(panel->width() / 2, panel->height() / 2) + QPoint(-3, -3));
    QVERIFY(!panel->GripHot());
  }
  const QImage image = panel->grab().toImage();
  const QColor fill = hot ? kHighlight : kFace;
  const QColor arrow = hot ? kFace : kHighlight;
  const bool vertical = panel->GripSide() == Panel::gsLeft || panel->GripSide() == Panel::gsRight;
  // (along, across) in the panel's coordinates.
  auto at = [&](int along, int across) { return vertical ? QPoint(across, along) : QPoint(along, across); };
  const int middle = vertical ? panel->height() / 2 : panel->width() / 2;
  // The grip is filled from end to end, away from the arrow.
  const int gripStart = vertical ? grip.left() : grip.top();
  for (int across = gripStart; across < gripStart + 5; ++across) {
    QCOMPARE(image.pixelColor(at(2, across)), fill);
    QCOMPARE(image.pixelColor(at(middle + 40, across)), fill);
  }
  // Each stroke covers exactly its length, centred on the middle.
  for (int stroke = 0; stroke < 3; ++stroke) {
    const int half = 2 - stroke;
    const int line = lines.at(stroke);
    for (int along = middle - half; along <= middle + half; ++along)
      QVERIFY2(image.pixelColor(at(along, line)) == arrow, qPrintable(QStringLiteral("stroke %1 at %2").arg(stroke).arg(along)));
    QCOMPARE(image.pixelColor(at(middle - half - 1, line)), fill);
    QCOMPARE(image.pixelColor(at(middle + half + 1, line)), fill);
  }

  // Leaving the panel puts the grip out.
  Leave(panel);
  QVERIFY(!panel->GripHot());
  QCOMPARE(panel->grab().toImage().pixelColor(at(2, gripStart + 1)), kFace);
}

QTEST_MAIN(TestExpandPanel)
#include "TestExpandPanel.moc"
