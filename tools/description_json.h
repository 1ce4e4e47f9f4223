// Reading the JSON files of a game description, with every problem reported
// as "file: place: problem". The place is a line and column for syntax
// errors and a JSON pointer ("/levels/0/waves/2") for everything else.
//
//   LoadDescriptionFile  parses a file (comments allowed, duplicate keys refused);
//                        throws DescriptionError naming the file and line
//   Node                 a value with the file and pointer it came from; its
//                        accessors throw DescriptionError naming both
//   DescriptionError     the one error type; its text is ready for the user
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

using Json = nlohmann::ordered_json;

class DescriptionError : public std::runtime_error {
 public:
  explicit DescriptionError(const std::string& message) : std::runtime_error(message) {}
};

// A parsed file; Nodes keep it alive.
struct DescriptionFile {
  std::string Path;  // as named by the user, or joined onto the including file's folder
  Json Root;
};

// Parses path; throws DescriptionError on an unreadable file, a syntax error
// or a key given twice in one object.
std::shared_ptr<const DescriptionFile> LoadDescriptionFile(const std::string& path);

// The folder part of a path ("" for a bare name), and a path taken relative to
// that folder unless it is absolute.
std::string FolderOf(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& path);

class Node {
 public:
  Node(std::shared_ptr<const DescriptionFile> file, const Json* value, std::string pointer);
  static Node Root(const std::shared_ptr<const DescriptionFile>& file);

  const Json& Value() const { return *value_; }
  const std::string& Pointer() const { return pointer_; }
  const std::string& File() const { return file_->Path; }
  std::string Folder() const { return FolderOf(file_->Path); }

  // "file: /pointer: message", thrown.
  [[noreturn]] void Fail(const std::string& message) const;
  std::string Where() const;

  bool IsObject() const { return value_->is_object(); }
  bool IsArray() const { return value_->is_array(); }
  bool IsString() const { return value_->is_string(); }
  bool IsNumber() const { return value_->is_number_integer() || value_->is_number_unsigned(); }

  // The member named key; Has says whether it is there. Member throws when absent.
  bool Has(const std::string& key) const;
  Node Member(const std::string& key) const;
  // Element i of an array.
  Node Element(size_t i) const;
  size_t Size() const;
  // Members of an object in file order (key, value).
  std::vector<std::pair<std::string, Node>> Members() const;
  std::vector<Node> Elements() const;

  // Refuses any member whose name is not in allowed (catches misspelt fields).
  void OnlyKeys(const std::vector<std::string>& allowed) const;
  void ExpectObject(const std::string& what) const;
  void ExpectArray(const std::string& what) const;

  // Typed values; each throws unless the value is of that type and in range.
  int64_t Integer(int64_t low, int64_t high) const;
  bool Boolean() const;
  std::string String() const;

 private:
  std::shared_ptr<const DescriptionFile> file_;
  const Json* value_;
  std::string pointer_;
};
