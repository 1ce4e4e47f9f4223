// Turns a game description into a GameRecord. The reader works in passes:
// images first (so animations can name them), then players and enemy kinds
// (so waves can name them), then levels. Every value is checked where it is
// read, so that an error names its file and JSON pointer rather than a field
// of the game file.
#include "tools/game_description.h"

#include <limits>
#include <memory>
#include <set>
#include <tuple>

#include "game/game_file_writer.h"
#include "runtime/files/archive_index.h"
#include "runtime/values/rt_string.h"
#include "tools/description_json.h"
#include "tools/pixel_art.h"

namespace {

constexpr int64_t kI8Low = -128, kI8High = 127;
constexpr int64_t kI16Low = -32768, kI16High = 32767;
constexpr int64_t kI32Low = std::numeric_limits<int32_t>::min();
constexpr int64_t kI32High = std::numeric_limits<int32_t>::max();
constexpr int32_t kLargestImage = 1024;
constexpr int32_t kLargestScale = 16;

// Direction names in the order of the game's direction numbers 0 to 8.
const char* const kDirections[9] = {"right",     "up-right", "up",         "up-left", "left",
                                    "down-left", "down",     "down-right", "still"};

const char* const kActions[4] = {"move", "shoot", "die", "bullet"};

// One file's share of the description, with the legends in force for it.
struct Part {
  Node Root;
  Legend Colours;
  std::map<char, int32_t> MapKeys;                    // map character -> tile index, -1 for empty
  std::vector<std::pair<char, Node>> PendingMapKeys;  // resolved once tiles are known
};

struct ImageName {
  bool IsTile = false;
  int32_t Index = 0;
};

struct EnemyKind {
  ObjectRecord Definition;
  int32_t Group = 0;
};

class Reader {
 public:
  explicit Reader(GameDescription& out) : out_(out) {}

  void Read(const std::string& path) {
    std::shared_ptr<const DescriptionFile> mainFile = LoadDescriptionFile(path);
    out_.Files.push_back(path);
    const Node root = Node::Root(mainFile);
    root.ExpectObject("an object");
    root.OnlyKeys({"version", "title", "sounds", "media", "legend", "map_legend", "include",
                   "sprites", "tiles", "players", "enemies", "levels"});

    if (root.Has("version")) {
      out_.Version =
          static_cast<int32_t>(root.Member("version").Integer(0, kHighestGameFileVersion));
    }
    if (root.Has("title"))
      out_.Game.TitleText = RtString(std::string_view(Title(root.Member("title"))));
    if (root.Has("sounds")) ReadSounds(root.Member("sounds"));
    if (root.Has("media")) ReadMedia(root.Member("media"));

    parts_.push_back(MakePart(root, Legend{}));
    if (root.Has("include")) {
      for (const Node& entry : root.Member("include").Elements()) {
        const std::string included = JoinPath(root.Folder(), entry.String());
        std::shared_ptr<const DescriptionFile> file;
        try {
          file = LoadDescriptionFile(included);
        } catch (const DescriptionError& e) {
          entry.Fail(e.what());
        }
        out_.Files.push_back(included);
        const Node partRoot = Node::Root(file);
        partRoot.ExpectObject("an object");
        partRoot.OnlyKeys({"legend", "map_legend", "sprites", "tiles", "enemies", "levels"});
        parts_.push_back(MakePart(partRoot, parts_[0].Colours));
      }
    }

    out_.Game.Sprites.Dimension(0);
    out_.Game.Tiles.Dimension(0);
    for (Part& part : parts_) {
      if (part.Root.Has("sprites")) ReadImages(part, part.Root.Member("sprites"), false);
      if (part.Root.Has("tiles")) ReadImages(part, part.Root.Member("tiles"), true);
    }
    if (out_.Game.Sprites.DimSize(0) == 0) root.Fail("the game has no sprite images");
    if (out_.Game.Tiles.DimSize(0) == 0) root.Fail("the game has no tile images");
    // Map legends name tiles, so they resolve now; included files start from the main one's.
    ResolveMapKeys(parts_[0], {});
    for (size_t i = 1; i < parts_.size(); ++i) ResolveMapKeys(parts_[i], parts_[0].MapKeys);

    if (!root.Has("players")) root.Fail("\"players\" is missing");
    ReadPlayers(root.Member("players"));
    for (Part& part : parts_) {
      if (part.Root.Has("enemies")) ReadEnemies(part.Root.Member("enemies"));
    }

    out_.Game.Levels.Dimension(0);
    for (Part& part : parts_) {
      if (!part.Root.Has("levels")) continue;
      for (const Node& level : part.Root.Member("levels").Elements()) ReadLevel(part, level);
    }
    if (out_.Game.Levels.DimSize(0) == 0) root.Fail("the game has no levels");
    AssembleAnimations();
  }

 private:
  Part MakePart(const Node& root, Legend colours) {
    Part part{root, std::move(colours), {}, {}};
    if (root.Has("legend")) ReadLegend(root.Member("legend"), part.Colours);
    if (root.Has("map_legend")) {
      for (const auto& [key, value] : root.Member("map_legend").Members()) {
        if (key.size() != 1) value.Fail("a map legend key must be one character");
        part.PendingMapKeys.emplace_back(key[0], value);
      }
    }
    return part;
  }

  static std::string Title(const Node& node) {
    if (node.IsString()) return node.String();
    std::string text;
    const std::vector<Node> lines = node.Elements();
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i].String();
    return text;
  }

  void ReadSounds(const Node& node) {
    for (const auto& [name, slot] : node.Members()) {
      out_.Sounds[name] = static_cast<int32_t>(slot.Integer(1, 127));
    }
  }

  // "media": {"sounds": {name: source}, "files": {member: source}}. A sound
  // is stored under the name the game asks for: the project path's last part
  // with the slot and ".wav". A source is a path, or for a sound a ".json"
  // recipe, or for a file {"font": glyph art, "as": "png" | "bmp"}.
  void ReadMedia(const Node& node) {
    node.ExpectObject("an object with \"sounds\" and \"files\"");
    node.OnlyKeys({"sounds", "files"});
    std::string project = out_.Game.ProjectPath.Std();
    const size_t cut = project.find_last_of("/\\");
    if (cut != std::string::npos) project = project.substr(cut + 1);
    if (node.Has("sounds")) {
      for (const auto& [name, source] : node.Member("sounds").Members()) {
        const auto slot = out_.Sounds.find(name);
        if (slot == out_.Sounds.end()) source.Fail("no sound is named \"" + name + "\" in \"sounds\"");
        MediaSource media;
        media.Member = project + std::to_string(slot->second) + ".wav";
        media.Path = JoinPath(source.Folder(), source.String());
        media.Where = source.Where();
        if (media.Path.size() > 5 && SameIgnoringCase(media.Path.substr(media.Path.size() - 5), ".json")) {
          media.From = MediaSource::Kind::kSoundRecipe;
        }
        AddMedia(source, std::move(media));
      }
    }
    if (node.Has("files")) {
      for (const auto& [member, source] : node.Member("files").Members()) {
        MediaSource media;
        media.Member = member;
        media.Where = source.Where();
        if (source.IsString()) {
          media.Path = JoinPath(source.Folder(), source.String());
        } else {
          source.ExpectObject("a path, or {\"font\": glyph art, \"as\": \"png\" or \"bmp\"}");
          source.OnlyKeys({"font", "as"});
          if (!source.Has("font")) source.Fail("\"font\" is missing");
          media.From = MediaSource::Kind::kFontArt;
          media.Path = JoinPath(source.Folder(), source.Member("font").String());
          const std::string format = source.Has("as") ? source.Member("as").String() : "bmp";
          if (format != "png" && format != "bmp") source.Member("as").Fail("\"png\" or \"bmp\"");
          media.AsPng = format == "png";
        }
        AddMedia(source, std::move(media));
      }
    }
  }

  void AddMedia(const Node& source, MediaSource media) {
    if (!IsSafeMemberName(media.Member)) {
      source.Fail("\"" + media.Member + "\" cannot be a file's name in the game's archive");
    }
    for (const MediaSource& other : out_.Media) {
      if (SameIgnoringCase(other.Member, media.Member)) {
        source.Fail("\"" + media.Member + "\" is named twice (letter case aside)");
      }
    }
    out_.Media.push_back(std::move(media));
  }

  // ---- images ----

  void ReadImages(Part& part, const Node& section, bool tiles) {
    for (const auto& [name, definition] : section.Members()) {
      if (images_.count(name)) definition.Fail("an image named \"" + name + "\" exists already");
      ImageRecord image;
      image.Pixels = ImagePixels(part, definition);
      const int32_t width = image.Pixels.DimSize(0);
      const int32_t height = image.Pixels.DimSize(1);
      if (width != height) {
        definition.Fail("is " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels; images must be square (the game uses only the width)");
      }
      if (width > kLargestImage) {
        definition.Fail("is " + std::to_string(width) + " pixels wide; at most " +
                        std::to_string(kLargestImage));
      }
      RtArray<ImageRecord>& list = tiles ? out_.Game.Tiles : out_.Game.Sprites;
      std::vector<std::string>& names = tiles ? out_.TileNames : out_.SpriteNames;
      if (list.DimSize(0) > 0 && list[0].Pixels.DimSize(0) != width) {
        out_.Warnings.push_back(definition.Where() + ": " + (tiles ? "tile" : "sprite") + " \"" +
                                name + "\" is " + std::to_string(width) + " pixels wide, but \"" +
                                names[0] + "\" is " + std::to_string(list[0].Pixels.DimSize(0)) +
                                (tiles ? "; the first tile sets the map cell size"
                                       : "; the first sprite sets every sprite's size for "
                                         "spacing and screen limits"));
      }
      images_[name] = ImageName{tiles, list.DimSize(0)};
      list.Append(std::move(image));
      names.push_back(name);
    }
  }

  RtArray<int32_t> ImagePixels(const Part& part, const Node& node) {
    node.ExpectObject("an image (an object with \"rows\", \"png\" or \"from\")");
    node.OnlyKeys({"rows", "legend", "png", "from", "recolour", "flip", "turn", "scale"});
    const int sources = node.Has("rows") + node.Has("png") + node.Has("from");
    if (sources != 1) node.Fail("an image needs exactly one of \"rows\", \"png\" and \"from\"");

    Legend legend = part.Colours;
    if (node.Has("legend")) ReadLegend(node.Member("legend"), legend);
    RtArray<int32_t> pixels;
    if (node.Has("rows")) {
      pixels = PixelsFromRows(node.Member("rows"), legend);
    } else if (node.Has("png")) {
      const Node png = node.Member("png");
      pixels = PixelsFromPng(png, JoinPath(png.Folder(), png.String()));
    } else {
      const Node from = node.Member("from");
      const std::string source = from.String();
      const auto found = images_.find(source);
      if (found == images_.end()) from.Fail("no image named \"" + source + "\" is defined before");
      const ImageName& name = found->second;
      pixels = (name.IsTile ? out_.Game.Tiles : out_.Game.Sprites)[name.Index].Pixels;
    }
    if (node.Has("recolour")) {
      std::map<int32_t, int32_t> colours;
      for (const auto& [key, value] : node.Member("recolour").Members()) {
        colours[ColourKey(value, key, legend)] = LegendColour(value, legend);
      }
      pixels = RecolourPixels(pixels, colours);
    }
    if (node.Has("flip")) {
      const Node flip = node.Member("flip");
      const std::string axes = flip.String();
      if (axes != "x" && axes != "y" && axes != "xy") flip.Fail("should be \"x\", \"y\" or \"xy\"");
      pixels = FlipPixels(pixels, axes.find('x') != std::string::npos,
                          axes.find('y') != std::string::npos);
    }
    if (node.Has("turn")) {
      const Node turn = node.Member("turn");
      const int64_t degrees = turn.Integer(0, 270);
      if (degrees % 90 != 0) turn.Fail("should be 0, 90, 180 or 270 (degrees clockwise)");
      pixels = TurnPixels(pixels, static_cast<int32_t>(degrees / 90));
    }
    if (node.Has("scale")) {
      pixels =
          ScalePixels(pixels, static_cast<int32_t>(node.Member("scale").Integer(1, kLargestScale)));
    }
    return pixels;
  }

  // A colour written as one legend character, or as any colour ParseColour takes.
  static int32_t LegendColour(const Node& node, const Legend& legend) {
    if (node.IsString() && node.String().size() == 1) {
      const auto found = legend.find(node.String()[0]);
      if (found == legend.end()) node.Fail("'" + node.String() + "' is not in the legend");
      return found->second;
    }
    return ParseColour(node);
  }

  // The same for an object key, which is always text; errors point at its value.
  static int32_t ColourKey(const Node& value, const std::string& key, const Legend& legend) {
    if (key.size() == 1) {
      const auto found = legend.find(key[0]);
      if (found == legend.end()) value.Fail("key '" + key + "' is not in the legend");
      return found->second;
    }
    const auto file = std::make_shared<DescriptionFile>(DescriptionFile{value.File(), key});
    return ParseColour(Node(file, &file->Root, value.Pointer()));
  }

  int32_t SpriteIndex(const Node& node) {
    const std::string name = node.String();
    const auto found = images_.find(name);
    if (found == images_.end()) node.Fail("no sprite image is named \"" + name + "\"");
    if (found->second.IsTile) node.Fail("\"" + name + "\" is a tile image, not a sprite image");
    return found->second.Index;
  }

  void ResolveMapKeys(Part& part, const std::map<char, int32_t>& inherited) {
    part.MapKeys = inherited;
    for (const auto& [key, value] : part.PendingMapKeys) part.MapKeys[key] = TileIndex(value);
    part.PendingMapKeys.clear();
  }

  // A map legend value: a tile name, or null for an empty cell.
  int32_t TileIndex(const Node& node) {
    if (node.Value().is_null()) return -1;
    const std::string name = node.String();
    const auto found = images_.find(name);
    if (found == images_.end()) node.Fail("no tile image is named \"" + name + "\"");
    if (!found->second.IsTile) node.Fail("\"" + name + "\" is a sprite image, not a tile image");
    return found->second.Index;
  }

  // ---- animations ----

  AnimationRecord Animation(const Node& node, const std::string& action) {
    AnimationRecord animation;
    if (node.IsString() || node.IsArray()) {
      SetCycle(animation, node);
      return animation;
    }
    node.ExpectObject("an animation (a sprite name, a list of them, or an object)");
    node.OnlyKeys({"frames", "mode", "speed", "sound"});
    std::string mode = "cycle";
    int64_t number = 0;
    if (node.Has("mode")) {
      const Node modeNode = node.Member("mode");
      if (modeNode.IsNumber()) {
        number = modeNode.Integer(1, kI32High);
        mode = "number";
      } else {
        mode = modeNode.String();
        if (mode != "cycle" && mode != "directions" && mode != "direction-pairs") {
          modeNode.Fail(
              "should be \"cycle\", \"directions\", \"direction-pairs\" or a frame count");
        }
      }
    }
    const Node frames = node.Member("frames");
    if (mode == "cycle") {
      SetCycle(animation, frames);
    } else if (mode == "number") {
      SetCycle(animation, frames);
      animation.Mode = static_cast<int32_t>(number);
    } else if (mode == "directions") {
      if (action == "shoot" || action == "die") {
        node.Member("mode").Fail("a " + action +
                                 " animation by directions never ends; use a cycle");
      }
      frames.OnlyKeys(std::vector<std::string>(kDirections, kDirections + 9));
      animation.Mode = 0;
      animation.Frames.Dimension(9);
      for (int32_t d = 0; d < 9; ++d)
        animation.Frames[d] = SpriteIndex(frames.Member(kDirections[d]));
    } else {
      frames.OnlyKeys(std::vector<std::string>(kDirections, kDirections + 9));
      animation.Mode = -1;
      const int32_t count = frames.Has("still") ? 9 : 8;
      animation.Frames.Dimension(2 * count);
      for (int32_t d = 0; d < count; ++d) {
        const Node pair = frames.Member(kDirections[d]);
        if (!pair.IsArray() || pair.Size() != 2) pair.Fail("should be a list of two sprite names");
        animation.Frames[2 * d] = SpriteIndex(pair.Element(0));
        animation.Frames[2 * d + 1] = SpriteIndex(pair.Element(1));
      }
    }
    if (node.Has("speed"))
      animation.Speed = static_cast<int32_t>(node.Member("speed").Integer(0, 1000));
    if (node.Has("sound")) animation.Sound = SoundSlot(node.Member("sound"));
    return animation;
  }

  void SetCycle(AnimationRecord& animation, const Node& frames) {
    if (frames.IsString()) {
      animation.Frames.Dimension(1);
      animation.Frames[0] = SpriteIndex(frames);
    } else {
      const std::vector<Node> names = frames.Elements();
      if (names.empty()) frames.Fail("an animation needs at least one frame");
      animation.Frames.Dimension(static_cast<int32_t>(names.size()));
      for (size_t i = 0; i < names.size(); ++i) {
        animation.Frames[static_cast<int32_t>(i)] = SpriteIndex(names[i]);
      }
    }
    animation.Mode = animation.Frames.DimSize(0);
  }

  int32_t SoundSlot(const Node& node) {
    if (node.IsNumber()) return static_cast<int32_t>(node.Integer(0, 127));
    const std::string name = node.String();
    const auto found = out_.Sounds.find(name);
    if (found == out_.Sounds.end()) node.Fail("no sound is named \"" + name + "\" in \"sounds\"");
    return found->second;
  }

  // The four animations of an actor; a missing shoot repeats move without a
  // sound, a missing bullet is refused when the actor fires.
  void ReadAnimationGroup(const Node& node, bool fires) {
    node.OnlyKeys(std::vector<std::string>(kActions, kActions + 4));
    AnimationRecord group[4];
    for (int k = 0; k < 4; ++k) {
      if (node.Has(kActions[k])) {
        group[k] = Animation(node.Member(kActions[k]), kActions[k]);
      } else if (k == kActionShoot || (k == kActionBullet && !fires)) {
        group[k] = group[kActionMove];
        group[k].Sound = 0;
      } else {
        node.Fail(std::string("\"") + kActions[k] + "\" is missing" +
                  (k == kActionBullet ? " (this actor fires)" : ""));
      }
    }
    for (const AnimationRecord& animation : group) groups_.push_back(animation);
  }

  // ---- players and enemies ----

  static int32_t Field(const Node& object, const std::string& key, int64_t low, int64_t high,
                       int32_t value) {
    return object.Has(key) ? static_cast<int32_t>(object.Member(key).Integer(low, high)) : value;
  }

  static int32_t Flag(const Node& object, const std::string& key, int32_t value) {
    return object.Has(key) ? object.Member(key).Boolean() : value;
  }

  void ReadPlayers(const Node& node) {
    const std::vector<Node> players = node.Elements();
    if (players.empty() || players.size() > 2) node.Fail("a game has one or two players");
    out_.Game.Players.Dimension(static_cast<int32_t>(players.size()));
    for (size_t i = 0; i < players.size(); ++i) {
      const Node& p = players[i];
      p.ExpectObject("a player (an object)");
      p.OnlyKeys({"lives", "fire_aim", "path_speed", "fire_rate", "bullet_speed", "bullet_life",
                  "shootable", "solid", "animations"});
      ObjectRecord& player = out_.Game.Players[static_cast<int32_t>(i)];
      player.Hits = Field(p, "lives", 1, kI8High, player.Hits);
      if (p.Has("fire_aim")) {
        const Node aim = p.Member("fire_aim");
        const std::string text = aim.String();
        if (text != "up" && text != "heading") aim.Fail("should be \"up\" or \"heading\"");
        player.FireAim = text == "heading";
      }
      player.PathSpeed = Field(p, "path_speed", kI8Low, kI8High, player.PathSpeed);
      player.FireRate = Field(p, "fire_rate", kI8Low, 11, player.FireRate);
      player.BulletSpeed = Field(p, "bullet_speed", kI8Low, kI8High, player.BulletSpeed);
      player.BulletLife = Field(p, "bullet_life", 0, kI32High, player.BulletLife);
      player.Shootable = Flag(p, "shootable", player.Shootable);
      player.Solid = Flag(p, "solid", player.Solid);
      ReadAnimationGroup(p.Member("animations"), true);
    }
    // A one-player game still has the second player's animation group.
    if (players.size() == 1) {
      for (int k = 0; k < 4; ++k) groups_.push_back(groups_[k]);
    }
  }

  static int32_t FireAim(const Node& node) {
    if (node.IsNumber()) return static_cast<int32_t>(node.Integer(0, 31));
    if (node.IsString()) {
      const std::string text = node.String();
      if (text == "none") return 0;
      if (text == "all") return 31;
      node.Fail("should be \"none\", \"all\", a list of directions or a number 0 to 31");
    }
    int32_t bits = 0;
    for (const Node& entry : node.Elements()) {
      const std::string name = entry.String();
      if (name == "right") {
        bits |= 1;
      } else if (name == "up") {
        bits |= 2;
      } else if (name == "left") {
        bits |= 4;
      } else if (name == "down") {
        bits |= 8;
      } else if (name == "diagonals") {
        bits |= 16;
      } else {
        entry.Fail("should be \"right\", \"up\", \"left\", \"down\" or \"diagonals\"");
      }
    }
    return bits;
  }

  static const std::vector<std::string>& EnemyFields() {
    static const std::vector<std::string> fields = {
        "hits",         "path_speed",       "fire_aim",         "points",    "fire_rate",
        "bullet_speed", "bullet_life",      "blocks_level_end", "loop_path", "shootable",
        "solid",        "harms_on_contact", "dies_on_contact"};
    return fields;
  }

  // Applies the enemy fields present in node to object.
  static void ReadEnemyFields(const Node& node, ObjectRecord& o) {
    o.Hits = Field(node, "hits", 1, kI16High, o.Hits);
    o.PathSpeed = Field(node, "path_speed", -1, kI8High, o.PathSpeed);
    if (node.Has("fire_aim")) o.FireAim = FireAim(node.Member("fire_aim"));
    o.Points = Field(node, "points", 0, kI32High, o.Points);
    o.FireRate = Field(node, "fire_rate", kI8Low, 11, o.FireRate);
    o.BulletSpeed = Field(node, "bullet_speed", kI32Low, kI32High, o.BulletSpeed);
    o.BulletLife = Field(node, "bullet_life", 0, kI32High, o.BulletLife);
    o.BlocksLevelEnd = Flag(node, "blocks_level_end", o.BlocksLevelEnd);
    o.LoopPath = Flag(node, "loop_path", o.LoopPath);
    o.Shootable = Flag(node, "shootable", o.Shootable);
    o.Solid = Flag(node, "solid", o.Solid);
    o.HarmsOnContact = Flag(node, "harms_on_contact", o.HarmsOnContact);
    o.DiesOnContact = Flag(node, "dies_on_contact", o.DiesOnContact);
  }

  void ReadEnemies(const Node& node) {
    for (const auto& [name, e] : node.Members()) {
      if (enemies_.count(name)) e.Fail("an enemy named \"" + name + "\" exists already");
      e.ExpectObject("an enemy kind (an object)");
      std::vector<std::string> allowed = EnemyFields();
      allowed.push_back("animations");
      e.OnlyKeys(allowed);
      EnemyKind kind;
      ReadEnemyFields(e, kind.Definition);
      kind.Group = static_cast<int32_t>(groups_.size() / 4);
      kind.Definition.AnimationBase = 4 * kind.Group;
      const Node animations = e.Member("animations");
      ReadAnimationGroup(animations, kind.Definition.FireAim != 0);
      if (animations.Has("bullet")) hasBullet_.insert(kind.Definition.AnimationBase);
      enemies_[name] = kind;
      out_.EnemyNames.push_back(name);
    }
  }

  // ---- levels ----

  static int32_t Named(const Node& node, const std::vector<std::string>& names, int64_t high) {
    if (node.IsNumber()) return static_cast<int32_t>(node.Integer(0, high));
    const std::string text = node.String();
    for (size_t i = 0; i < names.size(); ++i) {
      if (text == names[i]) return static_cast<int32_t>(i);
    }
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "\"" : ", \"") + name + "\"";
    node.Fail("should be one of " + list + " or a number");
  }

  void ReadLevel(const Part& part, const Node& node) {
    node.ExpectObject("a level (an object)");
    node.OnlyKeys({"name", "scroll", "scroll_speed", "tile_collision", "duration", "map_legend",
                   "ground", "foreground", "waves"});
    LevelRecord level;
    std::string name;
    if (node.Has("name")) name = node.Member("name").String();
    if (node.Has("scroll")) {
      level.ScrollMode = Named(node.Member("scroll"), {"still", "constant", "pushed"}, kI32High);
    }
    level.ScrollSpeed = Field(node, "scroll_speed", kI32Low, kI32High, level.ScrollSpeed);
    if (node.Has("tile_collision")) {
      level.TileCollision = Named(node.Member("tile_collision"), {"none", "wall", "deadly"}, 2);
    }
    level.Duration = Field(node, "duration", kI32Low, kI32High, level.Duration);

    std::map<char, int32_t> keys = part.MapKeys;
    if (node.Has("map_legend")) {
      for (const auto& [key, value] : node.Member("map_legend").Members()) {
        if (key.size() != 1) value.Fail("a map legend key must be one character");
        keys[key[0]] = TileIndex(value);
      }
    }
    level.Layers[0] = MapLayer(node.Member("ground"), keys);
    const int32_t width = level.Layers[0].DimSize(0), height = level.Layers[0].DimSize(1);
    if (node.Has("foreground")) {
      const Node foreground = node.Member("foreground");
      level.Layers[1] = MapLayer(foreground, keys);
      if (level.Layers[1].DimSize(0) != width || level.Layers[1].DimSize(1) != height) {
        foreground.Fail("is " + std::to_string(level.Layers[1].DimSize(0)) + " x " +
                        std::to_string(level.Layers[1].DimSize(1)) + " cells; the ground is " +
                        std::to_string(width) + " x " + std::to_string(height));
      }
    } else {
      // The foreground is tested for collisions over the ground's whole size.
      level.Layers[1].Dimension(width, height);
      for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) level.Layers[1](x, y) = -1;
      }
    }
    level.Waves.Dimension(0);
    if (node.Has("waves")) {
      for (const Node& wave : node.Member("waves").Elements()) level.Waves.Append(Wave(wave));
    }
    out_.Game.Levels.Append(std::move(level));
    out_.LevelNames.push_back(name);
  }

  static RtArray<int32_t> MapLayer(const Node& rows, const std::map<char, int32_t>& keys) {
    const std::vector<Node> lines = rows.Elements();
    if (lines.empty()) rows.Fail("a map needs at least one row");
    const int32_t width = static_cast<int32_t>(lines[0].String().size());
    if (width == 0) lines[0].Fail("a map row cannot be empty");
    RtArray<int32_t> layer;
    layer.Dimension(width, static_cast<int32_t>(lines.size()));
    for (int32_t y = 0; y < static_cast<int32_t>(lines.size()); ++y) {
      const std::string line = lines[y].String();
      if (static_cast<int32_t>(line.size()) != width) {
        lines[y].Fail("row is " + std::to_string(line.size()) + " cells wide; row 0 is " +
                      std::to_string(width));
      }
      for (int32_t x = 0; x < width; ++x) {
        const auto found = keys.find(line[x]);
        if (found != keys.end()) {
          layer(x, y) = found->second;
        } else if (line[x] == '.' || line[x] == ' ') {
          layer(x, y) = -1;
        } else {
          lines[y].Fail("character '" + std::string(1, line[x]) + "' at column " +
                        std::to_string(x) + " is not in the map legend");
        }
      }
    }
    return layer;
  }

  static std::pair<int32_t, int32_t> Point(const Node& node, int64_t low, int64_t high) {
    if (!node.IsArray() || node.Size() != 2) node.Fail("should be [x, y]");
    return {static_cast<int32_t>(node.Element(0).Integer(low, high)),
            static_cast<int32_t>(node.Element(1).Integer(low, high))};
  }

  static void SpawnPositions(const Node& node, RtArray<int32_t>& positions) {
    positions.Dimension(0);
    if (node.IsNumber()) {
      positions.Append(static_cast<int32_t>(node.Integer(kI32Low, kI32High)));
    } else if (node.IsArray()) {
      for (const Node& entry : node.Elements()) {
        positions.Append(static_cast<int32_t>(entry.Integer(kI32Low, kI32High)));
      }
    } else {
      node.ExpectObject("a position, a list of them, or {\"from\", \"step\", \"count\"}");
      node.OnlyKeys({"from", "step", "count"});
      const int64_t from = node.Member("from").Integer(kI32Low, kI32High);
      const int64_t step = node.Member("step").Integer(kI16Low, kI16High);
      const int64_t count = node.Member("count").Integer(1, 1000);
      const int64_t last = from + step * (count - 1);
      if (last < kI32Low || last > kI32High) node.Fail("the positions run outside 32 bits");
      for (int64_t k = 0; k < count; ++k) positions.Append(static_cast<int32_t>(from + step * k));
    }
    if (positions.DimSize(0) == 0) node.Fail("a wave without spawn positions never appears");
  }

  WaveRecord Wave(const Node& node) {
    node.ExpectObject("a wave (an object)");
    node.OnlyKeys({"enemy", "formation", "objects", "spawn", "path", "path_origin"});
    WaveRecord wave;
    SpawnPositions(node.Member("spawn"), wave.SpawnPositions);

    int32_t originY = 0;
    if (node.Has("path_origin")) {
      const Node origin = node.Member("path_origin");
      const std::string text = origin.String();
      if (text == "spawn") {
        originY = wave.SpawnPositions[0];
      } else if (text != "map") {
        origin.Fail("should be \"map\" or \"spawn\"");
      }
    }
    const std::vector<Node> points = node.Member("path").Elements();
    if (points.empty()) node.Member("path").Fail("a path needs at least one point");
    if (points.size() > static_cast<size_t>(kI16High))
      node.Member("path").Fail("has too many points");
    wave.Path.Dimension(static_cast<int32_t>(points.size()));
    for (size_t k = 0; k < points.size(); ++k) {
      const auto [x, y] = Point(points[k], kI16Low, kI16High);
      const int64_t mapY = int64_t{y} + originY;
      if (mapY < kI16Low || mapY > kI16High) {
        points[k].Fail("lies at map y " + std::to_string(mapY) + ", outside -32768 to 32767");
      }
      wave.Path[static_cast<int32_t>(k)] = PathPoint{x, static_cast<int32_t>(mapY)};
    }

    wave.Objects.Dimension(0);
    if (node.Has("enemy") == node.Has("objects")) {
      node.Fail("a wave needs either \"enemy\" (with an optional \"formation\") or \"objects\"");
    }
    if (node.Has("enemy")) {
      const ObjectRecord definition = Enemy(node.Member("enemy"));
      if (!node.Has("formation")) {
        wave.Objects.Append(definition);
      } else {
        for (const Node& place : node.Member("formation").Elements()) {
          ObjectRecord object = definition;
          std::tie(object.OffsetX, object.OffsetY) = Point(place, kI16Low, kI16High);
          wave.Objects.Append(object);
        }
      }
    } else {
      if (node.Has("formation"))
        node.Member("formation").Fail("goes with \"enemy\", not \"objects\"");
      for (const Node& entry : node.Member("objects").Elements()) {
        entry.ExpectObject("an object of the wave");
        std::vector<std::string> allowed = EnemyFields();
        allowed.push_back("enemy");
        allowed.push_back("offset");
        entry.OnlyKeys(allowed);
        ObjectRecord object = Enemy(entry.Member("enemy"));
        if (entry.Has("offset")) {
          std::tie(object.OffsetX, object.OffsetY) =
              Point(entry.Member("offset"), kI16Low, kI16High);
        }
        ReadEnemyFields(entry, object);
        if (object.FireAim != 0 && !hasBullet_.count(object.AnimationBase)) {
          // The kind's bullet animation was filled in from its move animation.
          entry.Fail("fires, but enemy \"" + entry.Member("enemy").String() +
                     "\" has no bullet animation");
        }
        wave.Objects.Append(object);
      }
    }
    if (wave.Objects.DimSize(0) == 0) node.Fail("a wave needs at least one object");
    return wave;
  }

  ObjectRecord Enemy(const Node& node) {
    const std::string name = node.String();
    const auto found = enemies_.find(name);
    if (found == enemies_.end()) node.Fail("no enemy kind is named \"" + name + "\"");
    return found->second.Definition;
  }

  void AssembleAnimations() {
    out_.Game.Animations.Dimension(0);
    for (const AnimationRecord& animation : groups_) out_.Game.Animations.Append(animation);
  }

  GameDescription& out_;
  std::vector<Part> parts_;
  std::map<std::string, ImageName> images_;
  std::map<std::string, EnemyKind> enemies_;
  std::set<int32_t> hasBullet_;  // AnimationBase of kinds with their own bullet
  std::vector<AnimationRecord> groups_;
};

}  // namespace

bool ReadGameDescription(const std::string& path, GameDescription& description,
                         std::string& error) {
  description = GameDescription{};
  try {
    Reader(description).Read(path);
  } catch (const DescriptionError& e) {
    error = e.what();
    return false;
  }
  error.clear();
  return true;
}
