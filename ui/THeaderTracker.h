#pragma once

#include <QObject>

class QHeaderView;

// Watches the dividers of a header that the user drags: reports where a
// drag starts, each width while it goes on, and where it ends, finding the
// divider under the mouse by the header's own rule. Widths set by the
// program are no drag and are not reported.
class THeaderTracker : public QObject {
  Q_OBJECT

 public:
  explicit THeaderTracker(QHeaderView *header);

  // The column whose caption is the header text of `section` as a
  // 128-character header buffer holds it (127 characters): `section`
  // itself when its caption matches, else the first column with that
  // caption, else -1.
  static int HeaderItemColumn(const QHeaderView *header, int section);

 signals:
  void Begin(int section, int width);
  void Track(int section, int width);
  void End(int section, int width);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  // The divider under x (header viewport coordinates), as the header
  // itself finds it when a drag starts; -1 when none.
  int DividerAt(int x) const;
  void SectionResized(int section, int oldSize, int newSize);

  QHeaderView *FHeader;
  int FTrackSection = -1;  // section whose divider is being dragged
};
