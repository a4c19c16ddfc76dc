// USortRules: how every list of the program orders its rows by a column.
//
// A column whose values are all numbers sorts by number, exactly: the
// digits are compared as written, never through a double, so that MySQL's
// 64-bit-and-beyond integers and its DECIMALs keep their order. Empty
// values and the text NULL (what ws.php writes for a NULL) do not stop a
// column from being numeric; they come before every number, the empty ones
// first. Any other column sorts by the bytes of the texts' 8-bit form,
// unsigned, a text that is a prefix of another first (so "B" before "a").
// Keys that compare equal keep their order.
//
// A number is: an optional sign (+ or -), digits with an optional decimal
// point (at least one digit in all: "5", "-0.25", ".5" and "5." are
// numbers), then optionally an exponent (e or E, an optional sign,
// digits). Nothing else: no spaces, no thousands separators, no
// hexadecimal, no "inf" or "nan".
#pragma once

#include <QByteArrayView>

#include <vector>

namespace USortRules {

// Empty, or exactly NULL.
bool IsBlank(QByteArrayView text);
bool IsNumber(QByteArrayView text);
// A number or a blank: what a numeric column may hold.
bool SortsAsNumber(QByteArrayView text);

// Negative, zero or positive as `a` comes before, with or after `b` in
// ascending order: by bytes, and by number (both must sort as numbers).
int CompareBytes(QByteArrayView a, QByteArrayView b);
int CompareNumbers(QByteArrayView a, QByteArrayView b);
inline int Compare(QByteArrayView a, QByteArrayView b, bool numeric) {
  return numeric ? CompareNumbers(a, b) : CompareBytes(a, b);
}

// Whether a column of these keys sorts by number. A column of blanks
// alone does (byte order puts the same blanks in the same order).
bool SortAsNumbers(const std::vector<QByteArrayView> &keys);

// Reorders `order` (indices into `keys`) stably by their keys, ascending
// for a direction of +1 and descending for -1, by number when the keys
// all sort as numbers. Returns whether they did. Throws std::bad_alloc.
bool Sort(std::vector<int> &order, const std::vector<QByteArrayView> &keys, int direction);

}  // namespace USortRules
