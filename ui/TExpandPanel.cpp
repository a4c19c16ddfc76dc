#include "TExpandPanel.h"

#include "TPanelAnimator.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace {

constexpr int kAnimationDuration = 250;
// The grip strip lies 2 pixels inside the free edge and is 5 wide; the
// child area keeps 8 pixels clear on that side, 2 on the others.
constexpr int kEdgeMargin = 2;
constexpr int kGripMargin = 8;

enum TFold { fdNone, fdWidth, fdHeight };

TFold FoldOf(TExpandPanel::TAlign align) {
  switch (align) {
    case TExpandPanel::alLeft:
    case TExpandPanel::alRight:
      return fdWidth;
    case TExpandPanel::alTop:
    case TExpandPanel::alBottom:
      return fdHeight;
    default:
      return fdNone;
  }
}

}  // namespace

TExpandPanel::TExpandPanel(QWidget *parent) : QWidget(parent), FAnimator(std::make_unique<TPanelAnimator>()) {
  TAnimationOptions &options = FAnimator->Options();
  options.Duration = kAnimationDuration;
  options.Quadratic = true;
  options.Decelerate = true;
  options.Control = this;
  connect(FAnimator.get(), &TPanelAnimator::OnFinish, this, &TExpandPanel::AnimationFinished);
  // The grip lights up under the mouse without a button held.
  setMouseTracking(true);
  setAccessibleDescription(QStringLiteral("Replier ou déplier le panneau"));
  AlignControls();
}

TExpandPanel::~TExpandPanel() { FAnimator.reset(); }

void TExpandPanel::SetAlign(TAlign align) {
  const TFold before = FoldOf(FAlign);
  FAlign = align;
  switch (align) {
    case alTop:
      FGripSide = gsBottom;
      break;
    case alBottom:
      FGripSide = gsTop;
      break;
    case alLeft:
      FGripSide = gsRight;
      break;
    case alRight:
      FGripSide = gsLeft;
      break;
    default:
      FGripSide = gsNone;
      break;
  }
  const TFold after = FoldOf(align);
  if (after == fdWidth) FAnimator->Options().AnimatedProperty = apWidth;
  if (after == fdHeight) FAnimator->Options().AnimatedProperty = apHeight;
  // The size the panel fixed for its old side is the parent layout's again.
  if (before == fdWidth && after != fdWidth) {
    setMinimumWidth(0);
    setMaximumWidth(QWIDGETSIZE_MAX);
  }
  if (before == fdHeight && after != fdHeight) {
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
  }
  AlignControls();
  update();
}

int TExpandPanel::FoldingSize() const {
  switch (FoldOf(FAlign)) {
    case fdWidth:
      return width();
    case fdHeight:
      return height();
    default:
      return 0;
  }
}

void TExpandPanel::SetFoldingSize(int size) {
  switch (FoldOf(FAlign)) {
    case fdWidth:
      setFixedWidth(qMax(0, size));
      break;
    case fdHeight:
      setFixedHeight(qMax(0, size));
      break;
    default:
      break;
  }
}

void TExpandPanel::SetPanelBorder(TPanelBorder border) {
  FPanelBorder = border;
  update();
}

void TExpandPanel::SetExpandState(TExpandState state) {
  if (state == FExpandState) return;
  if (!FAnimator->IsIdle()) {
    // Left running, the animation would carry the size back to where the
    // old change was going, under the new state and its children.
    const QPointer<TExpandPanel> self(this);
    FAnimator->Finish();
    if (!self || state == FExpandState) return;
  }
  if (state == esCollapsed)
    Collapse();
  else
    Expand();
}

QRect TExpandPanel::GripRect() const {
  const int w = width();
  const int h = height();
  switch (FGripSide) {
    case gsLeft:
      return QRect(QPoint(2, 2), QPoint(6, h - 3));
    case gsTop:
      return QRect(QPoint(2, 2), QPoint(w - 3, 6));
    case gsRight:
      return QRect(QPoint(w - 7, 2), QPoint(w - 3, h - 3));
    case gsBottom:
      return QRect(QPoint(2, h - 7), QPoint(w - 3, h - 3));
    default:
      return QRect();
  }
}

void TExpandPanel::AlignControls() {
  if (FGripSide == gsNone) {
    setContentsMargins(0, 0, 0, 0);
    return;
  }
  setContentsMargins(FGripSide == gsLeft ? kGripMargin : kEdgeMargin, FGripSide == gsTop ? kGripMargin : kEdgeMargin,
                     FGripSide == gsRight ? kGripMargin : kEdgeMargin,
                     FGripSide == gsBottom ? kGripMargin : kEdgeMargin);
}

void TExpandPanel::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  const QColor face = palette().color(backgroundRole());
  const QColor shadow = palette().color(QPalette::Dark);
  const QColor light = palette().color(QPalette::Light);
  const int w = width();
  const int h = height();
  painter.fillRect(rect(), face);
  // One-pixel lines laid on whole pixels; a later line takes the corner.
  auto top = [&](int inset, const QColor &c) { painter.fillRect(inset, inset, w - 2 * inset, 1, c); };
  auto left = [&](int inset, const QColor &c) { painter.fillRect(inset, inset, 1, h - 2 * inset, c); };
  auto bottom = [&](int inset, const QColor &c) { painter.fillRect(inset, h - 1 - inset, w - 2 * inset, 1, c); };
  auto right = [&](int inset, const QColor &c) { painter.fillRect(w - 1 - inset, inset, 1, h - 2 * inset, c); };
  switch (FPanelBorder) {
    case pbUp:
      bottom(0, shadow);
      right(0, shadow);
      top(0, light);
      left(0, light);
      break;
    case pbDown:
    case pbFrame:
      top(0, shadow);
      left(0, shadow);
      bottom(0, light);
      right(0, light);
      if (FPanelBorder == pbFrame) {
        top(1, light);
        left(1, light);
        bottom(1, shadow);
        right(1, shadow);
      }
      break;
  }
  PaintGrip(painter, FGripHot);
}

void TExpandPanel::PaintGrip(QPainter &painter, bool hot) {
  if (FGripSide == gsNone) return;
  const QColor face = palette().color(backgroundRole());
  const QColor highlight = palette().color(QPalette::Highlight);
  const QColor fill = hot ? highlight : face;
  const QColor arrow = hot ? face : highlight;
  painter.fillRect(GripRect(), fill);
  // Three strokes of 5, 3 and 1 pixels on adjacent lines across the strip,
  // centred on its middle: the arrow points the way the free edge moves on
  // the next click.
  const bool collapsed = FExpandState == esCollapsed;
  const bool vertical = FGripSide == gsLeft || FGripSide == gsRight;
  const int middle = vertical ? height() / 2 : width() / 2;
  int base = 0;  // the line of the 5-pixel stroke
  int step = 0;  // towards the 1-pixel stroke
  switch (FGripSide) {
    case gsLeft:
    case gsTop:
      base = collapsed ? 5 : 3;
      step = collapsed ? -1 : 1;
      break;
    case gsRight:
      base = collapsed ? width() - 6 : width() - 4;
      step = collapsed ? 1 : -1;
      break;
    case gsBottom:
      base = collapsed ? height() - 6 : height() - 4;
      step = collapsed ? 1 : -1;
      break;
    default:
      break;
  }
  for (int stroke = 0; stroke < 3; ++stroke) {
    const int line = base + stroke * step;
    const int half = 2 - stroke;
    if (vertical)
      painter.fillRect(line, middle - half, 1, 2 * half + 1, arrow);
    else
      painter.fillRect(middle - half, line, 2 * half + 1, 1, arrow);
  }
}

void TExpandPanel::SetGripHot(bool hot) {
  if (hot == FGripHot) return;
  FGripHot = hot;
  update(GripRect());
}

// The left button on the panel's own surface is the panel's, on the grip
// or not; the children under the mouse get their own events.
void TExpandPanel::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  if (FMouseState == msIdle && FAnimator->IsIdle() && GripRect().contains(event->position().toPoint()))
    FMouseState = msPressed;
}

void TExpandPanel::mouseMoveEvent(QMouseEvent *event) {
  SetGripHot(GripRect().contains(event->position().toPoint()));
  const QPoint global = event->globalPosition().toPoint();
  if (FMouseState == msPressed && FExpandState == esExpanded && FAllowResize && FAnimator->IsIdle()) {
    // Screen coordinates: a panel docked right or bottom moves its own
    // origin as it grows.
    switch (FGripSide) {
      case gsBottom:
        FDragAnchor = global.y() - height();
        break;
      case gsTop:
        FDragAnchor = global.y() + height();
        break;
      case gsRight:
        FDragAnchor = global.x() - width();
        break;
      case gsLeft:
        FDragAnchor = global.x() + width();
        break;
      default:
        break;
    }
    FMouseState = msResizing;
    setCursor(FoldsWidth() ? Qt::SizeHorCursor : Qt::SizeVerCursor);
  }
  if (FMouseState == msResizing) Resize(global);
}

void TExpandPanel::Resize(const QPoint &globalPos) {
  int w = width();
  int h = height();
  switch (FGripSide) {
    case gsBottom:
      h = globalPos.y() - FDragAnchor;
      break;
    case gsTop:
      h = FDragAnchor - globalPos.y();
      break;
    case gsRight:
      w = globalPos.x() - FDragAnchor;
      break;
    case gsLeft:
      w = FDragAnchor - globalPos.x();
      break;
    default:
      return;
  }
  if (FConstraints.MinWidth != 0) w = qMax(w, FConstraints.MinWidth);
  if (FConstraints.MinHeight != 0) h = qMax(h, FConstraints.MinHeight);
  if (FConstraints.MaxWidth != 0) w = qMin(w, FConstraints.MaxWidth);
  if (FConstraints.MaxHeight != 0) h = qMin(h, FConstraints.MaxHeight);
  // Only the folding size is the panel's to set; the other one belongs to
  // the parent's layout. Never narrower than the folded strip: a grip
  // dragged away to nothing could not be caught again, and a collapse would
  // keep that nothing as the size to restore.
  SetFoldingSize(qMax(FoldsWidth() ? w : h, kCollapsedSize));
  // The layout and the repaint follow as soon as this event returns; running
  // the event queue from here could deliver the release inside this move.
  update();
}

void TExpandPanel::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  const QPointer<TExpandPanel> self(this);
  if (FMouseState == msPressed && FAnimator->IsIdle() && GripRect().contains(event->position().toPoint()))
    Toggle();
  // The handlers of a change of state may have destroyed the panel.
  if (!self) return;
  FMouseState = msIdle;
  if (testAttribute(Qt::WA_SetCursor)) unsetCursor();
}

void TExpandPanel::leaveEvent(QEvent *event) {
  if (FMouseState == msIdle) SetGripHot(false);
  QWidget::leaveEvent(event);
}

void TExpandPanel::Toggle() {
  if (FExpandState == esExpanded)
    Collapse();
  else
    Expand();
}

void TExpandPanel::Collapse() {
  FExpandSize = FoldingSize();
  FExpandState = esCollapsed;
  if (FHideChildren) HideChildControls();
  if (FAnimate && FoldOf(FAlign) != fdNone && FAnimator->Start(FoldingSize(), kCollapsedSize)) {
    update();  // the arrow turns at once; OnCollapsed follows the animation
    return;
  }
  SetFoldingSize(kCollapsedSize);
  update();
  emit OnCollapsed();
}

void TExpandPanel::Expand() {
  if (FAnimate && FoldOf(FAlign) != fdNone && FAnimator->Start(FoldingSize(), FExpandSize)) {
    FExpandState = esExpanded;
    update();  // the children and OnExpanded follow the animation
    return;
  }
  SetFoldingSize(FExpandSize);
  if (FHideChildren) ShowChildControls();
  const QPointer<TExpandPanel> self(this);
  // The state changes last: inside OnExpanded it still reads collapsed.
  emit OnExpanded();
  if (!self) return;
  FExpandState = esExpanded;
  update();
}

void TExpandPanel::AnimationFinished() {
  if (FExpandState == esExpanded) {
    if (FHideChildren) ShowChildControls();
    emit OnExpanded();
  } else {
    emit OnCollapsed();
  }
}

void TExpandPanel::HideChildControls() {
  // Child widgets only: a menu or dialog owned by the panel is a window of
  // its own, not something laid out inside it.
  for (QObject *child : children()) {
    auto *widget = qobject_cast<QWidget *>(child);
    if (widget != nullptr && !widget->isWindow()) widget->setVisible(false);
  }
}

void TExpandPanel::ShowChildControls() {
  for (QObject *child : children()) {
    auto *widget = qobject_cast<QWidget *>(child);
    if (widget != nullptr && !widget->isWindow()) widget->setVisible(true);
  }
}
