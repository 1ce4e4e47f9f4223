// RtArray: the runtime's only container. Up to four dimensions of one element
// type (integers, reals, RtString or game records), the first index varying
// fastest in memory, a negative first index counting from the end, and misuse
// ending the program with runtime error 7, 8 or 9.
//
// Small integer and real arrays live in an inline block and never touch the
// heap. Capacity grows in steps (and geometrically when appending), so that
// Append costs amortised constant time while keeping every rule of the
// container: contents kept, defaults for new elements, shapes as asked.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "runtime/core/program_end.h"

class RtString;
int CompareText(const char* a, const char* b);

namespace rt_array_detail {

// Inline storage for arithmetic element types; nothing for the others.
template <typename T, bool = std::is_arithmetic_v<T>>
struct InlineBlock {
  static constexpr int32_t kCount = 0;
  T* Data() { return nullptr; }
};

template <typename T>
struct InlineBlock<T, true> {
  static constexpr int32_t kCount = 16;
  alignas(T) unsigned char bytes[kCount * sizeof(T)];
  T* Data() { return reinterpret_cast<T*>(bytes); }
};

// Block step: 8 elements for numbers and large records, 64 for the rest.
template <typename T>
constexpr int64_t BlockStep() {
  if constexpr (std::is_arithmetic_v<T>) {
    return 8;
  } else {
    return sizeof(T) >= 128 ? 8 : 64;
  }
}

// The sign of a comparison result that may be a real: truncated toward zero.
template <typename R>
int CompareSign(R result) {
  if constexpr (std::is_floating_point_v<R>) {
    if (result <= -1.0) return -1;
    if (result >= 1.0) return 1;
    return 0;
  } else {
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
  }
}

}  // namespace rt_array_detail

template <typename T>
class RtArray {
 public:
  RtArray() noexcept : capacity_(rt_array_detail::InlineBlock<T>::kCount) { elements_ = inline_.Data(); }

  RtArray(const RtArray& other) : RtArray() { CopyFrom(other); }

  RtArray(RtArray&& other) noexcept : RtArray() { TakeFrom(other); }

  RtArray& operator=(const RtArray& other) {
    if (this != &other) CopyFrom(other);
    return *this;
  }

  RtArray& operator=(RtArray&& other) noexcept {
    if (this != &other) {
      Reset();
      TakeFrom(other);
    }
    return *this;
  }

  ~RtArray() { Reset(); }

  // Gives the array these sizes; every element, old or new, holds its default.
  void Dimension(int32_t s1, int32_t s2 = 0, int32_t s3 = 0, int32_t s4 = 0) {
    if (s1 < 1) {
      Reset();
      return;
    }
    int64_t n = CountFor(s1, s2, s3, s4);
    if (n > capacity_) {
      Reset();
      Allocate(RoundToBlock(n));
      ConstructRange(0, n);
    } else {
      int64_t keep = std::min<int64_t>(count_, n);
      for (int64_t p = 0; p < keep; ++p) elements_[p] = T();
      DestroyRange(n, count_);
      ConstructRange(count_, n);
    }
    count_ = n;
    SetShape(s1, s2, s3, s4);
  }

  // Gives the array these sizes; elements inside both the old and the new
  // shape keep their values, all others hold defaults.
  void Redimension(int32_t s1, int32_t s2 = 0, int32_t s3 = 0, int32_t s4 = 0) {
    if (s1 < 1) {
      Reset();
      return;
    }
    if (rank_ == 0) {
      Dimension(s1, s2, s3, s4);
      return;
    }
    s2 = std::max(s2, 0);
    s3 = std::max(s3, 0);
    s4 = std::max(s4, 0);
    const bool oneDimensional = size_[1] == 0 && size_[2] == 0 && size_[3] == 0 && s2 == 0 &&
                                s3 == 0 && s4 == 0;
    if (oneDimensional) {
      ResizeFlat(s1, false);
      SetShape(s1, 0, 0, 0);
      return;
    }
    RtArray fresh;
    fresh.Dimension(s1, s2, s3, s4);
    const int32_t limit[4] = {
        std::min(size_[0], fresh.size_[0]),
        std::max(1, std::min(size_[1], fresh.size_[1])),
        std::max(1, std::min(size_[2], fresh.size_[2])),
        std::max(1, std::min(size_[3], fresh.size_[3])),
    };
    for (int32_t l = 0; l < limit[3]; ++l) {
      for (int32_t k = 0; k < limit[2]; ++k) {
        for (int32_t j = 0; j < limit[1]; ++j) {
          for (int32_t i = 0; i < limit[0]; ++i) {
            fresh.elements_[fresh.Flat(i, j, k, l)] = std::move(elements_[Flat(i, j, k, l)]);
          }
        }
      }
    }
    *this = std::move(fresh);
  }

  // The element at these indexes; error 9 when any is out of range. A
  // negative first index counts once from the end.
  T& ElementAt(int32_t i, int32_t j = 0, int32_t k = 0, int32_t l = 0) {
    return elements_[CheckedFlat(i, j, k, l)];
  }
  const T& ElementAt(int32_t i, int32_t j = 0, int32_t k = 0, int32_t l = 0) const {
    return elements_[CheckedFlat(i, j, k, l)];
  }
  T& operator[](int32_t i) { return ElementAt(i); }
  const T& operator[](int32_t i) const { return ElementAt(i); }
  T& operator()(int32_t i, int32_t j = 0, int32_t k = 0, int32_t l = 0) { return ElementAt(i, j, k, l); }
  const T& operator()(int32_t i, int32_t j = 0, int32_t k = 0, int32_t l = 0) const {
    return ElementAt(i, j, k, l);
  }

  // Size of dimension 0..3; 0 for any other number.
  int32_t DimSize(int32_t dimension) const {
    return dimension >= 0 && dimension < 4 ? size_[dimension] : 0;
  }

  // One-dimensional arrays only (error 8 otherwise): the value becomes the new last element.
  void Append(const T& value) {
    if (size_[1] != 0) RaiseRuntimeError(kErrorArrayShape);
    if (&value >= elements_ && &value < elements_ + count_) {
      T copy(value);
      GrowByOne();
      elements_[count_ - 1] = std::move(copy);
    } else {
      GrowByOne();
      elements_[count_ - 1] = value;
    }
  }
  void Append(T&& value) {
    if (size_[1] != 0) RaiseRuntimeError(kErrorArrayShape);
    T moved(std::move(value));
    GrowByOne();
    elements_[count_ - 1] = std::move(moved);
  }

  // Removes the element at this first index (negative counts from the end);
  // later elements move one place to the front. Error 8 when outside.
  void RemoveAt(int32_t index) {
    if (index < 0) index += size_[0];
    if (index < 0 || index >= size_[0]) RaiseRuntimeError(kErrorArrayShape);
    for (int32_t p = index; p < size_[0] - 1; ++p) std::swap(elements_[p], elements_[p + 1]);
    Redimension(size_[0] - 1, size_[1], size_[2], size_[3]);
  }

  // Dimension(n), then elements 0 .. n-1 receive the values in order.
  void AssignList(std::initializer_list<T> values) {
    Dimension(static_cast<int32_t>(values.size()));
    int32_t p = 0;
    for (const T& value : values) elements_[p++] = value;
  }
  void AssignList(int32_t n, const T* values) {
    Dimension(n);
    for (int32_t p = 0; p < n; ++p) elements_[p] = values[p];
  }

  // No elements and no shape; the block is kept for reuse.
  void Clear() {
    DestroyRange(0, count_);
    count_ = 0;
    SetShape(0, 0, 0, 0);
  }

  int32_t Rank() const { return rank_; }
  int32_t Count() const { return static_cast<int32_t>(count_); }
  int32_t Capacity() const { return static_cast<int32_t>(capacity_); }
  // Flat element storage, first index fastest (null or unused when empty).
  T* Data() { return elements_; }
  const T* Data() const { return elements_; }
  T* begin() { return elements_; }
  T* end() { return elements_ + count_; }
  const T* begin() const { return elements_; }
  const T* end() const { return elements_ + count_; }

 private:
  using Inline = rt_array_detail::InlineBlock<T>;

  bool OnHeap() const { return elements_ != nullptr && elements_ != const_cast<Inline&>(inline_).Data(); }

  static int64_t CountFor(int32_t s1, int32_t s2, int32_t s3, int32_t s4) {
    int64_t n = s1;
    for (int32_t s : {s2, s3, s4}) {
      n *= std::max<int64_t>(1, s);
      if (n > INT32_MAX) RaiseRuntimeError(kErrorOutOfRange);
    }
    return n;
  }

  static int64_t RoundToBlock(int64_t n) {
    constexpr int64_t step = rt_array_detail::BlockStep<T>();
    return (n / step) * step + step;
  }

  void SetShape(int32_t s1, int32_t s2, int32_t s3, int32_t s4) {
    size_[0] = std::max(s1, 0);
    size_[1] = size_[0] != 0 ? std::max(s2, 0) : 0;
    size_[2] = size_[0] != 0 ? std::max(s3, 0) : 0;
    size_[3] = size_[0] != 0 ? std::max(s4, 0) : 0;
    stride_[0] = size_[0];
    stride_[1] = stride_[0] * std::max(1, size_[1]);
    stride_[2] = stride_[1] * std::max(1, size_[2]);
    rank_ = size_[3] != 0 ? 4 : size_[2] != 0 ? 3 : size_[1] != 0 ? 2 : size_[0] != 0 ? 1 : 0;
  }

  int64_t Flat(int32_t i, int32_t j, int32_t k, int32_t l) const {
    return i + static_cast<int64_t>(j) * stride_[0] + static_cast<int64_t>(k) * stride_[1] +
           static_cast<int64_t>(l) * stride_[2];
  }

  static bool IndexOk(int32_t index, int32_t size) {
    return size != 0 ? (index >= 0 && index < size) : index == 0;
  }

  int64_t CheckedFlat(int32_t i, int32_t j, int32_t k, int32_t l) const {
    if (i < 0) i += size_[0];
    if (count_ == 0 || i < 0 || i >= size_[0] || !IndexOk(j, size_[1]) || !IndexOk(k, size_[2]) ||
        !IndexOk(l, size_[3])) {
      RaiseRuntimeError(kErrorIndex);
    }
    return Flat(i, j, k, l);
  }

  void ConstructRange(int64_t from, int64_t to) {
    for (int64_t p = from; p < to; ++p) std::construct_at(elements_ + p);
  }

  void DestroyRange(int64_t from, int64_t to) {
    if constexpr (!std::is_trivially_destructible_v<T>) {
      for (int64_t p = from; p < to; ++p) std::destroy_at(elements_ + p);
    }
  }

  // Installs an empty block of this capacity (inline when it fits).
  void Allocate(int64_t capacity) {
    if (capacity <= Inline::kCount) {
      elements_ = inline_.Data();
      capacity_ = Inline::kCount;
      return;
    }
    try {
      elements_ = std::allocator<T>().allocate(static_cast<size_t>(capacity));
    } catch (const std::bad_alloc&) {
      elements_ = inline_.Data();
      capacity_ = Inline::kCount;
      RaiseRuntimeError(kErrorOutOfRange);
    }
    capacity_ = capacity;
  }

  // Destroys every element and frees a heap block.
  void Reset() {
    DestroyRange(0, count_);
    if (OnHeap()) std::allocator<T>().deallocate(elements_, static_cast<size_t>(capacity_));
    elements_ = inline_.Data();
    capacity_ = Inline::kCount;
    count_ = 0;
    SetShape(0, 0, 0, 0);
  }

  // Changes the flat element count, keeping the leading elements. Appending
  // grows the block geometrically; shrinking keeps it.
  void ResizeFlat(int64_t n, bool appending) {
    if (n > capacity_) {
      int64_t capacity = RoundToBlock(n);
      if (appending) capacity = std::max(capacity, capacity_ * 2);
      capacity = std::min<int64_t>(capacity, RoundToBlock(INT32_MAX));
      T* old = elements_;
      const int64_t oldCapacity = capacity_;
      const bool oldOnHeap = OnHeap();
      T* block = nullptr;
      try {
        block = std::allocator<T>().allocate(static_cast<size_t>(capacity));
      } catch (const std::bad_alloc&) {
        RaiseRuntimeError(kErrorOutOfRange);
      }
      for (int64_t p = 0; p < count_; ++p) {
        std::construct_at(block + p, std::move(old[p]));
        std::destroy_at(old + p);
      }
      if (oldOnHeap) std::allocator<T>().deallocate(old, static_cast<size_t>(oldCapacity));
      elements_ = block;
      capacity_ = capacity;
    }
    if (n > count_) {
      ConstructRange(count_, n);
    } else {
      DestroyRange(n, count_);
    }
    count_ = n;
  }

  void GrowByOne() {
    if (size_[0] == INT32_MAX) RaiseRuntimeError(kErrorOutOfRange);
    ResizeFlat(count_ + 1, true);
    SetShape(size_[0] + 1, 0, 0, 0);
  }

  void CopyFrom(const RtArray& other) {
    Dimension(other.size_[0], other.size_[1], other.size_[2], other.size_[3]);
    for (int64_t p = 0; p < count_; ++p) elements_[p] = other.elements_[p];
  }

  // Takes over other's elements; other is left empty. *this must be empty.
  void TakeFrom(RtArray& other) {
    if (other.OnHeap()) {
      elements_ = other.elements_;
      capacity_ = other.capacity_;
      count_ = other.count_;
      other.elements_ = other.inline_.Data();
      other.capacity_ = Inline::kCount;
      other.count_ = 0;
    } else {
      count_ = other.count_;
      for (int64_t p = 0; p < count_; ++p) std::construct_at(elements_ + p, std::move(other.elements_[p]));
      other.DestroyRange(0, other.count_);
      other.count_ = 0;
    }
    SetShape(other.size_[0], other.size_[1], other.size_[2], other.size_[3]);
    other.SetShape(0, 0, 0, 0);
  }

  Inline inline_;
  T* elements_;
  int32_t stride_[3] = {0, 0, 0};
  int32_t size_[4] = {0, 0, 0, 0};
  int32_t rank_ = 0;
  int64_t capacity_;
  int64_t count_ = 0;
};

// Quicksort over [lo, hi] with the last element of the range as pivot. It
// recurses into the smaller part and loops over the larger one, so sorted
// input (what the game sorts every frame) cannot exhaust the stack; the order
// it produces is that of the plain two-way recursion.
template <typename T, typename Sign>
void QuickSortRange(T* a, int32_t lo, int32_t hi, Sign& sign) {
  while (lo < hi) {
    const T pivot = a[hi];
    int32_t i = lo;
    int32_t j = hi;
    do {
      // The cursor bounds only matter for comparison functions that are not
      // consistent; with a consistent one the pivot stops both cursors.
      while (i < hi && sign(a[i], pivot) < 0) ++i;
      while (j > lo && sign(a[j], pivot) > 0) --j;
      if (i <= j) {
        if (i != j) std::swap(a[i], a[j]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - lo < hi - i) {
      if (lo < j) QuickSortRange(a, lo, j, sign);
      lo = i;
    } else {
      if (i < hi) QuickSortRange(a, i, hi, sign);
      hi = j;
    }
  }
}

// Sorts along the first index into ascending order with a comparison function
// returning a negative, zero or positive number (reals are truncated toward
// zero). Not stable. Error 9 when the last element is not addressable.
template <typename T, typename Compare>
void SortArray(RtArray<T>& array, Compare compare) {
  const int32_t n = array.DimSize(0);
  if (n < 2) return;
  array.ElementAt(n - 1);
  auto sign = [&compare](const T& a, const T& b) {
    return rt_array_detail::CompareSign(compare(a, b));
  };
  QuickSortRange(array.Data(), 0, n - 1, sign);
}

// Sorts without a comparison function: numbers by value, texts by byte order,
// records by their first integer field (the record type provides
// `int32_t FirstIntegerField(const Record&)`).
template <typename T>
void SortArray(RtArray<T>& array) {
  SortArray(array, [](const T& a, const T& b) -> int {
    if constexpr (std::is_arithmetic_v<T>) {
      return a < b ? -1 : (a > b ? 1 : 0);
    } else if constexpr (std::is_same_v<T, RtString>) {
      return CompareText(a.CStr(), b.CStr());
    } else {
      const int32_t x = FirstIntegerField(a);
      const int32_t y = FirstIntegerField(b);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
  });
}
