#include "platform/pixel_buffer.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer watches heap blocks only; keep pictures where it can see overruns.
constexpr bool kUseMappings = false;
#else
constexpr bool kUseMappings = true;
#endif

}  // namespace

TPixelBuffer::TPixelBuffer(std::size_t size) : size_(size) {
  if (size == 0) return;
  if (kUseMappings && size >= kHugePage / 2) {
    const std::size_t length = size + kHugePage;
    void* p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p != MAP_FAILED) {
      auto* base = static_cast<std::uint8_t*>(p);
      const auto addr = reinterpret_cast<std::uintptr_t>(base);
      std::uint8_t* aligned = base + ((kHugePage - addr % kHugePage) % kHugePage);
      madvise(aligned, (size + kHugePage - 1) / kHugePage * kHugePage, MADV_HUGEPAGE);
      data_ = aligned;
      mapped_ = length;
      mappedBase_ = base;
      return;
    }
  }
  data_ = static_cast<std::uint8_t*>(std::calloc(size, 1));
  if (!data_) throw std::bad_alloc();
}

TPixelBuffer::TPixelBuffer(const TPixelBuffer& other) : TPixelBuffer(other.size_) {
  if (size_) std::memcpy(data_, other.data_, size_);
}

TPixelBuffer::TPixelBuffer(TPixelBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)),
      mappedBase_(std::exchange(other.mappedBase_, nullptr)) {}

TPixelBuffer& TPixelBuffer::operator=(const TPixelBuffer& other) {
  if (this != &other) *this = TPixelBuffer(other);
  return *this;
}

TPixelBuffer& TPixelBuffer::operator=(TPixelBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapped_ = std::exchange(other.mapped_, 0);
    mappedBase_ = std::exchange(other.mappedBase_, nullptr);
  }
  return *this;
}

TPixelBuffer::~TPixelBuffer() { Release(); }

void TPixelBuffer::Release() noexcept {
  if (mapped_)
    munmap(mappedBase_, mapped_);
  else
    std::free(data_);
  data_ = nullptr;
  mappedBase_ = nullptr;
  size_ = mapped_ = 0;
}

bool operator==(const TPixelBuffer& a, const TPixelBuffer& b) {
  return a.size_ == b.size_ && (a.size_ == 0 || std::memcmp(a.data_, b.data_, a.size_) == 0);
}
