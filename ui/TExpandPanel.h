// TExpandPanel: a side panel that folds down to a 9-pixel strip along its
// free edge and unfolds again by a click on the grip drawn in that edge,
// optionally animated, and that is resized by dragging the same grip.
//
// Docking is the parent layout's business: SetAlign only tells the panel
// which edge is free. The panel keeps its folding size itself, as a fixed
// width (docked left or right) or a fixed height (top or bottom), so a
// parent layout gives it exactly that while it folds, unfolds or is dragged.
// Its children belong in the child area: a layout installed on the panel
// (with no margins of its own) lays them out there, since the panel's
// contents margins are 2 pixels, 8 on the grip side.
//
// The query page's assistant, docked left of the editor in a QHBoxLayout:
//
//   auto *panel = new TExpandPanel(page);
//   panel->SetAlign(TExpandPanel::alLeft);
//   panel->SetFoldingSize(ScaledWidth(panel, 185));  // the expanded width
//   panel->SetAnimate(true);
//   connect(panel, &TExpandPanel::OnExpanded, page, ...);
//
// and to fold it at once when a query is opened, whatever Animate says:
//
//   panel->SetAnimate(false);
//   panel->SetExpandState(TExpandPanel::esCollapsed);
//   panel->SetAnimate(true);
#pragma once

#include <QWidget>

#include <memory>

class QPainter;
class TPanelAnimator;

// Limits of a size dragged by the grip; 0 is no limit.
struct TSizeConstraints {
  int MinWidth = 0;
  int MinHeight = 0;
  int MaxWidth = 0;
  int MaxHeight = 0;
};

class TExpandPanel : public QWidget {
  Q_OBJECT

 public:
  enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
  enum TGripSide { gsLeft, gsTop, gsRight, gsBottom, gsNone };
  enum TPanelBorder { pbUp, pbDown, pbFrame };
  enum TExpandState { esExpanded, esCollapsed };
  enum TMouseState { msIdle, msPressed, msResizing };

  // The width or height of the folded strip.
  static constexpr int kCollapsedSize = 9;

  explicit TExpandPanel(QWidget *parent = nullptr);
  // The animator goes first and quietly: no step or event of an animation
  // still running reaches the panel being destroyed.
  ~TExpandPanel() override;

  // The free edge follows from the docking side: alTop folds the height
  // towards the top with the grip at the bottom, alLeft the width with the
  // grip at the right, and so on; alNone and alClient have no grip and do
  // not fold. Changing the side frees the dimension that no longer folds
  // to the parent's layout.
  void SetAlign(TAlign align);
  TAlign Align() const { return FAlign; }
  TGripSide GripSide() const { return FGripSide; }

  // The current size across the free edge (width or height), and setting
  // it as the panel's fixed width or height; 0 and nothing done for a panel
  // that does not fold.
  int FoldingSize() const;
  void SetFoldingSize(int size);

  void SetPanelBorder(TPanelBorder border);
  TPanelBorder PanelBorder() const { return FPanelBorder; }

  // Setting the other state folds or unfolds as a click on the grip does,
  // animated when Animate is on; setting the current state does nothing.
  // While an animation runs, asking for the other state first ends that
  // animation at its end value, with its events, then changes. A panel
  // that does not fold changes its state, children and events only.
  void SetExpandState(TExpandState state);
  TExpandState ExpandState() const { return FExpandState; }

  // The folding size to restore on expanding, taken when the panel
  // collapses; 0 until then.
  int ExpandSize() const { return FExpandSize; }

  void SetHideChildren(bool hide) { FHideChildren = hide; }
  bool HideChildren() const { return FHideChildren; }
  void SetAllowResize(bool allow) { FAllowResize = allow; }
  bool AllowResize() const { return FAllowResize; }
  void SetAnimate(bool animate) { FAnimate = animate; }
  bool Animate() const { return FAnimate; }
  TSizeConstraints &Constraints() { return FConstraints; }
  const TSizeConstraints &Constraints() const { return FConstraints; }

  TPanelAnimator *Animator() const { return FAnimator.get(); }

  bool GripHot() const { return FGripHot; }
  TMouseState MouseState() const { return FMouseState; }
  int DragAnchor() const { return FDragAnchor; }
  // The grip strip in the panel's coordinates; empty without a grip.
  QRect GripRect() const;
  // Where the children go.
  QRect ChildArea() const { return contentsRect(); }

 signals:
  void OnExpanded();
  void OnCollapsed();

 protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void leaveEvent(QEvent *event) override;

 private:
  bool FoldsWidth() const { return FGripSide == gsLeft || FGripSide == gsRight; }
  // The child area's margins for the grip side.
  void AlignControls();
  void PaintGrip(QPainter &painter, bool hot);
  void SetGripHot(bool hot);
  void Collapse();
  void Expand();
  void Toggle();
  void AnimationFinished();
  void HideChildControls();
  void ShowChildControls();
  void Resize(const QPoint &globalPos);

  TAlign FAlign = alNone;
  TGripSide FGripSide = gsNone;
  TPanelBorder FPanelBorder = pbFrame;
  TExpandState FExpandState = esExpanded;
  bool FGripHot = false;
  int FExpandSize = 0;
  TMouseState FMouseState = msIdle;
  bool FHideChildren = true;
  bool FAllowResize = true;
  TSizeConstraints FConstraints;
  bool FAnimate = false;
  std::unique_ptr<TPanelAnimator> FAnimator;
  int FDragAnchor = 0;
};
