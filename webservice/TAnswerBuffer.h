#pragma once

#include <QtGlobal>

#include <cstddef>

// The bytes of one answer, grown as they arrive. An answer of many
// megabytes costs more in first touches of fresh memory, a page at a time,
// than in its transfer, so a large buffer lives in a mapping of its own
// that the system is asked to back with huge pages where it can.
//
// It also notes, as the bytes arrive and are still in the cache, what the
// result set would otherwise need passes over the whole (by then cold) text
// for: where the text ends, where its first CR is, how many line breaks it
// holds and, while it holds no CR, how many tabs the lines after the first
// hold.
class TAnswerBuffer {
 public:
  TAnswerBuffer() = default;
  ~TAnswerBuffer();
  TAnswerBuffer(TAnswerBuffer &&other) noexcept;
  TAnswerBuffer &operator=(TAnswerBuffer &&other) noexcept;
  TAnswerBuffer(const TAnswerBuffer &) = delete;
  TAnswerBuffer &operator=(const TAnswerBuffer &) = delete;

  const char *Data() const { return FData; }
  qsizetype Size() const { return qsizetype(FSize); }
  qsizetype Capacity() const { return qsizetype(FCapacity); }

  // Makes room for that many bytes in all, without growing further. Throws
  // std::bad_alloc.
  void Reserve(qsizetype bytes);
  // Adds the bytes; the room grows by doubling when short. Throws
  // std::bad_alloc.
  void Append(const char *bytes, qsizetype count);
  // Frees the memory.
  void Clear() noexcept;

  // The text ends at the first NUL byte, or with the bytes.
  qsizetype TextEnd() const { return FNotes.nul >= 0 ? FNotes.nul : Size(); }
  // The first CR of the text, or TextEnd().
  qsizetype FirstCr() const { return FNotes.firstCr >= 0 ? FNotes.firstCr : TextEnd(); }
  // The line breaks of the text: CR LF, LF and CR, CR LF counting once.
  qsizetype LineBreaks() const { return FNotes.breaks; }
  // Whether the text holds no CR and every line after the first holds
  // exactly that many tabs (true when there is no such line).
  bool LaterLinesHoldTabs(qsizetype tabs) const;

 private:
  void Note(const char *bytes, size_t count, size_t offset);
  void NoteLines(const char *bytes, const char *end);

  struct Notes {
    qsizetype nul = -1;
    qsizetype firstCr = -1;
    qsizetype breaks = 0;
    bool endsWithCr = false;  // so far; an LF that comes next is no break
    // Until a CR comes: the fewest and the most tabs of a finished line
    // after the first (-1 before there is one), and the tabs and bytes so
    // far of the line not yet finished.
    qsizetype fewestTabs = -1;
    qsizetype mostTabs = -1;
    qsizetype openTabs = 0;
    bool openBytes = false;
  };

  char *FData = nullptr;
  size_t FSize = 0;
  size_t FCapacity = 0;
  Notes FNotes;
};
