#include "TPanelAnimator.h"

#include <QtGlobal>

#include <cmath>

TPanelAnimator::TPanelAnimator(QObject *parent) : QObject(parent) {
  // Zero interval: no pause between steps; the event loop paces them.
  FTimer.setInterval(0);
  FTimer.setTimerType(Qt::PreciseTimer);
  connect(&FTimer, &QTimer::timeout, this, &TPanelAnimator::Step);
}

TPanelAnimator::~TPanelAnimator() { Drop(); }

bool TPanelAnimator::Start(int fromValue, int toValue) {
  if (FRunning || FOptions.Control == nullptr) return false;
  FRun = FOptions;
  FControl = FRun.Control;
  FFromValue = fromValue;
  FToValue = toValue;
  FRunning = true;
  FClock.start();
  FTimer.start();
  return true;
}

void TPanelAnimator::Finish() {
  if (!FRunning) return;
  const QPointer<TPanelAnimator> self(this);
  ApplyValue(FToValue);
  // Applying a size runs the control's resize handling, which may have
  // destroyed us or ended the animation already.
  if (!self || !FRunning) return;
  Drop();
  emit OnFinish();
}

int TPanelAnimator::Percent(qint64 elapsedMs, int durationMs) {
  if (durationMs <= 0) return 100;
  return int(elapsedMs * 100 / durationMs);
}

int TPanelAnimator::StepValue(const TAnimationOptions &options, int fromValue, int toValue, int percent) {
  if (options.Quadratic) {
    const double d = double(toValue) - double(fromValue);
    const double q = d / 10000;
    if (options.Decelerate) {
      const int rest = percent - 100;
      return fromValue + int(std::trunc(d - q * double(rest * rest)));
    }
    return fromValue + int(std::trunc(q * double(percent * percent)));
  }
  // 64-bit product: a distance past 21 million would overflow 32 bits.
  return fromValue + int(qint64(percent) * (qint64(toValue) - fromValue) / 100);
}

void TPanelAnimator::Step() {
  if (!FRunning) return;
  if (!FControl) {
    // The control went away under the animation: nothing left to move.
    Drop();
    return;
  }
  const qint64 elapsed = ElapsedMs();
  if (elapsed >= FRun.Duration) {
    Finish();
    return;
  }
  ApplyValue(StepValue(FRun, FFromValue, FToValue, Percent(elapsed, FRun.Duration)));
}

void TPanelAnimator::ApplyValue(int value) {
  QWidget *control = FControl;
  if (control == nullptr) return;
  switch (FRun.AnimatedProperty) {
    case apLeft:
      control->move(value, control->y());
      break;
    case apTop:
      control->move(control->x(), value);
      break;
    case apWidth:
      control->setFixedWidth(qMax(0, value));
      break;
    case apHeight:
      control->setFixedHeight(qMax(0, value));
      break;
  }
}

void TPanelAnimator::Drop() {
  FTimer.stop();
  FRunning = false;
  FControl = nullptr;
}
