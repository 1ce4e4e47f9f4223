// RtString storage, number-to-text and the string commands.
#include "runtime/values/rt_string.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "runtime/values/rt_array.h"

namespace {

// The shared empty text: never written, never freed.
char g_emptyText[1] = {'\0'};

uint32_t Measure(const char* text) {
  return text != nullptr ? static_cast<uint32_t>(std::strlen(text)) : 0;
}

// Writes a real the way the games expect: 10 significant digits, fixed
// notation where the digits allow it, trailing fraction zeros dropped.
void FormatReal(double value, char* out, size_t size) {
  std::snprintf(out, size, "%.10g", value);
  size_t length = std::strlen(out);
  if (std::strcmp(out, ".0") == 0) {
    std::strcpy(out, "0");
  } else if (length > 0 && out[length - 1] == '.') {
    out[length - 1] = '\0';
  }
}

}  // namespace

RtString::RtString() noexcept : data_(g_emptyText), capacity_(0), length_(0) {}

RtString::RtString(const char* text) : RtString() { Assign(text, Measure(text)); }

RtString::RtString(std::string_view text) : RtString() {
  Assign(text.data(), static_cast<uint32_t>(text.size()));
  SyncLength();  // a NUL byte cannot be part of a text
}

RtString::RtString(const RtString& other) : RtString() { Assign(other.data_, other.length_); }

RtString::RtString(RtString&& other) noexcept
    : data_(other.data_), capacity_(other.capacity_), length_(other.length_) {
  other.data_ = g_emptyText;
  other.capacity_ = 0;
  other.length_ = 0;
}

RtString::RtString(int32_t value) : RtString() { *this = value; }
RtString::RtString(double value) : RtString() { *this = value; }
RtString::RtString(float value) : RtString() { *this = value; }

RtString::~RtString() { Release(); }

void RtString::Release() {
  if (capacity_ != 0 && data_ != g_emptyText) {
    std::allocator<char>().deallocate(data_, capacity_);
  }
  data_ = g_emptyText;
  capacity_ = 0;
  length_ = 0;
}

RtString& RtString::operator=(const RtString& other) {
  if (this != &other) Assign(other.data_, other.length_);
  return *this;
}

RtString& RtString::operator=(RtString&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = other.data_;
    capacity_ = other.capacity_;
    length_ = other.length_;
    other.data_ = g_emptyText;
    other.capacity_ = 0;
    other.length_ = 0;
  }
  return *this;
}

RtString& RtString::operator=(const char* text) {
  // The source may live inside this string's own buffer.
  if (text >= data_ && text < data_ + capacity_) {
    RtString copy(text);
    return *this = std::move(copy);
  }
  Assign(text, Measure(text));
  return *this;
}

RtString& RtString::operator=(int32_t value) {
  Reserve(64);
  std::snprintf(data_, capacity_, "%d", value);
  length_ = Measure(data_);
  return *this;
}

RtString& RtString::operator=(double value) {
  Reserve(64);
  FormatReal(value, data_, capacity_);
  length_ = Measure(data_);
  return *this;
}

RtString& RtString::operator=(float value) { return *this = static_cast<double>(value); }

RtString& RtString::operator+=(const RtString& other) {
  if (this == &other) {
    RtString copy(other);
    Append(copy.data_, copy.length_);
  } else {
    Append(other.data_, other.length_);
  }
  return *this;
}

RtString& RtString::operator+=(const char* text) {
  if (text >= data_ && text < data_ + capacity_) return *this += RtString(text);
  Append(text, Measure(text));
  return *this;
}

RtString& RtString::operator+=(int32_t value) { return *this += NumberToText(value); }
RtString& RtString::operator+=(double value) { return *this += NumberToText(value); }
RtString& RtString::operator+=(float value) { return *this += NumberToText(value); }

void RtString::Reserve(uint32_t n) {
  if (capacity_ > n) return;
  uint32_t capacity = (n & ~uint32_t{15}) + 16;
  char* block = std::allocator<char>().allocate(capacity);
  if (capacity_ != 0 && data_ != g_emptyText) {
    std::memcpy(block, data_, length_ + 1);
    std::allocator<char>().deallocate(data_, capacity_);
  } else {
    block[0] = '\0';
    length_ = 0;
  }
  data_ = block;
  capacity_ = capacity;
}

char* RtString::WritableBuffer(uint32_t n) {
  Reserve(n);
  return data_;
}

void RtString::SyncLength() {
  if (capacity_ == 0) {
    length_ = 0;
    return;
  }
  const void* end = std::memchr(data_, '\0', capacity_);
  length_ = end != nullptr ? static_cast<uint32_t>(static_cast<const char*>(end) - data_) : capacity_ - 1;
  data_[length_] = '\0';
}

const char* RtString::CStr() const { return length_ > 0 ? data_ : g_emptyText; }

void RtString::Assign(const char* bytes, uint32_t count) {
  length_ = 0;
  if (count == 0) {
    if (capacity_ != 0) data_[0] = '\0';
    return;
  }
  Reserve(count);
  std::memmove(data_, bytes, count);
  data_[count] = '\0';
  length_ = count;
}

void RtString::Append(const char* bytes, uint32_t count) {
  if (count == 0) return;
  uint32_t total = length_ + count;
  Reserve(total);
  std::memmove(data_ + length_, bytes, count);
  data_[total] = '\0';
  length_ = total;
}

RtString NumberToText(int32_t value) { return RtString(value); }
RtString NumberToText(double value) { return RtString(value); }
RtString NumberToText(float value) { return RtString(value); }

RtString operator+(const RtString& a, const RtString& b) {
  RtString result;
  result.Reserve(a.Length() + b.Length());
  result += a;
  result += b;
  return result;
}
RtString operator+(const RtString& a, const char* b) { return a + RtString(b); }
RtString operator+(const char* a, const RtString& b) { return RtString(a) + b; }
RtString operator+(const RtString& a, int32_t b) { return a + NumberToText(b); }
RtString operator+(int32_t a, const RtString& b) { return NumberToText(a) + b; }
RtString operator+(const RtString& a, double b) { return a + NumberToText(b); }
RtString operator+(double a, const RtString& b) { return NumberToText(a) + b; }
RtString operator+(const RtString& a, float b) { return a + NumberToText(b); }
RtString operator+(float a, const RtString& b) { return NumberToText(a) + b; }

int CompareText(const char* a, const char* b) {
  return std::strcmp(a != nullptr ? a : "", b != nullptr ? b : "");
}

int CompareText(const RtString& a, int32_t b) {
  int32_t value = TextToInteger(a);
  return value < b ? -1 : (value > b ? 1 : 0);
}

int CompareText(const RtString& a, double b) {
  double value = TextToReal(a);
  return value < b ? -1 : (value > b ? 1 : 0);
}

double TextToReal(const RtString& text) { return std::atof(text.CStr()); }

int32_t TextToInteger(const RtString& text) {
  // atoi's overflow is undefined; strtol saturates, and the low 32 bits follow.
  long value = std::strtol(text.CStr(), nullptr, 10);
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

int32_t TextLength(const RtString& text) { return static_cast<int32_t>(text.Length()); }
int32_t TextLength(int32_t value) { return TextLength(NumberToText(value)); }
int32_t TextLength(double value) { return TextLength(NumberToText(value)); }

int32_t CharCode(const RtString& text) {
  return static_cast<unsigned char>(text.CStr()[0]);
}

RtString CharFromCode(int32_t code) {
  char bytes[2] = {static_cast<char>(code & 0xFF), '\0'};
  return RtString(bytes);
}

int32_t CharAt(const RtString& text, int32_t index) {
  if (index < 0 || static_cast<uint32_t>(index) >= text.Length()) return 0;
  return static_cast<signed char>(text.CStr()[index]);
}

void SetCharAt(RtString& text, int32_t index, int32_t value) {
  if (index < 0 || static_cast<uint32_t>(index) >= text.Length()) return;
  text.WritableBuffer(0)[index] = static_cast<char>(value & 0xFF);
  // A NUL stored inside the text is kept in the buffer; the length stays.
}

void TruncateAt(RtString& text, int32_t index) {
  if (index < 0 || static_cast<uint32_t>(index) >= text.Length()) return;
  text.WritableBuffer(0)[index] = '\0';
  text.SyncLength();
}

RtString ToLowerCopy(const RtString& text) {
  RtString copy(text);
  char* bytes = copy.WritableBuffer(0);
  for (uint32_t i = 0; i < copy.Length(); ++i) {
    if (bytes[i] >= 'A' && bytes[i] <= 'Z') bytes[i] = static_cast<char>(bytes[i] - 'A' + 'a');
  }
  return copy;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    const char y = (b[i] >= 'A' && b[i] <= 'Z') ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
    if (x != y) return false;
  }
  return true;
}

RtString ToUpperCopy(const RtString& text) {
  RtString copy(text);
  char* bytes = copy.WritableBuffer(0);
  for (uint32_t i = 0; i < copy.Length(); ++i) {
    if (bytes[i] >= 'a' && bytes[i] <= 'z') bytes[i] = static_cast<char>(bytes[i] - 'a' + 'A');
  }
  return copy;
}

int32_t FindText(const RtString& haystack, const RtString& needle) {
  size_t at = haystack.View().find(needle.View());
  return at == std::string_view::npos ? -1 : static_cast<int32_t>(at);
}

RtString ReplaceText(const RtString& text, const RtString& search, const RtString& replacement) {
  if (search.Empty()) return text;
  std::string_view source = text.View();
  std::string result;
  result.reserve(source.size());
  size_t position = 0;
  while (true) {
    size_t at = source.find(search.View(), position);
    if (at == std::string_view::npos) break;
    result.append(source.substr(position, at - position));
    result.append(replacement.View());
    position = at + search.Length();
  }
  result.append(source.substr(position));
  return RtString(std::string_view(result));
}

int32_t SplitText(const RtString& text, RtArray<RtString>& target, const RtString& delimiters) {
  target.Clear();
  std::string_view rest = text.View();
  std::string_view delims = delimiters.View();
  if (delims.empty()) {
    if (!rest.empty()) target.Append(text);
    return static_cast<int32_t>(target.DimSize(0));
  }
  while (!rest.empty()) {
    size_t start = rest.find_first_not_of(delims);
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    size_t end = rest.find_first_of(delims);
    target.Append(RtString(rest.substr(0, end)));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return static_cast<int32_t>(target.DimSize(0));
}
