// A block of machine code mapped executable (and no longer writable) for the
// life of the object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace ondrix::parser {

class ExecutableMemory
{
  public:
    // Null when the system refuses executable memory (some hardened kernels
    // do); callers then keep to their portable path.
    static std::unique_ptr<ExecutableMemory> Load(std::span<const std::uint8_t> code);
    ~ExecutableMemory();
    ExecutableMemory(const ExecutableMemory&) = delete;
    ExecutableMemory& operator=(const ExecutableMemory&) = delete;

    const void* Start() const noexcept { return start_; }

  private:
    ExecutableMemory(void* start, std::size_t size) noexcept : start_(start), size_(size) {}

    void* start_;
    std::size_t size_;
};

} // namespace ondrix::parser
