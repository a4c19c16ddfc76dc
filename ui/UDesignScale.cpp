#include "UDesignScale.h"

#include <QFontMetricsF>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

// The average width of the 52 letters in the design font (8-point MS Sans
// Serif at 96 dots per inch), the measure dialog units are made of.
constexpr double kDesignLetterWidth = 5.7;

}  // namespace

double DesignScale(const QFont &font) {
  static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const double average = QFontMetricsF(font).horizontalAdvance(letters) / letters.size();
  return std::max(1.0, average / kDesignLetterWidth);
}

int ScaledWidth(const QWidget *widget, int designWidth) {
  return int(std::lround(designWidth * DesignScale(widget->font())));
}
