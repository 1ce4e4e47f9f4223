// Defaults of the game records and field access by number.
#include "game/records.h"

#include <type_traits>

#include "runtime/core/program_end.h"

// The loader and the game loop address object fields by number; the record
// is exactly its 24 integers, in order.
static_assert(std::is_standard_layout_v<ObjectRecord>);
static_assert(sizeof(ObjectRecord) == kObjectFieldCount * sizeof(int32_t));

namespace {

constexpr int32_t ObjectRecord::*kObjectFields[kObjectFieldCount] = {
    &ObjectRecord::AnimationBase,
    &ObjectRecord::Hits,
    &ObjectRecord::PathSpeed,
    &ObjectRecord::FireAim,
    &ObjectRecord::Points,
    &ObjectRecord::FireRate,
    &ObjectRecord::BulletSpeed,
    &ObjectRecord::BulletLife,
    &ObjectRecord::BlocksLevelEnd,
    &ObjectRecord::LoopPath,
    &ObjectRecord::Shootable,
    &ObjectRecord::Solid,
    &ObjectRecord::HarmsOnContact,
    &ObjectRecord::DiesOnContact,
    &ObjectRecord::SpriteSlot,
    &ObjectRecord::Heading,
    &ObjectRecord::X,
    &ObjectRecord::Y,
    &ObjectRecord::OffsetX,
    &ObjectRecord::OffsetY,
    &ObjectRecord::NextFireTick,
    &ObjectRecord::HurtTimer,
    &ObjectRecord::ActionStart,
    &ObjectRecord::Action,
};

int32_t CheckedField(int32_t field) {
  if (field < 0 || field >= kObjectFieldCount) RaiseRuntimeError(kErrorIndex);
  return field;
}

}  // namespace

AnimationRecord::AnimationRecord() {
  Frames.Dimension(2);
}

WaveRecord::WaveRecord() {
  Objects.Dimension(1);
}

LevelRecord::LevelRecord() {
  Layers.Dimension(2);
}

GameRecord::GameRecord()
    : ProjectPath("projects/Skylane.ZORAX"), TitleText("Your Game\nPress fire to start") {
  Tiles.Dimension(2);
  Sprites.Dimension(20);
  Levels.Dimension(1);
  Players.Dimension(2);
}

int32_t& ObjectField(ObjectRecord& object, int32_t field) {
  return object.*kObjectFields[CheckedField(field)];
}

int32_t ObjectField(const ObjectRecord& object, int32_t field) {
  return object.*kObjectFields[CheckedField(field)];
}
