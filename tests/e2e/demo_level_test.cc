// Skylane's first level is fair: a ship that sees the enemy shots coming and
// steps aside, and otherwise lines up under an enemy and fires, gets through
// it. Played in-process on the built game file through the frame seam, with
// a fixed seed, in a child process (the program ends itself); the child
// writes what happened to a record file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "game/frame_seam.h"
#include "game/main_program.h"
#include "runtime/core/config.h"
#include "runtime/core/program_end.h"
#include "runtime/startup/startup.h"
#include "tests/game/run_player.h"
#include "tests/input/input_test_events.h"
#include "tests/support/program_end_checks.h"
#include "tests/support/test_env.h"

namespace {

std::string RecordPath() {
  return testenv::TempDir() + "/level_record.txt";
}

void Record(const std::string& line) {
  std::ofstream out(RecordPath(), std::ios::app);
  out << line << "\n";
}

bool& Held(SDL_Scancode key) {
  static bool held[SDL_NUM_SCANCODES] = {};
  return held[key];
}

void Send(SDL_Scancode key, bool down) {
  if (Held(key) == down) return;
  Held(key) = down;
  inputtest::PushKey(key, down);
}

// The camera's movement per frame, measured over the last frames.
double& ScrollRate() {
  static double rate = 0;
  return rate;
}

// Overlap, in frames, of a ship that keeps moving by (dx, dy) with the enemy
// shots and enemies over the next frames, the nearer ones weighing more;
// plus the foreground tiles (the coast's peaks are deadly) it would enter.
// Every sprite, shots too, counts as the first sprite's size.

double Danger(const GameSession& s, const ObjectRecord& ship, int32_t dx, int32_t dy) {
  const LevelMeasures& m = s.Measures;
  const int32_t size = m.SpriteW;
  constexpr int32_t kMargin = 6;
  constexpr int32_t kHorizon = 45;
  double danger = 0;
  for (int32_t t = 1; t <= kHorizon; ++t) {
    const double weight = 1.0 + (kHorizon - t) / 10.0;
    const int32_t x = std::clamp(ship.X + dx * t, 0, m.ScreenW - size);
    // Map coordinates: the ship stays where it is on the map until the
    // screen's lower edge, moving with the camera, pushes it.
    const double top = s.ScrollY + ScrollRate() * t;
    const int32_t y = static_cast<int32_t>(std::clamp(static_cast<double>(ship.Y + dy * t),
                                                      top + m.ScreenH / 4, top + m.ScreenH - size));
    auto hits = [&](double ox, double oy, int32_t osize) {
      return ox + osize > x - kMargin && ox < x + size + kMargin && oy + osize > y - kMargin &&
             oy < y + size + kMargin;
    };
    for (const Bullet& b : s.Bullets) {
      if (b.Owner >= 0 || b.ExpiresAt < GameClock()) continue;
      if (hits(b.X + b.VelX * t, b.Y + b.VelY * t, size)) danger += weight;
    }
    for (const LiveEnemy& e : s.Enemies) {
      if (e.Object.Hits <= 0 || e.Object.HarmsOnContact == 0) continue;
      const double step = (e.Object.PathSpeed + 1) / 4.0 * t;
      if (hits(e.Object.X + e.DirX * step, e.Object.Y + e.DirY * step, size)) danger += weight;
    }
    if (t % 8 == 0) {
      const RtArray<int32_t>& layer = s.Game.Levels[s.LevelIndex].Layers[1];
      for (int32_t cy = y / m.TileH; cy <= (y + size - 1) / m.TileH; ++cy) {
        for (int32_t cx = x / m.TileW; cx <= (x + size - 1) / m.TileW; ++cx) {
          if (cx >= 0 && cy >= 0 && cx < layer.DimSize(0) && cy < layer.DimSize(1) &&
              layer(cx, cy) >= 0) {
            danger += 50;
          }
        }
      }
    }
  }
  return danger;
}

// The ship's screen position and the enemy shots and enemies near it.
std::string Surroundings(const GameSession& s, const ObjectRecord& ship) {
  std::ostringstream near;
  near << " ship " << ship.X << "," << ship.Y - s.ScrollY;
  for (const Bullet& b : s.Bullets) {
    if (b.Owner < 0 && b.ExpiresAt >= GameClock() && std::abs(b.X - ship.X) < 80 &&
        std::abs(b.Y - ship.Y) < 80) {
      near << ", shot " << b.X << "," << b.Y - s.ScrollY << " moving " << b.VelX << "," << b.VelY;
    }
  }
  for (const LiveEnemy& e : s.Enemies) {
    if (std::abs(e.Object.X - ship.X) < 80 && std::abs(e.Object.Y - ship.Y) < 80) {
      near << ", enemy " << e.Object.X << "," << e.Object.Y - s.ScrollY;
    }
  }
  return near.str();
}

// Player 1 starts the game, steers by the least danger over the next frames
// (then towards the lowest enemy above it and its home row), and taps fire.
void Pilot(const GameFrame& frame) {
  static int32_t lastHits = -1;
  if (frame.Number > 9000) {
    Record("stopped");
    EndProgramNormally();
  }
  if (frame.Kind == GameFrameKind::kTitle) {
    if (frame.Number > 10) {
      Record("title");
      EndProgramNormally();
    }
    Send(SDL_SCANCODE_RCTRL, frame.NumberInPart == 1);
    return;
  }
  if (frame.Kind != GameFrameKind::kLevel) return;
  const GameSession& s = *frame.Session;
  if (s.LevelIndex > 0) {
    Record("cleared");
    EndProgramNormally();
  }
  static int32_t lastScrollY = s.ScrollY;
  ScrollRate() = ScrollRate() * 0.9 + (s.ScrollY - lastScrollY) * 0.1;
  lastScrollY = s.ScrollY;
  const ObjectRecord& ship = s.Game.Players[0];
  // What was around the ship the frame before a life was lost, for the
  // message of a failure.
  static std::string before;
  if (ship.Hits != lastHits) {
    Record("lives " + std::to_string(ship.Hits) + " at level frame " +
           std::to_string(frame.NumberInPart) + "; the frame before:" + before);
    lastHits = ship.Hits;
  }
  before = Surroundings(s, ship);
  // The lowest enemy above the ship is the target.
  int32_t targetX = ship.X;
  int32_t lowest = INT32_MIN;
  for (const LiveEnemy& e : s.Enemies) {
    if (e.Object.Hits <= 0 || e.Object.Y >= ship.Y || e.Object.Y < s.ScrollY - 32) continue;
    if (e.Object.Y > lowest) {
      lowest = e.Object.Y;
      targetX = e.Object.X;
    }
  }
  // The ship keeps to the lower part of the screen.
  const int32_t homeY = s.ScrollY + s.Measures.ScreenH - 2 * s.Measures.SpriteH;
  double best = 1e18;
  int32_t bestDx = 0;
  int32_t bestDy = 0;
  for (int32_t dy = -1; dy <= 1; ++dy) {
    for (int32_t dx = -1; dx <= 1; ++dx) {
      const double score = Danger(s, ship, dx, dy) * 1000 + std::abs(ship.X + dx - targetX) +
                           std::abs(ship.Y + dy - homeY);
      if (score < best) {
        best = score;
        bestDx = dx;
        bestDy = dy;
      }
    }
  }
  Send(SDL_SCANCODE_RIGHT, bestDx > 0);
  Send(SDL_SCANCODE_LEFT, bestDx < 0);
  Send(SDL_SCANCODE_DOWN, bestDy > 0);
  Send(SDL_SCANCODE_UP, bestDy < 0);
  Send(SDL_SCANCODE_RCTRL, frame.NumberInPart % 2 == 0);
}

void RunDemo(const std::string& seed) {
  const std::string folder = testenv::MakeDir("demo");
  std::filesystem::copy_file(testenv::BinDir() + "/../demo/game.ZORAX", folder + "/game.ZORAX");
  std::filesystem::copy_file(testenv::BinDir() + "/../demo/ingamefont.bmp",
                             folder + "/ingamefont.bmp");
  setenv("OMBREL_RANDOM_SEED", seed.c_str(), 1);
  testgame::RunPlayerIn(folder, Pilot, testgame::kNoWaitFrameRate);
}

// The game has little chance in it (only an enemy that finds no ship to aim
// at waits a random while), and this run does not depend on the seed.
TEST(DemoLevelOne, AShipThatDodgesGetsThrough) {
  ASSERT_TRUE(testenv::FileExists(testenv::BinDir() + "/../demo/game.ZORAX"));
  std::filesystem::remove(RecordPath());
  EXPECT_PROGRAM_END(RunDemo("7"));
  std::istringstream in(testenv::ReadFile(RecordPath()));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_FALSE(lines.empty());
  // What the ship had around it the frame before each life lost, and then.
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  EXPECT_EQ(lines.back(), "cleared") << all;
}

}  // namespace
