// What RtArray promises: shapes and element order, what sizing and resizing
// keep, the negative first index, appending and removal, deep copies, the
// sort, and the runtime errors that misuse ends with.
#include "runtime/values/rt_array.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <random>
#include <vector>

#include "runtime/values/rt_string.h"
#include "tests/support/program_end_checks.h"
#include "tests/support/test_env.h"

namespace {

struct Sample {
  int32_t Key = 7;
  RtString Label = "none";
  RtArray<int32_t> Values;
};

int32_t FirstIntegerField(const Sample& sample) { return sample.Key; }

std::vector<int32_t> Contents(const RtArray<int32_t>& array) {
  return std::vector<int32_t>(array.begin(), array.end());
}

RtArray<int32_t> OneTwoThree() {
  RtArray<int32_t> array;
  array.AssignList({1, 2, 3});
  return array;
}

// Runs `misuse` in a child process and checks that it ends with exit code 0,
// the message on stderr and the line in the log.
#define EXPECT_ENDS_WITH_ERROR(misuse, number, meaning)                                     \
  do {                                                                                      \
    EXPECT_PROGRAM_END_MATCHING(misuse, "Runtime error " #number ": " meaning);            \
    EXPECT_NE(testenv::ReadErrorLog().find("Runtime error " #number ": " meaning "\r\n"),   \
              std::string::npos);                                                           \
  } while (0)

TEST(RtArray, NewAndEmptiedArraysHaveNoElements) {
  RtArray<int32_t> array;
  EXPECT_EQ(array.DimSize(0), 0);
  EXPECT_EQ(array.Rank(), 0);
  array.Dimension(5);
  array.Dimension(0);
  EXPECT_EQ(array.DimSize(0), 0);
  array.Dimension(-5);
  EXPECT_EQ(array.DimSize(0), 0);
  EXPECT_EQ(array.DimSize(4), 0);
  EXPECT_EQ(array.DimSize(-1), 0);
  EXPECT_ENDS_WITH_ERROR(array.ElementAt(0), 9, "index out of range");
}

TEST(RtArray, FirstIndexVariesFastest) {
  RtArray<int32_t> grid;
  grid.Dimension(4, 3);
  EXPECT_EQ(grid.Rank(), 2);
  EXPECT_EQ(grid.Count(), 12);
  grid(1, 2) = 99;
  EXPECT_EQ(grid.Data()[1 + 2 * 4], 99);

  RtArray<double> cube;
  cube.Dimension(2, 3, 4, 5);
  EXPECT_EQ(cube.Rank(), 4);
  cube(1, 2, 3, 4) = 0.5;
  EXPECT_EQ(cube.Data()[1 + 2 * 2 + 3 * 6 + 4 * 24], 0.5);

  EXPECT_ENDS_WITH_ERROR(grid(4, 0), 9, "index out of range");
  EXPECT_ENDS_WITH_ERROR(grid(0, 3), 9, "index out of range");
  EXPECT_ENDS_WITH_ERROR(grid(0, 0, 1), 9, "index out of range");  // absent dimension
}

TEST(RtArray, NegativeFirstIndexCountsOnceFromTheEnd) {
  RtArray<int32_t> array = OneTwoThree();
  EXPECT_EQ(array[-1], 3);
  EXPECT_EQ(array[-3], 1);
  RtArray<int32_t> grid;
  grid.Dimension(4, 3);
  grid(3, 1) = 5;
  EXPECT_EQ(grid(-1, 1), 5);
  EXPECT_ENDS_WITH_ERROR(array[-4], 9, "index out of range");
  EXPECT_ENDS_WITH_ERROR(grid(0, -1), 9, "index out of range");  // only the first index wraps
}

TEST(RtArray, DimensionResetsEveryElement) {
  RtArray<int32_t> array = OneTwoThree();
  array.Dimension(3);
  EXPECT_EQ(Contents(array), (std::vector<int32_t>{0, 0, 0}));
  array.AssignList({4, 5, 6});
  array.Dimension(5);
  EXPECT_EQ(Contents(array), (std::vector<int32_t>{0, 0, 0, 0, 0}));

  RtArray<Sample> records;
  records.Dimension(2);
  records[0].Key = 1;
  records[0].Label = "changed";
  records[0].Values.Dimension(3);
  records.Dimension(3);
  for (const Sample& sample : records) {
    EXPECT_EQ(sample.Key, 7);
    EXPECT_STREQ(sample.Label.CStr(), "none");
    EXPECT_EQ(sample.Values.DimSize(0), 0);
  }
}

TEST(RtArray, RedimensionKeepsWhatBothShapesShare) {
  RtArray<int32_t> array = OneTwoThree();
  array.Redimension(5);
  EXPECT_EQ(Contents(array), (std::vector<int32_t>{1, 2, 3, 0, 0}));
  array.Redimension(2);
  EXPECT_EQ(Contents(array), (std::vector<int32_t>{1, 2}));
  array.Redimension(4);  // the dropped elements do not come back
  EXPECT_EQ(Contents(array), (std::vector<int32_t>{1, 2, 0, 0}));

  RtArray<int32_t> grown = OneTwoThree();
  grown.Redimension(3, 2);
  EXPECT_EQ(grown(0, 0), 1);
  EXPECT_EQ(grown(1, 0), 2);
  EXPECT_EQ(grown(2, 0), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(grown(i, 1), 0);

  RtArray<int32_t> grid;
  grid.Dimension(3, 3);
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) grid(i, j) = 10 * i + j;
  grid.Redimension(2, 4);
  EXPECT_EQ(grid(1, 2), 12);
  EXPECT_EQ(grid(0, 3), 0);
  grid.Redimension(2);  // back to one dimension: only index 0 of the second survives
  EXPECT_EQ(grid.Rank(), 1);
  EXPECT_EQ(Contents(grid), (std::vector<int32_t>{0, 10}));

  RtArray<RtString> texts;
  texts.AssignList({"a", "b"});
  texts.Redimension(100);
  EXPECT_STREQ(texts[1].CStr(), "b");
  EXPECT_STREQ(texts[99].CStr(), "");
}

TEST(RtArray, AppendGrowsAOneDimensionalArrayAndKeepsContents) {
  RtArray<int32_t> numbers;
  numbers.Append(4);
  EXPECT_EQ(numbers.DimSize(0), 1);
  for (int32_t i = 1; i < 100000; ++i) numbers.Append(i * 3);
  ASSERT_EQ(numbers.DimSize(0), 100000);
  for (int32_t i = 1; i < 100000; ++i) ASSERT_EQ(numbers[i], i * 3);

  RtArray<RtString> texts;
  for (int i = 0; i < 200; ++i) texts.Append(RtString("t") + i);
  EXPECT_STREQ(texts[199].CStr(), "t199");
  texts.Append(texts[0]);  // an element of the array itself
  EXPECT_STREQ(texts[-1].CStr(), "t0");

  RtArray<Sample> records;
  Sample sample;
  sample.Values.AssignList({1, 2});
  for (int i = 0; i < 100; ++i) {
    sample.Key = i;
    records.Append(sample);
  }
  EXPECT_EQ(records[99].Key, 99);
  EXPECT_EQ(records[50].Values[1], 2);

  RtArray<int32_t> grid;
  grid.Dimension(2, 2);
  EXPECT_ENDS_WITH_ERROR(grid.Append(1), 8, "array shape or removal index wrong");
}

TEST(RtArray, RemoveAtKeepsTheOrderOfTheRest) {
  RtArray<int32_t> array = OneTwoThree();
  array.RemoveAt(0);
  EXPECT_EQ(Contents(array), (std::vector<int32_t>{2, 3}));
  array = OneTwoThree();
  array.RemoveAt(-1);
  EXPECT_EQ(Contents(array), (std::vector<int32_t>{1, 2}));
  array = OneTwoThree();
  array.RemoveAt(1);
  EXPECT_EQ(Contents(array), (std::vector<int32_t>{1, 3}));

  RtArray<RtString> texts;
  texts.AssignList({"x", "y", "z"});
  texts.RemoveAt(0);
  EXPECT_STREQ(texts[0].CStr(), "y");
  EXPECT_STREQ(texts[1].CStr(), "z");
  texts.RemoveAt(0);
  texts.RemoveAt(0);
  EXPECT_EQ(texts.DimSize(0), 0);

  array = OneTwoThree();
  EXPECT_ENDS_WITH_ERROR(array.RemoveAt(3), 8, "array shape or removal index wrong");
  EXPECT_ENDS_WITH_ERROR(array.RemoveAt(-4), 8, "array shape or removal index wrong");
}

TEST(RtArray, CopiesAreDeep) {
  RtArray<Sample> original;
  original.Dimension(2);
  original[1].Label = "kept";
  original[1].Values.AssignList({5, 6, 7});
  RtArray<Sample> copy = original;
  copy[1].Label = "changed";
  copy[1].Values[0] = 0;
  EXPECT_STREQ(original[1].Label.CStr(), "kept");
  EXPECT_EQ(original[1].Values[0], 5);

  RtArray<int32_t> small = OneTwoThree();  // inline storage
  RtArray<int32_t> moved = std::move(small);
  EXPECT_EQ(Contents(moved), (std::vector<int32_t>{1, 2, 3}));
  RtArray<int32_t> assigned;
  assigned.Dimension(1000);
  assigned = moved;
  EXPECT_EQ(Contents(assigned), (std::vector<int32_t>{1, 2, 3}));
  assigned = assigned;  // NOLINT: self-assignment keeps the array
  EXPECT_EQ(assigned.DimSize(0), 3);
}

TEST(RtArray, HugeShapesEndWithTheMemoryError) {
  RtArray<int32_t> array;
  EXPECT_ENDS_WITH_ERROR(array.Dimension(65536, 65536), 7,
                       "out of memory or slot number out of range");
}

TEST(RtArray, SortOrdersAlongTheFirstIndex) {
  RtArray<int32_t> array;
  array.AssignList({3, 1, 2});
  SortArray(array);
  EXPECT_EQ(Contents(array), (std::vector<int32_t>{1, 2, 3}));

  RtArray<int32_t> none;
  SortArray(none);
  RtArray<int32_t> one;
  one.AssignList({9});
  SortArray(one);
  EXPECT_EQ(one[0], 9);

  // A comparison function returning reals: values inside (-1, 1) count as equal.
  RtArray<double> reals;
  reals.AssignList({0.5, 3.0, 0.2, -4.0, 2.0});
  SortArray(reals, [](double a, double b) { return a - b; });
  EXPECT_EQ(reals[0], -4.0);
  EXPECT_EQ(reals[4], 3.0);

  RtArray<Sample> records;
  records.Dimension(3);
  records[0].Key = 5;
  records[1].Key = -1;
  records[2].Key = 2;
  SortArray(records);
  EXPECT_EQ(records[0].Key, -1);
  EXPECT_EQ(records[2].Key, 5);

  RtArray<RtString> texts;
  texts.AssignList({"pear", "Apple", "apple"});
  SortArray(texts);
  EXPECT_STREQ(texts[0].CStr(), "Apple");
  EXPECT_STREQ(texts[2].CStr(), "pear");
}

TEST(RtArray, SortMatchesAReferenceOnRandomDataAndSurvivesLongSortedRuns) {
  std::mt19937 random(12345);
  std::uniform_int_distribution<int32_t> value(-50, 50);
  for (int round = 0; round < 50; ++round) {
    RtArray<int32_t> array;
    std::vector<int32_t> expected;
    for (int i = 0; i < 1 + round * 7; ++i) {
      int32_t v = value(random);
      array.Append(v);
      expected.push_back(v);
    }
    SortArray(array);
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(Contents(array), expected);
  }

  // Sorted and reverse-sorted input make a last-element quicksort recurse
  // once per element. Run on a thread with a small stack, 20,000 elements
  // would overflow it if the sort recursed into the larger part.
  auto sortInSmallStack = [](RtArray<int32_t>* array) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t thread;
    auto run = [](void* data) -> void* {
      SortArray(*static_cast<RtArray<int32_t>*>(data));
      return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, array), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
  };
  RtArray<int32_t> sorted;
  for (int32_t i = 0; i < 20000; ++i) sorted.Append(i);
  sortInSmallStack(&sorted);
  EXPECT_EQ(sorted[19999], 19999);
  EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
  RtArray<int32_t> reversed;
  for (int32_t i = 0; i < 20000; ++i) reversed.Append(20000 - i);
  sortInSmallStack(&reversed);
  EXPECT_EQ(reversed[0], 1);
  EXPECT_TRUE(std::is_sorted(reversed.begin(), reversed.end()));
}

TEST(RtArray, SortWithAnInconsistentComparisonStaysInBounds) {
  RtArray<int32_t> array;
  for (int32_t i = 0; i < 1000; ++i) array.Append(i % 17);
  std::mt19937 random(7);
  SortArray(array, [&random](int32_t, int32_t) { return static_cast<int>(random() % 3) - 1; });
  std::vector<int32_t> values = Contents(array);
  std::sort(values.begin(), values.end());
  std::vector<int32_t> expected;
  for (int32_t i = 0; i < 1000; ++i) expected.push_back(i % 17);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(values, expected);  // a permutation of the input, nothing lost
}

}  // namespace
