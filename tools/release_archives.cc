// Deterministic tar.gz and zip writers over zlib's raw deflate. zlib's own
// gzip wrapper would write the building system's code into the header, so
// the wrapper is written here, as zip's headers are.
#include "tools/release_archives.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <set>

namespace {

// 2000-01-01 00:00:00 UTC, in seconds and as a zip (MS-DOS) date and time.
constexpr uint32_t kFixedTime = 946684800;
constexpr uint16_t kZipDate = (2000 - 1980) << 9 | 1 << 5 | 1;
constexpr uint16_t kZipTime = 0;

void Put(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Raw deflate at the best compression; false when zlib fails.
bool Deflate(const std::string& in, std::string& out) {
  z_stream stream{};
  if (deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  out.resize(deflateBound(&stream, static_cast<uLong>(in.size())));
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  stream.avail_in = static_cast<uInt>(in.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return result == Z_STREAM_END;
}

uint32_t Crc(const std::string& bytes) {
  return static_cast<uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()),
                                     static_cast<uInt>(bytes.size())));
}

// Checks the names and adds an entry for every folder above a file; sorted.
bool Prepare(std::vector<ReleaseFile>& files, std::vector<std::string>& folders,
             std::string& error) {
  std::set<std::string> names;
  std::set<std::string> above;
  for (const ReleaseFile& file : files) {
    const std::string& name = file.Name;
    bool safe = !name.empty() && name.size() <= 255 && name.front() != '/' && name.back() != '/' &&
                name.find("//") == std::string::npos && name.find('\\') == std::string::npos &&
                name.find('\0') == std::string::npos;
    for (size_t start = 0; safe && start <= name.size();) {
      const size_t end = std::min(name.find('/', start), name.size());
      const std::string part = name.substr(start, end - start);
      safe = part != "." && part != "..";
      if (end < name.size()) above.insert(name.substr(0, end + 1));
      start = end + 1;
    }
    if (!safe) {
      error = "\"" + name + "\" cannot name a file in an archive";
      return false;
    }
    if (!names.insert(name).second) {
      error = "\"" + name + "\" is in the archive twice";
      return false;
    }
  }
  for (const std::string& folder : above) {
    if (names.count(folder.substr(0, folder.size() - 1)) != 0) {
      error = "\"" + folder + "\" is both a file and a folder";
      return false;
    }
  }
  folders.assign(above.begin(), above.end());
  std::sort(files.begin(), files.end(),
            [](const ReleaseFile& a, const ReleaseFile& b) { return a.Name < b.Name; });
  return true;
}

// A ustar header field of octal digits, NUL-terminated.
// Callers keep values within width - 1 digits; higher digits are dropped.
void Octal(char* field, size_t width, uint64_t value) {
  field[width - 1] = '\0';
  for (size_t i = width - 1; i-- > 0;) {
    field[i] = static_cast<char>('0' + (value & 7));
    value >>= 3;
  }
}

// One 512-byte ustar header. Names longer than 100 bytes are split into the
// prefix (up to 155 bytes) and the name at a "/".
bool TarHeader(const std::string& name, uint64_t size, unsigned mode, char type,
               std::string& out) {
  char header[512] = {};
  std::string prefix;
  std::string rest = name;
  if (rest.size() > 100) {
    // The last "/" that leaves at most 155 bytes before it; earlier ones
    // would only leave more than 100 after it.
    const size_t cut = rest.rfind('/', 155);
    if (cut == std::string::npos || cut == 0 || rest.size() - cut - 1 > 100) return false;
    prefix = rest.substr(0, cut);
    rest = rest.substr(cut + 1);
  }
  std::copy(rest.begin(), rest.end(), header);
  Octal(header + 100, 8, mode);
  Octal(header + 108, 8, 0);
  Octal(header + 116, 8, 0);
  Octal(header + 124, 12, size);
  Octal(header + 136, 12, kFixedTime);
  std::fill(header + 148, header + 156, ' ');
  header[156] = type;
  std::copy_n("ustar", 6, header + 257);
  header[263] = '0';
  header[264] = '0';
  std::copy(prefix.begin(), prefix.end(), header + 345);
  unsigned sum = 0;
  for (const char c : header) sum += static_cast<unsigned char>(c);
  Octal(header + 148, 7, sum);
  header[155] = ' ';
  out.append(header, sizeof header);
  return true;
}

}  // namespace

bool TarGz(std::vector<ReleaseFile> files, std::string& archive, std::string& error) {
  std::vector<std::string> folders;
  if (!Prepare(files, folders, error)) return false;
  std::string tar;
  for (const std::string& folder : folders) {
    if (!TarHeader(folder, 0, 0755, '5', tar)) {
      error = "\"" + folder + "\" is too long for a tar file";
      return false;
    }
  }
  for (const ReleaseFile& file : files) {
    if (!TarHeader(file.Name, file.Bytes.size(), file.Program ? 0755 : 0644, '0', tar)) {
      error = "\"" + file.Name + "\" is too long for a tar file";
      return false;
    }
    tar += file.Bytes;
    tar.append((512 - file.Bytes.size() % 512) % 512, '\0');
  }
  tar.append(1024, '\0');  // the end: two empty blocks

  std::string packed;
  if (!Deflate(tar, packed)) {
    error = "compressing the tar file failed";
    return false;
  }
  // gzip: magic, deflate, no flags, no time, best compression, unknown system.
  archive.assign("\x1F\x8B\x08\x00\x00\x00\x00\x00\x02\xFF", 10);
  archive += packed;
  Put(archive, Crc(tar), 4);
  Put(archive, tar.size() & 0xFFFFFFFFu, 4);
  return true;
}

bool Zip(std::vector<ReleaseFile> files, std::string& archive, std::string& error) {
  std::vector<std::string> folders;
  if (!Prepare(files, folders, error)) return false;
  struct Entry {
    const std::string* Name;
    const std::string* Bytes;
    std::string Stored;
    uint16_t Method;
    uint32_t Crc;
    uint32_t Mode;
    uint64_t Offset;
  };
  static const std::string kNothing;
  std::vector<Entry> entries;
  for (const std::string& folder : folders) {
    entries.push_back({&folder, &kNothing, "", 0, 0, 040755, 0});
  }
  for (const ReleaseFile& file : files) {
    Entry entry{&file.Name, &file.Bytes, "", 8, Crc(file.Bytes),
                file.Program ? 0100755u : 0100644u, 0};
    if (!Deflate(file.Bytes, entry.Stored)) {
      error = "compressing " + file.Name + " failed";
      return false;
    }
    if (entry.Stored.size() >= file.Bytes.size()) {
      entry.Stored = file.Bytes;
      entry.Method = 0;
    }
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return *a.Name < *b.Name; });

  // The fields the local header and the central directory share, from the
  // version needed to the name's length.
  auto putEntryFields = [&archive](const Entry& entry) {
    Put(archive, 20, 2);      // version needed: 2.0
    Put(archive, 0x0800, 2);  // names in UTF-8
    Put(archive, entry.Method, 2);
    Put(archive, kZipTime, 2);
    Put(archive, kZipDate, 2);
    Put(archive, entry.Crc, 4);
    Put(archive, entry.Stored.size(), 4);
    Put(archive, entry.Bytes->size(), 4);
    Put(archive, entry.Name->size(), 2);
  };
  archive.clear();
  for (Entry& entry : entries) {
    if (archive.size() > 0xFFFFFFFFu || entry.Stored.size() > 0xFFFFFFFFu) {
      error = "the zip file would be larger than 4 GiB";
      return false;
    }
    entry.Offset = archive.size();
    Put(archive, 0x04034B50, 4);
    putEntryFields(entry);
    Put(archive, 0, 2);
    archive += *entry.Name;
    archive += entry.Stored;
  }
  const uint64_t directory = archive.size();
  for (const Entry& entry : entries) {
    Put(archive, 0x02014B50, 4);
    Put(archive, 0x0314, 2);  // made by: Unix, 2.0 (so that unzip keeps the modes)
    putEntryFields(entry);
    Put(archive, 0, 2);  // extra
    Put(archive, 0, 2);  // comment
    Put(archive, 0, 2);  // disk
    Put(archive, 0, 2);  // internal attributes
    Put(archive, uint64_t{entry.Mode} << 16 | (entry.Mode & 040000 ? 0x10 : 0), 4);
    Put(archive, entry.Offset, 4);
    archive += *entry.Name;
  }
  const uint64_t directorySize = archive.size() - directory;
  if (entries.size() > 0xFFFF || directory > 0xFFFFFFFFu) {
    error = "too many files or bytes for a zip file";
    return false;
  }
  Put(archive, 0x06054B50, 4);
  Put(archive, 0, 2);
  Put(archive, 0, 2);
  Put(archive, entries.size(), 2);
  Put(archive, entries.size(), 2);
  Put(archive, directorySize, 4);
  Put(archive, directory, 4);
  Put(archive, 0, 2);
  return true;
}
