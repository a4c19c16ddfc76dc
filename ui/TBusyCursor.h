// Small scope guards of the interface: a busy cursor and a widget that does
// not redraw, each ended whatever happens in between.
#pragma once

#include <QApplication>
#include <QCursor>
#include <QWidget>

// The application's busy cursor for as long as it lives (when active).
class TBusyCursor {
 public:
  explicit TBusyCursor(Qt::CursorShape shape = Qt::BusyCursor, bool active = true) : FActive(active) {
    if (FActive) QApplication::setOverrideCursor(QCursor(shape));
  }
  ~TBusyCursor() {
    if (FActive) QApplication::restoreOverrideCursor();
  }
  TBusyCursor(const TBusyCursor &) = delete;
  TBusyCursor &operator=(const TBusyCursor &) = delete;

 private:
  bool FActive;
};

// A widget that does not redraw for as long as it lives, then redraws once
// (unless it was not redrawing before either).
class TRedrawSuspended {
 public:
  explicit TRedrawSuspended(QWidget *widget) : FWidget(widget), FWasEnabled(widget->updatesEnabled()) {
    FWidget->setUpdatesEnabled(false);
  }
  ~TRedrawSuspended() { FWidget->setUpdatesEnabled(FWasEnabled); }
  TRedrawSuspended(const TRedrawSuspended &) = delete;
  TRedrawSuspended &operator=(const TRedrawSuspended &) = delete;

 private:
  QWidget *FWidget;
  bool FWasEnabled;
};
