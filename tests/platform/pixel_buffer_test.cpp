#include "platform/pixel_buffer.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// Sizes on both sides of the switch from heap blocks to huge-page mappings.
const std::size_t kSizes[] = {
    0, 1, 4099, (std::size_t{1} << 20) - 1, std::size_t{1} << 20, (std::size_t{6} << 20) + 7};

TEST(PixelBufferTest, StartsZeroedAndCopiesAreIndependent) {
  for (std::size_t size : kSizes) {
    SCOPED_TRACE(size);
    TPixelBuffer a(size);
    ASSERT_EQ(a.size(), size);
    for (std::size_t i = 0; i < size; i += 4093) EXPECT_EQ(a.data()[i], 0);
    if (size) a.data()[size - 1] = 0;
    for (std::size_t i = 0; i < size; i += 997) a.data()[i] = static_cast<std::uint8_t>(i * 7);
    TPixelBuffer b(a);
    EXPECT_TRUE(a == b);
    if (size) {
      b.data()[size - 1] ^= 0xFF;
      EXPECT_FALSE(a == b) << "a copy owns its own memory";
    }
    TPixelBuffer c;
    c = a;
    EXPECT_TRUE(c == a);
    TPixelBuffer& alias = c;
    c = alias;  // self-assignment keeps the content
    EXPECT_TRUE(c == a);
  }
}

TEST(PixelBufferTest, MovingHandsOverTheMemory) {
  for (std::size_t size : kSizes) {
    TPixelBuffer a(size);
    if (size) a.data()[size / 2] = 42;
    const std::uint8_t* memory = a.data();
    TPixelBuffer b(std::move(a));
    EXPECT_EQ(b.data(), memory);
    EXPECT_EQ(a.size(), 0u);
    TPixelBuffer c(16);
    c = std::move(b);
    EXPECT_EQ(c.size(), size);
    if (size) {
      EXPECT_EQ(c.data()[size / 2], 42);
    }
  }
}

}  // namespace
