// The JSON layer of the description reader. Parsing is nlohmann-json's; this
// file adds what a hand-written game needs from it: comments, a refusal of a
// key given twice (JSON would silently keep the last one), and errors that
// say in which file and where.
#include "tools/description_json.h"

#include <set>

#include "runtime/files/file_io.h"

namespace {

// A description names files; its own text is small. Larger is surely not one.
constexpr uint64_t kMaxDescriptionBytes = uint64_t{64} << 20;

// A JSON pointer token: "~" and "/" escaped as the pointer syntax asks.
std::string PointerToken(const std::string& key) {
  std::string token;
  for (char c : key) {
    if (c == '~') {
      token += "~0";
    } else if (c == '/') {
      token += "~1";
    } else {
      token += c;
    }
  }
  return token;
}

// Follows the parser's events to know where it is, so that a repeated key can
// be named with the pointer of its object.
class DuplicateKeyWatch {
 public:
  bool Event(nlohmann::detail::parse_event_t event, const Json& parsed) {
    using Event = nlohmann::detail::parse_event_t;
    switch (event) {
      case Event::object_start:
        frames_.push_back(Frame{true, {}, "", 0});
        break;
      case Event::array_start:
        frames_.push_back(Frame{false, {}, "", 0});
        break;
      case Event::key: {
        Frame& top = frames_.back();
        const std::string key = parsed.get<std::string>();
        if (!top.Keys.insert(key).second && duplicate_.empty()) {
          duplicate_ = "key \"" + key + "\" is given twice in " + PointerOfTop();
        }
        top.Child = key;
        break;
      }
      case Event::object_end:
      case Event::array_end:
        frames_.pop_back();
        ElementDone();
        break;
      case Event::value:
        ElementDone();
        break;
    }
    return true;
  }

  const std::string& Duplicate() const { return duplicate_; }

 private:
  struct Frame {
    bool IsObject;
    std::set<std::string> Keys;
    std::string Child;  // the key being read, in an object
    size_t Index;       // the element being read, in an array
  };

  void ElementDone() {
    if (!frames_.empty() && !frames_.back().IsObject) ++frames_.back().Index;
  }

  std::string PointerOfTop() const {
    std::string pointer;
    for (size_t i = 0; i + 1 < frames_.size(); ++i) {
      const Frame& frame = frames_[i];
      pointer += "/" + (frame.IsObject ? PointerToken(frame.Child) : std::to_string(frame.Index));
    }
    return pointer.empty() ? "/" : pointer;
  }

  std::vector<Frame> frames_;
  std::string duplicate_;
};

std::string JsonTypeName(const Json& value) {
  if (value.is_number_integer() || value.is_number_unsigned()) return "an integer";
  if (value.is_number_float()) return "a number with a fraction";
  if (value.is_string()) return "a text";
  if (value.is_boolean()) return "true or false";
  if (value.is_array()) return "a list";
  if (value.is_object()) return "an object";
  return "null";
}

}  // namespace

std::shared_ptr<const DescriptionFile> LoadDescriptionFile(const std::string& path) {
  std::string text;
  if (!ReadWholeFile(path, kMaxDescriptionBytes, text)) {
    throw DescriptionError(path + ": cannot be read");
  }

  auto file = std::make_shared<DescriptionFile>();
  file->Path = path;
  DuplicateKeyWatch watch;
  try {
    file->Root = Json::parse(
        text,
        [&watch](int, nlohmann::detail::parse_event_t event, Json& parsed) {
          return watch.Event(event, parsed);
        },
        /*allow_exceptions=*/true, /*ignore_comments=*/true);
  } catch (const Json::parse_error& e) {
    // nlohmann's text starts with its own tag in brackets; the user needs the rest.
    std::string message = e.what();
    const size_t cut = message.find("] ");
    if (cut != std::string::npos) message = message.substr(cut + 2);
    throw DescriptionError(path + ": " + message);
  }
  if (!watch.Duplicate().empty()) throw DescriptionError(path + ": " + watch.Duplicate());
  return file;
}

std::string FolderOf(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? "" : path.substr(0, cut + 1);
}

std::string JoinPath(const std::string& folder, const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  return folder + path;
}

Node::Node(std::shared_ptr<const DescriptionFile> file, const Json* value, std::string pointer)
    : file_(std::move(file)), value_(value), pointer_(std::move(pointer)) {}

Node Node::Root(const std::shared_ptr<const DescriptionFile>& file) {
  return Node(file, &file->Root, "");
}

std::string Node::Where() const {
  return file_->Path + ": " + (pointer_.empty() ? "/" : pointer_);
}

void Node::Fail(const std::string& message) const {
  throw DescriptionError(Where() + ": " + message);
}

bool Node::Has(const std::string& key) const {
  return value_->is_object() && value_->contains(key);
}

Node Node::Member(const std::string& key) const {
  ExpectObject("an object");
  const auto found = value_->find(key);
  if (found == value_->end()) Fail("\"" + key + "\" is missing");
  return Node(file_, &*found, pointer_ + "/" + PointerToken(key));
}

Node Node::Element(size_t i) const {
  ExpectArray("a list");
  if (i >= value_->size()) Fail("has no element " + std::to_string(i));
  return Node(file_, &(*value_)[i], pointer_ + "/" + std::to_string(i));
}

size_t Node::Size() const {
  return value_->is_array() || value_->is_object() ? value_->size() : 0;
}

std::vector<std::pair<std::string, Node>> Node::Members() const {
  ExpectObject("an object");
  std::vector<std::pair<std::string, Node>> members;
  for (auto it = value_->begin(); it != value_->end(); ++it) {
    members.emplace_back(it.key(),
                         Node(file_, &it.value(), pointer_ + "/" + PointerToken(it.key())));
  }
  return members;
}

std::vector<Node> Node::Elements() const {
  ExpectArray("a list");
  std::vector<Node> elements;
  for (size_t i = 0; i < value_->size(); ++i) elements.push_back(Element(i));
  return elements;
}

void Node::OnlyKeys(const std::vector<std::string>& allowed) const {
  ExpectObject("an object");
  for (auto it = value_->begin(); it != value_->end(); ++it) {
    bool known = false;
    for (const std::string& key : allowed) known = known || key == it.key();
    if (!known) {
      std::string list;
      for (const std::string& key : allowed) list += (list.empty() ? "" : ", ") + key;
      Fail("unknown field \"" + it.key() + "\" (known here: " + list + ")");
    }
  }
}

void Node::ExpectObject(const std::string& what) const {
  if (!value_->is_object()) Fail("should be " + what + ", not " + JsonTypeName(*value_));
}

void Node::ExpectArray(const std::string& what) const {
  if (!value_->is_array()) Fail("should be " + what + ", not " + JsonTypeName(*value_));
}

int64_t Node::Integer(int64_t low, int64_t high) const {
  int64_t value = 0;
  if (value_->is_number_integer()) {
    value = value_->get<int64_t>();
  } else if (value_->is_number_unsigned()) {
    const uint64_t big = value_->get<uint64_t>();
    value = big > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(big);
  } else {
    Fail("should be an integer, not " + JsonTypeName(*value_));
  }
  if (value < low || value > high) {
    Fail(std::to_string(value) + " is outside " + std::to_string(low) + " to " +
         std::to_string(high));
  }
  return value;
}

bool Node::Boolean() const {
  if (!value_->is_boolean()) Fail("should be true or false, not " + JsonTypeName(*value_));
  return value_->get<bool>();
}

std::string Node::String() const {
  if (!value_->is_string()) Fail("should be a text, not " + JsonTypeName(*value_));
  return value_->get<std::string>();
}
