// SHA-256 (FIPS 180-4), for naming the exact game file a replay was played
// on. Small enough to keep here rather than pull in a crypto library.
//
// Sha256       the 32-byte digest of a whole byte string
// Sha256Hex    the same as 64 lower-case hexadecimal digits
// Sha256Stream feeds a digest piece by piece (Add ... then Finish once)
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

using Sha256Digest = std::array<uint8_t, 32>;

class Sha256Stream {
 public:
  Sha256Stream();
  void Add(std::string_view bytes);
  Sha256Digest Finish();

 private:
  void Block(const uint8_t* block);

  std::array<uint32_t, 8> state_;
  std::array<uint8_t, 64> pending_{};
  size_t pendingSize_ = 0;
  uint64_t totalBytes_ = 0;
};

Sha256Digest Sha256(std::string_view bytes);
std::string Sha256Hex(const Sha256Digest& digest);
