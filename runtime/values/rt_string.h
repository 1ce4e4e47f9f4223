// RtString: the runtime's one text type. A NUL-terminated byte buffer with
// capacity and length that grows in 16-byte steps; the empty string shares
// one static empty text and owns nothing. Numbers concatenate and compare
// with text by the rules below, which games see in every label and score.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

template <typename T>
class RtArray;

class RtString {
 public:
  RtString() noexcept;
  RtString(const char* text);  // NOLINT: raw text converts implicitly, as in the games
  explicit RtString(std::string_view text);
  RtString(const RtString& other);
  RtString(RtString&& other) noexcept;
  explicit RtString(int32_t value);
  explicit RtString(double value);
  explicit RtString(float value);
  ~RtString();

  RtString& operator=(const RtString& other);
  RtString& operator=(RtString&& other) noexcept;
  RtString& operator=(const char* text);
  RtString& operator=(int32_t value);
  RtString& operator=(double value);
  RtString& operator=(float value);

  RtString& operator+=(const RtString& other);
  RtString& operator+=(const char* text);
  RtString& operator+=(int32_t value);
  RtString& operator+=(double value);
  RtString& operator+=(float value);

  // Room for n bytes plus the terminator: capacity becomes the next multiple
  // of 16 strictly above n unless it already exceeds n.
  void Reserve(uint32_t n);
  // Reserve(n) and hand out the buffer for a writer; call SyncLength after.
  char* WritableBuffer(uint32_t n);
  // Length = bytes before the first NUL, counting at most the capacity.
  void SyncLength();

  // Never null; an empty string gives a static empty text.
  const char* CStr() const;
  uint32_t Length() const { return length_; }
  uint32_t Capacity() const { return capacity_; }
  bool Empty() const { return length_ == 0; }
  std::string_view View() const { return std::string_view(data_, length_); }
  std::string Std() const { return std::string(data_, length_); }

 private:
  void Assign(const char* bytes, uint32_t count);
  void Append(const char* bytes, uint32_t count);
  void Release();

  char* data_;
  uint32_t capacity_;
  uint32_t length_;
};

// Text of a number: integers in decimal; reals with 10 significant digits,
// ".0" turned into "0" and a trailing "." dropped. Single-precision values
// are widened first, so 0.1f gives "0.1000000015".
RtString NumberToText(int32_t value);
RtString NumberToText(double value);
RtString NumberToText(float value);

// Concatenation: the left text followed by the right; numbers by NumberToText.
RtString operator+(const RtString& a, const RtString& b);
RtString operator+(const RtString& a, const char* b);
RtString operator+(const char* a, const RtString& b);
RtString operator+(const RtString& a, int32_t b);
RtString operator+(int32_t a, const RtString& b);
RtString operator+(const RtString& a, double b);
RtString operator+(double a, const RtString& b);
RtString operator+(const RtString& a, float b);
RtString operator+(float a, const RtString& b);

// Three-way comparisons: texts by strcmp; a text against a number converts the
// text (atoi for integers, atof for reals) and compares numbers (-1, 0, 1).
int CompareText(const char* a, const char* b);
int CompareText(const RtString& a, int32_t b);
int CompareText(const RtString& a, double b);

// The six relations for every pair with at least one text operand.
#define OMBREL_RTSTRING_RELATION(op)                                                          \
  inline bool operator op(const RtString& a, const RtString& b) {                             \
    return CompareText(a.CStr(), b.CStr()) op 0;                                              \
  }                                                                                           \
  inline bool operator op(const RtString& a, const char* b) {                                 \
    return CompareText(a.CStr(), b) op 0;                                                     \
  }                                                                                           \
  inline bool operator op(const char* a, const RtString& b) {                                 \
    return CompareText(a, b.CStr()) op 0;                                                     \
  }                                                                                           \
  inline bool operator op(const RtString& a, int32_t b) { return CompareText(a, b) op 0; }    \
  inline bool operator op(int32_t a, const RtString& b) { return 0 op CompareText(b, a); }    \
  inline bool operator op(const RtString& a, double b) { return CompareText(a, b) op 0; }     \
  inline bool operator op(double a, const RtString& b) { return 0 op CompareText(b, a); }     \
  inline bool operator op(const RtString& a, float b) {                                       \
    return CompareText(a, static_cast<double>(b)) op 0;                                       \
  }                                                                                           \
  inline bool operator op(float a, const RtString& b) {                                       \
    return 0 op CompareText(b, static_cast<double>(a));                                       \
  }
OMBREL_RTSTRING_RELATION(==)
OMBREL_RTSTRING_RELATION(!=)
OMBREL_RTSTRING_RELATION(<)
OMBREL_RTSTRING_RELATION(>)
OMBREL_RTSTRING_RELATION(<=)
OMBREL_RTSTRING_RELATION(>=)
#undef OMBREL_RTSTRING_RELATION

// Conversions from text (never fail: text that is not a number gives 0).
double TextToReal(const RtString& text);
int32_t TextToInteger(const RtString& text);

// The string commands.
int32_t TextLength(const RtString& text);                   // length in bytes
int32_t TextLength(int32_t value);                          // length of the number's text
int32_t TextLength(double value);
int32_t CharCode(const RtString& text);                     // first byte 0..255; 0 when empty
RtString CharFromCode(int32_t code);                        // one byte (low 8 bits); "" for 0
int32_t CharAt(const RtString& text, int32_t index);        // signed byte; 0 when empty or outside
void SetCharAt(RtString& text, int32_t index, int32_t value);  // outside the text: nothing
void TruncateAt(RtString& text, int32_t index);             // NUL at index, then SyncLength
RtString ToLowerCopy(const RtString& text);                 // A..Z to a..z only
RtString ToUpperCopy(const RtString& text);                 // a..z to A..Z only
// Equal but for the case of A..Z; every other byte must match exactly.
bool SameIgnoringCase(std::string_view a, std::string_view b);
int32_t FindText(const RtString& haystack, const RtString& needle);  // index, -1, 0 for ""
// Every occurrence of search replaced; replacements are never searched again.
// An empty search text returns the text unchanged.
RtString ReplaceText(const RtString& text, const RtString& search, const RtString& replacement);
// Fills target with the non-empty pieces between delimiter bytes; returns
// their number. An empty delimiter set gives the whole text as one piece.
int32_t SplitText(const RtString& text, RtArray<RtString>& target, const RtString& delimiters);
