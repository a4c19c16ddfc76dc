// UDesignScale: the program's designed widths were set for the 8-point
// "MS Sans Serif" font; with a wider interface font the same pixels clip
// dates and captions. Designed widths are scaled to the font in use, all by
// the same factor, so that their proportions stay.
#pragma once

class QFont;
class QWidget;

// The factor for a font: its average letter width over the design font's,
// never below 1 (a narrower font keeps the designed widths).
double DesignScale(const QFont &font);
// A designed width in pixels, scaled for the widget's font.
int ScaledWidth(const QWidget *widget, int designWidth);
