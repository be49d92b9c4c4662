// A buffer kept for an enumeration that is made again and again (the USB queue watcher lists
// the local queues every 10 ms). The spooler's two-call form asks for the size, allocates and
// fills; with the buffer of the last time one call does while the answer still fits, and the
// size is asked only when the answer has outgrown it.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <utility>

namespace tq {

class EnumerationBuffer {
  public:
    // `call(data, size, needed, returned)` is one enumeration into the `size` bytes at `data`
    // (null and 0 before the first growth): true when it filled them and set `returned` to the
    // number of records, false with `needed` set to the bytes it wants. The call is made with
    // the buffer as it is; only when it fails wanting more than the buffer holds does the buffer
    // grow (to that size rounded up to whole kGrain bytes, room for a queue or two more) and the
    // call is made once more. The records stay at Data() until the next Fill.
    template <typename Call>
    bool Fill(Call call, std::uint32_t& returned) {
        std::uint32_t needed = 0;
        returned = 0;
        if (call(bytes_.get(), size_, needed, returned)) return true;
        returned = 0;
        if (needed <= size_ || !Grow(needed)) return false;
        needed = 0;
        if (call(bytes_.get(), size_, needed, returned)) return true;
        returned = 0;
        return false;
    }

    const unsigned char* Data() const { return bytes_.get(); }
    std::uint32_t Size() const { return size_; }

    static constexpr std::uint32_t kGrain = 4096;

  private:
    bool Grow(std::uint32_t needed) {
        if (needed > UINT32_MAX - kGrain) return false;
        const std::uint32_t size = (needed + kGrain - 1) / kGrain * kGrain;
        std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[size]());
        if (!bytes) return false;
        bytes_ = std::move(bytes);
        size_ = size;
        return true;
    }

    std::unique_ptr<unsigned char[]> bytes_;
    std::uint32_t size_ = 0;
};

}  // namespace tq
