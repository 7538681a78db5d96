#pragma once
// Zeroed pixel memory. Large blocks come straight from the kernel, aligned to and advised for
// huge pages: a Full HD picture is then a handful of page faults instead of thousands, which is
// most of what a short command-line render costs on a fresh process.
#include <cstddef>
#include <cstdint>

class TPixelBuffer {
 public:
  TPixelBuffer() = default;
  explicit TPixelBuffer(std::size_t size);  // zeroed; throws std::bad_alloc
  TPixelBuffer(const TPixelBuffer& other);
  TPixelBuffer(TPixelBuffer&& other) noexcept;
  TPixelBuffer& operator=(const TPixelBuffer& other);
  TPixelBuffer& operator=(TPixelBuffer&& other) noexcept;
  ~TPixelBuffer();

  std::uint8_t* data() { return data_; }
  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

  friend bool operator==(const TPixelBuffer& a, const TPixelBuffer& b);

 private:
  void Release() noexcept;

  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t mapped_ = 0;  // length of the kernel mapping, 0 for heap memory
  void* mappedBase_ = nullptr;
};
