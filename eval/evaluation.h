// Turning a tail into price, grade and advice: the table lookup, the random
// draw, and the caption texts the window shows.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "eval/tail_table.h"
#include "platform/text/text.h"

// Program-wide seed counter of the random draw; 0 at program start.
extern int32_t SeedCounter;

// The row with the highest price whose tail occurs in `input` (double-byte
// aware find; an empty tail occurs in any non-empty input). Among equal
// prices the earliest row wins. Nothing found: an empty row with price 0.
TailRow lookupTail(const std::vector<TailRow>& table, const Text& input);

// "￥ " + price + " 米".
Text priceText(int32_t price);

// Grade of a randomly drawn price by the thresholds 2000, 5000, 10000.
Text gradeForPrice(int32_t price);

// Advice for one of the four grade words; nullopt for any other text.
std::optional<Text> adviceForGrade(const Text& grade);

// The C runtime's linear congruential generator (srand/rand).
class LinearCongruential {
 public:
  explicit LinearCongruential(uint32_t seed) : state_(seed) {}
  // Next value, 0 .. 32767.
  int32_t next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int32_t>((state_ >> 16) & 0x7FFF);
  }

 private:
  uint32_t state_;
};

// Draws a random price in 1000 .. 16888: reseeds with tick + SeedCounter,
// advances SeedCounter, and takes one value of the generator.
int32_t drawRandomPrice(uint32_t tickCount);
