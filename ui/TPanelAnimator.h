// TPanelAnimator: moves one position or size of a widget from a start value
// to an end value over a fixed time, the value at each step following the
// time elapsed, never a count of steps.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

enum TAnimatedProperty { apLeft, apTop, apWidth, apHeight };

struct TAnimationOptions {
  int Duration = 500;  // milliseconds
  TAnimatedProperty AnimatedProperty = apWidth;
  // Progress follows a square law (true) or is linear (false).
  bool Quadratic = true;
  // With Quadratic: fast start and slow end (true), or the reverse.
  bool Decelerate = false;
  // The widget whose property moves. Its width and height are set as its
  // fixed width and height, so that a parent's layout keeps each step.
  QWidget *Control = nullptr;
};

// The steps run on the user interface thread, from a zero-interval timer:
// each step is computed as soon as the previous one has been applied and
// the event loop is free again, so a busy interface gets fewer, larger
// steps and the animation still ends on time, on exactly its end value.
class TPanelAnimator : public QObject {
  Q_OBJECT

 public:
  explicit TPanelAnimator(QObject *parent = nullptr);
  // An animation still running is dropped: no further step, no OnFinish.
  ~TPanelAnimator() override;

  // Changing the options does not affect an animation already running: it
  // works on a copy taken by Start.
  TAnimationOptions &Options() { return FOptions; }
  const TAnimationOptions &Options() const { return FOptions; }

  // Starts moving the property from `fromValue` to `toValue`; false, and
  // nothing done, while an animation runs or when there is no control.
  bool Start(int fromValue, int toValue);
  bool IsIdle() const { return !FRunning; }
  // Ends the running animation at once: the end value is applied exactly
  // and OnFinish follows, as if its time were up. Nothing when idle. (A
  // control destroyed during an animation ends it where it is, without
  // OnFinish: there is nothing left to finish.)
  void Finish();

  // The whole percent of the time gone (truncated), and the value of the
  // step at that percent for these options (every fraction truncated
  // toward zero).
  static int Percent(qint64 elapsedMs, int durationMs);
  static int StepValue(const TAnimationOptions &options, int fromValue, int toValue, int percent);

 signals:
  // After the last step has been applied; IsIdle is already true.
  void OnFinish();

 protected:
  // Milliseconds since Start: the clock that drives the steps.
  virtual qint64 ElapsedMs() const { return FClock.elapsed(); }

 private:
  void Step();
  void ApplyValue(int value);
  // Leaves the animation where it is: no step, no OnFinish.
  void Drop();

  TAnimationOptions FOptions;
  TAnimationOptions FRun;  // the running animation's copy
  QPointer<QWidget> FControl;
  int FFromValue = 0;
  int FToValue = 0;
  bool FRunning = false;
  QElapsedTimer FClock;
  QTimer FTimer;
};
