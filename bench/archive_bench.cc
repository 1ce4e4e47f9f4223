// How fast a member comes out of the media archive: resolving and unpacking a
// 4 MiB member (open the program file, find the member, read, decompress,
// write the temporary file), against a plain copy of a 4 MiB file in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "runtime/files/archive.h"
#include "runtime/files/archive_writer.h"
#include "runtime/files/file_commands.h"

namespace {

constexpr size_t kMemberSize = size_t{4} << 20;

// A folder of this run, removed again when the program ends.
struct BenchFolderOwner {
  std::string Path;
  BenchFolderOwner() {
    Path = (std::filesystem::temp_directory_path() / "archive-bench-XXXXXX").string();
    if (mkdtemp(Path.data()) == nullptr) std::abort();
  }
  ~BenchFolderOwner() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
};

std::string BenchFolder() {
  static const BenchFolderOwner folder;
  return folder.Path;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Game-like data: words and numbers that LZO1X-1 packs to about 42 %.
std::string TextLike(size_t size) {
  static const char* const kWords[] = {"wave ",  "path ",   "enemy ", "tile\r\n", "sprite ",
                                       "level ", "bullet ", "score ", "player\n", "frame "};
  std::mt19937 random(11);
  std::string bytes;
  bytes.reserve(size + 16);
  while (bytes.size() < size) {
    bytes += kWords[random() % 10];
    bytes += std::to_string(random() % 1000);
  }
  bytes.resize(size);
  return bytes;
}

std::string Noise(size_t size) {
  std::mt19937 random(12);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

// A program file carrying the member; returns its path.
std::string ProgramWith(const std::string& name, const std::string& bytes) {
  const std::string path = BenchFolder() + "/program-" + name;
  WriteBytes(path, std::string(65536, 'P') + BuildArchive({{name, bytes}}));
  return path;
}

void ResolveAndUnpack(benchmark::State& state, const std::string& name, const std::string& bytes) {
  const std::string program = ProgramWith(name, bytes);
  OpenArchiveReaders(program);
  const RtString request(name.c_str());
  for (auto _ : state) {
    RtString output;
    if (ResolveMediaPath(MediaArchive(), request, output) != 1) {
      state.SkipWithError("member not found");
      break;
    }
    benchmark::DoNotOptimize(output);
  }
  CloseArchiveReaders();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kMemberSize));
}

void BM_ResolveAndUnpackTextLike4MiB(benchmark::State& state) {
  ResolveAndUnpack(state, "level.dat", TextLike(kMemberSize));
}

void BM_ResolveAndUnpackIncompressible4MiB(benchmark::State& state) {
  ResolveAndUnpack(state, "noise.raw", Noise(kMemberSize));
}

// The baseline: the same number of bytes read from one file and written to another.
void BM_PlainCopy4MiB(benchmark::State& state) {
  const std::string source = BenchFolder() + "/copy-source";
  const std::string target = BenchFolder() + "/copy-target";
  WriteBytes(source, TextLike(kMemberSize));
  for (auto _ : state) CopyFileTo(RtString(source.c_str()), RtString(target.c_str()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kMemberSize));
}

BENCHMARK(BM_PlainCopy4MiB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ResolveAndUnpackTextLike4MiB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ResolveAndUnpackIncompressible4MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
