// The line file: selection, line reads and writes, and write-back through a
// new file renamed over the old one.
#include "runtime/files/line_file.h"

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/files/archive.h"
#include "runtime/files/file_io.h"
#include "runtime/files/files_teardown.h"
#include "runtime/files/text_lines.h"

namespace {

bool LineNumberOk(int32_t n) {
  return n >= 0 && n < kLineFileLines;
}

RtString LineText(std::string_view text) {
  const size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  if (text.size() > kLineFileLineLength) text = text.substr(0, kLineFileLineLength);
  return RtString(text);
}

// Makes path the selected file; false (with error 3 recorded) when it can be
// neither found nor opened.
bool SelectLineFile(const RtString& path) {
  EnsureFilesTeardown();
  LineFile& file = TheLineFile();
  if (path.View() == file.LinePath.View()) return true;
  WriteBackLineFile();
  for (RtString& line : file.Lines) line = "";
  file.Dirty = false;
  file.LastLine = 0;
  file.LinePath = path;

  RtString resolved = path;
  ResolveMediaPath(MediaArchive(), path, resolved);
  const int fd = OpenForReading(ToHostPath(resolved.View()));
  if (fd < 0) {
    SetRuntimeError(kErrorChannel);
    return false;
  }
  // Only the first 256 lines of at most 1024 bytes each can matter.
  std::string text(static_cast<size_t>(kLineFileLines) * kTextLinePiece, '\0');
  const int64_t n = ReadUpTo(fd, text.data(), text.size());
  CloseFile(fd);
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);

  size_t at = 0;
  std::string_view line;
  for (int32_t i = 0; i < kLineFileLines && NextTextLine(text, at, line); ++i) {
    file.Lines[static_cast<size_t>(i)] = LineText(line);
    file.LastLine = i;
  }
  return true;
}

}  // namespace

LineFile& TheLineFile() {
  static LineFile file;
  return file;
}

void WriteBackLineFile() {
  LineFile& file = TheLineFile();
  if (!file.Dirty || file.LinePath.Empty()) return;
  std::string text;
  for (int32_t i = 0; i <= file.LastLine && i < kLineFileLines; ++i) {
    text += file.Lines[static_cast<size_t>(i)].View();
    text += "\r\n";
  }
  const std::string host = ToHostPath(file.LinePath.View());
  const FileWriteResult result = WriteFileAtomically(host, text, FilePlacement::kReplace);
  LogFileWriteFailure(host, result);
  if (result.Status == FileWriteStatus::kWritten) file.Dirty = false;
}

RtString LineGetText(const RtString& path, int32_t n) {
  if (!SelectLineFile(path)) return RtString("NO_FILE");
  if (!LineNumberOk(n)) {
    SetRuntimeError(kErrorOutOfRange);
    return RtString("NO_DATA");
  }
  const std::string_view text = TrimLineEnd(TheLineFile().Lines[static_cast<size_t>(n)].View());
  return text.empty() ? RtString("NO_DATA") : RtString(text);
}

double LineGetReal(const RtString& path, int32_t n) {
  return TextToReal(LineGetText(path, n));
}

int32_t LineGetInteger(const RtString& path, int32_t n) {
  return TextToInteger(LineGetText(path, n));
}

void LinePutText(const RtString& path, int32_t n, const RtString& text) {
  if (!LineNumberOk(n)) {
    SetRuntimeError(kErrorOutOfRange);
    return;
  }
  // A file that does not exist yet is created by the write-back.
  SelectLineFile(path);
  LineFile& file = TheLineFile();
  file.Lines[static_cast<size_t>(n)] = LineText(text.View());
  if (n > file.LastLine) file.LastLine = n;
  file.Dirty = true;
}

void LinePutReal(const RtString& path, int32_t n, double value) {
  LinePutText(path, n, NumberToText(value));
}
