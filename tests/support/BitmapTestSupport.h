#pragma once

// Helpers of the bitmap tests: tiny bitmaps written and read as rows of pixel values, printed in
// hexadecimal when an assertion fails.

#include "ui/uDBitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using TPixelRows = std::vector<std::vector<TPixel>>;

// Sizes Bitmap to the rows and writes them in (every row as long as the first).
inline void SetPixels(TDBitmap& Bitmap, const TPixelRows& Rows) {
  const auto height = static_cast<std::int32_t>(Rows.size());
  const auto width = height ? static_cast<std::int32_t>(Rows[0].size()) : 0;
  Bitmap.SetSize(width, height, clNone);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x)
      *Bitmap.PixelAddress(x, y) = Rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
}

inline TPixelRows Pixels(const TDBitmap& Bitmap) {
  TPixelRows rows(static_cast<std::size_t>(Bitmap.Height()));
  for (std::int32_t y = 0; y < Bitmap.Height(); ++y)
    for (std::int32_t x = 0; x < Bitmap.Width(); ++x)
      rows[static_cast<std::size_t>(y)].push_back(Bitmap.GetPixel(x, y));
  return rows;
}

// Every pixel of a Width x Height bitmap the same value.
inline TPixelRows Uniform(int Width, int Height, TPixel Value) {
  return TPixelRows(static_cast<std::size_t>(Height),
                    std::vector<TPixel>(static_cast<std::size_t>(Width), Value));
}

// Random pixel values with the fourth byte 0, from a fixed seed.
inline TPixelRows RandomPixels(int Width, int Height, unsigned Seed) {
  std::mt19937 random(Seed);
  TPixelRows rows = Uniform(Width, Height, 0);
  for (auto& row : rows)
    for (TPixel& pixel : row)
      pixel = random() & 0x00FFFFFF;
  return rows;
}

inline std::string Show(const TPixelRows& Rows) {
  std::ostringstream out;
  out << std::hex << std::setfill('0');
  for (const auto& row : Rows) {
    for (TPixel pixel : row)
      out << std::setw(8) << pixel << ' ';
    out << '\n';
  }
  return out.str();
}

// The pixels of Bitmap are Expected.
inline testing::AssertionResult SamePixels(const TDBitmap& Bitmap, const TPixelRows& Expected) {
  const TPixelRows actual = Pixels(Bitmap);
  if (actual == Expected)
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << "got\n" << Show(actual) << "expected\n" << Show(Expected);
}

#define EXPECT_PIXELS(bitmap, ...) EXPECT_TRUE(SamePixels(bitmap, __VA_ARGS__))
