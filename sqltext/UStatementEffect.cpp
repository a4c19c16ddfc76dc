#include "UStatementEffect.h"

#include <QList>

namespace {

struct TWord {
  QByteArray Text;  // upper case
  int Depth;        // parentheses open around it
};

bool IsWordByte(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
         c >= 0x80;
}

bool IsBlankOrControl(unsigned char c) { return c <= ' '; }

// The words of each statement of the text, as MySQL's reader sees them:
// strings and quoted names are no words, comments are blanks, and the
// code inside an executable comment (/*! ... */) is code.
QList<QList<TWord>> StatementWords(const QByteArray &text) {
  QList<QList<TWord>> statements(1);
  const int n = int(text.size());
  int depth = 0;
  bool inExecutableComment = false;
  int i = 0;
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const unsigned char next = i + 1 < n ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (c == '\'' || c == '"' || c == '`') {
      // A backslash escapes inside strings, not inside quoted names; a
      // doubled quote stands for one.
      ++i;
      while (i < n) {
        if (c != '`' && text[i] == '\\') {
          i += 2;
        } else if (static_cast<unsigned char>(text[i]) == c) {
          if (i + 1 < n && static_cast<unsigned char>(text[i + 1]) == c) {
            i += 2;
          } else {
            ++i;
            break;
          }
        } else {
          ++i;
        }
      }
      statements.last().append({QByteArray(), depth});  // a value: it ends a verb's lookahead
      continue;
    }
    if ((c == '-' && next == '-' && (i + 2 >= n || IsBlankOrControl(static_cast<unsigned char>(text[i + 2])))) ||
        c == '#') {
      while (i < n && text[i] != '\n' && text[i] != '\r') ++i;
      continue;
    }
    if (c == '/' && next == '*') {
      if (i + 2 < n && (text[i + 2] == '!' || (text[i + 2] == 'M' && i + 3 < n && text[i + 3] == '!'))) {
        i += text[i + 2] == '!' ? 3 : 4;
        while (i < n && text[i] >= '0' && text[i] <= '9') ++i;  // the version it asks for
        inExecutableComment = true;
        continue;
      }
      const int end = int(text.indexOf("*/", i + 2));
      i = end < 0 ? n : end + 2;
      continue;
    }
    if (c == '*' && next == '/' && inExecutableComment) {
      inExecutableComment = false;
      i += 2;
      continue;
    }
    if (IsWordByte(c)) {
      const int start = i;
      while (i < n && IsWordByte(static_cast<unsigned char>(text[i]))) ++i;
      statements.last().append({text.mid(start, i - start).toUpper(), depth});
      continue;
    }
    if (c == '(') ++depth;
    if (c == ')' && depth > 0) --depth;
    if (c == ';') {
      statements.append(QList<TWord>());
      depth = 0;
    }
    ++i;
  }
  return statements;
}

bool HasWordAtDepth(const QList<TWord> &words, int from, int depth, const char *word) {
  for (int k = from; k < words.size(); ++k)
    if (words[k].Depth == depth && words[k].Text == word) return true;
  return false;
}

// The verbs a WITH may lead to.
bool IsVerb(const QByteArray &word) {
  return word == "SELECT" || word == "UPDATE" || word == "DELETE" || word == "INSERT" || word == "REPLACE";
}

// The effect of one statement whose verb is words[at].
void AddEffect(const QList<TWord> &words, int at, TStatementEffect &effect) {
  const QByteArray &verb = words[at].Text;
  const int depth = words[at].Depth;
  if (verb == "SELECT" || verb == "SHOW" || verb == "DESCRIBE" || verb == "DESC") return;
  if (verb == "EXPLAIN") {
    // EXPLAIN ANALYZE runs what it explains.
    for (int k = at + 1; k < words.size(); ++k) {
      if (words[k].Text == "ANALYZE") {
        for (int m = k + 1; m < words.size(); ++m)
          if (IsVerb(words[m].Text) || words[m].Text == "WITH")
            return AddEffect(words, m, effect);
        effect.ReadOnly = false;
        return;
      }
      if (words[k].Text != "FORMAT" && words[k].Text != "TREE" && words[k].Text != "JSON" &&
          words[k].Text != "TRADITIONAL" && words[k].Text != "EXTENDED" && words[k].Text != "PARTITIONS")
        return;
    }
    return;
  }
  if (verb == "WITH") {
    // The statement the common table expressions lead to: the verb that
    // stands least deep after them (they are in parentheses), the last one
    // when the main query has parentheses of its own.
    int main = -1;
    for (int k = at + 1; k < words.size(); ++k) {
      if (!IsVerb(words[k].Text)) continue;
      if (main < 0 || words[k].Depth <= words[main].Depth) main = k;
    }
    if (main >= 0) return AddEffect(words, main, effect);
    effect.ReadOnly = false;
    return;
  }
  effect.ReadOnly = false;
  if (verb == "UPDATE" && !HasWordAtDepth(words, at + 1, depth, "WHERE")) effect.UpdateWithoutWhere = true;
  if (verb == "DELETE" && !HasWordAtDepth(words, at + 1, depth, "WHERE")) effect.DeleteWithoutWhere = true;
}

}  // namespace

TStatementEffect StatementEffect(const QByteArray &text) {
  TStatementEffect effect;
  for (const QList<TWord> &words : StatementWords(text)) {
    // The verb is the first word; a value first is no statement a reader
    // would send.
    int first = 0;
    while (first < words.size() && words[first].Text.isEmpty()) {
      effect.ReadOnly = false;
      ++first;
    }
    if (first < words.size()) AddEffect(words, first, effect);
  }
  return effect;
}
