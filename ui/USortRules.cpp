#include "USortRules.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace USortRules {

namespace {

// Far beyond any exponent that changes an order between numbers of fewer
// than 2^31 digits, and far from overflowing when added to a digit count.
constexpr std::int64_t kMostExponent = std::int64_t(1) << 50;
// Digits packed into the head of a sort key: 10^19 - 1 fits 64 bits.
constexpr int kHeadDigits = 19;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A number as 0.DIGITS x 10^exponent: DIGITS are `first` then `second`
// (the integer and fraction digits, the decimal point skipped), the first
// of them not zero; trailing zeros may remain. Zero has no digits.
struct Number {
  int sign = 0;  // -1, 0 or +1
  std::int64_t exponent = 0;
  const char *first = nullptr;
  qsizetype firstCount = 0;
  const char *second = nullptr;
  qsizetype secondCount = 0;

  qsizetype Digits() const { return firstCount + secondCount; }
  char Digit(qsizetype i) const {
    if (i < firstCount) return first[i];
    if (i < firstCount + secondCount) return second[i - firstCount];
    return '0';
  }
};

bool Parse(QByteArrayView text, Number *number) {
  const char *p = text.data();
  const char *const end = p + text.size();
  int sign = 1;
  if (p < end && (*p == '+' || *p == '-')) sign = *p++ == '-' ? -1 : 1;
  const char *intBegin = p;
  while (p < end && IsDigit(*p)) ++p;
  const char *const intEnd = p;
  const char *fracBegin = p;
  const char *fracEnd = p;
  if (p < end && *p == '.') {
    fracBegin = ++p;
    while (p < end && IsDigit(*p)) ++p;
    fracEnd = p;
  }
  if (intEnd == intBegin && fracEnd == fracBegin) return false;
  std::int64_t exponent = 0;
  if (p < end && (*p == 'e' || *p == 'E')) {
    ++p;
    int exponentSign = 1;
    if (p < end && (*p == '+' || *p == '-')) exponentSign = *p++ == '-' ? -1 : 1;
    if (p == end || !IsDigit(*p)) return false;
    for (; p < end && IsDigit(*p); ++p)
      exponent = std::min(kMostExponent, exponent * 10 + (*p - '0'));
    exponent *= exponentSign;
  }
  if (p != end) return false;
  if (!number) return true;

  while (intBegin < intEnd && *intBegin == '0') ++intBegin;
  Number n;
  if (intBegin < intEnd) {
    n.first = intBegin;
    n.firstCount = intEnd - intBegin;
    n.second = fracBegin;
    n.secondCount = fracEnd - fracBegin;
    n.exponent = n.firstCount + exponent;
  } else {
    const char *const fracStart = fracBegin;
    while (fracBegin < fracEnd && *fracBegin == '0') ++fracBegin;
    if (fracBegin == fracEnd) {
      *number = Number();  // zero, whatever its sign or exponent
      return true;
    }
    n.first = fracBegin;
    n.firstCount = fracEnd - fracBegin;
    n.exponent = exponent - (fracBegin - fracStart);
  }
  n.sign = sign;
  *number = n;
  return true;
}

int Sign(std::int64_t value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

int CompareMagnitudes(const Number &a, const Number &b, qsizetype fromDigit) {
  if (a.exponent != b.exponent) return a.exponent < b.exponent ? -1 : 1;
  const qsizetype digits = std::max(a.Digits(), b.Digits());
  for (qsizetype i = fromDigit; i < digits; ++i) {
    const char x = a.Digit(i);
    const char y = b.Digit(i);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

int CompareParsed(const Number &a, const Number &b) {
  if (a.sign != b.sign) return a.sign < b.sign ? -1 : 1;
  if (a.sign == 0) return 0;
  return a.sign * CompareMagnitudes(a, b, 0);
}

// Where a blank or a number stands before the numbers are compared:
// empty, then NULL, then the numbers.
int Rank(QByteArrayView text) {
  if (text.isEmpty()) return 0;
  return text == QByteArrayView("NULL") ? 1 : 2;
}

// A key made once per row, so that a sort of many rows compares integers
// and seldom reaches the texts themselves (which lie all over memory).
struct Key {
  std::uint64_t head;     // bytes: the first 8, big-endian; numbers: the first 19 digits
  std::int64_t exponent;  // numbers only, as the sign and the rank
  int rank;
  int sign;
  int index;
  QByteArrayView text;
};

std::uint64_t ByteHead(QByteArrayView text) {
  unsigned char bytes[8] = {};
  std::memcpy(bytes, text.data(), size_t(std::min<qsizetype>(8, text.size())));
  std::uint64_t head = 0;
  for (const unsigned char byte : bytes) head = head << 8 | byte;
  return head;
}

std::uint64_t DigitHead(const Number &number) {
  std::uint64_t head = 0;
  for (int i = 0; i < kHeadDigits; ++i) head = head * 10 + std::uint64_t(number.Digit(i) - '0');
  return head;
}

int CompareByteKeys(const Key &a, const Key &b) {
  if (a.head != b.head) return a.head < b.head ? -1 : 1;
  return CompareBytes(a.text, b.text);
}

// Numbers of the same exponent and the same first 19 digits: rare enough
// to be parsed again.
int CompareLongMagnitudes(QByteArrayView a, QByteArrayView b) {
  Number x;
  Number y;
  Parse(a, &x);
  Parse(b, &y);
  return CompareMagnitudes(x, y, kHeadDigits);
}

int CompareNumberKeys(const Key &a, const Key &b) {
  if (a.rank != b.rank) return a.rank < b.rank ? -1 : 1;
  if (a.rank < 2) return 0;
  if (a.sign != b.sign) return a.sign < b.sign ? -1 : 1;
  if (a.sign == 0) return 0;
  int magnitude;
  if (a.exponent != b.exponent)
    magnitude = a.exponent < b.exponent ? -1 : 1;
  else if (a.head != b.head)
    magnitude = a.head < b.head ? -1 : 1;
  else
    magnitude = CompareLongMagnitudes(a.text, b.text);
  return a.sign * magnitude;
}

}  // namespace

bool IsBlank(QByteArrayView text) { return text.isEmpty() || text == QByteArrayView("NULL"); }

bool IsNumber(QByteArrayView text) { return Parse(text, nullptr); }

bool SortsAsNumber(QByteArrayView text) { return IsBlank(text) || IsNumber(text); }

int CompareBytes(QByteArrayView a, QByteArrayView b) {
  const qsizetype common = std::min(a.size(), b.size());
  const int order = common > 0 ? std::memcmp(a.data(), b.data(), size_t(common)) : 0;
  if (order != 0) return order < 0 ? -1 : 1;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int CompareNumbers(QByteArrayView a, QByteArrayView b) {
  const int rankA = Rank(a);
  const int rankB = Rank(b);
  if (rankA != rankB || rankA < 2) return Sign(rankA - rankB);
  Number x;
  Number y;
  // Not numbers after all: the caller broke the contract; bytes decide.
  if (!Parse(a, &x) || !Parse(b, &y)) return CompareBytes(a, b);
  return CompareParsed(x, y);
}

bool SortAsNumbers(const std::vector<QByteArrayView> &keys) {
  for (const QByteArrayView &key : keys)
    if (!SortsAsNumber(key)) return false;
  return true;
}

bool Sort(std::vector<int> &order, const std::vector<QByteArrayView> &keys, int direction) {
  const bool numeric = SortAsNumbers(keys);
  std::vector<Key> sorted;
  sorted.reserve(order.size());
  for (const int index : order) {
    Key key{};
    key.index = index;
    key.text = keys[size_t(index)];
    if (numeric) {
      key.rank = Rank(key.text);
      if (key.rank == 2) {
        Number number;
        Parse(key.text, &number);
        key.sign = number.sign;
        key.exponent = number.exponent;
        key.head = DigitHead(number);
      }
    } else {
      key.head = ByteHead(key.text);
    }
    sorted.push_back(key);
  }
  const int sign = direction < 0 ? -1 : 1;
  if (numeric) {
    std::stable_sort(sorted.begin(), sorted.end(),
                     [sign](const Key &a, const Key &b) { return sign * CompareNumberKeys(a, b) < 0; });
  } else {
    std::stable_sort(sorted.begin(), sorted.end(),
                     [sign](const Key &a, const Key &b) { return sign * CompareByteKeys(a, b) < 0; });
  }
  for (size_t i = 0; i < sorted.size(); ++i) order[i] = sorted[i].index;
  return numeric;
}

}  // namespace USortRules
