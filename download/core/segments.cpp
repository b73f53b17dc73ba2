#include "download/core/segments.h"

int InitialCapacity(int count) { return (count + 9) / 10 * 10; }

int GrownCapacity(int capacity, int count) { return capacity + (count + 1) / 10 * 10; }

void SegmentTable::Create(std::int32_t fileSize, std::int32_t wanted) {
    int segments = wanted < 1 ? 1 : wanted;
    if (fileSize < kReceiveBuffer) segments = 1;
    fileSize_ = fileSize;
    count_ = segments;
    slots_.assign(static_cast<std::size_t>(InitialCapacity(segments)), Segment{});
    std::int32_t each = fileSize / segments;
    for (int i = 0; i < segments; ++i) {
        slots_[i].start = each * i;
        slots_[i].length = (i == segments - 1) ? fileSize - each * i : each;
    }
    slots_[0].inUse = 1;
}

std::optional<int> SegmentTable::TakeFree() {
    for (int i = 0; i < count_; ++i) {
        if (!slots_[i].inUse && slots_[i].written < slots_[i].length) {
            slots_[i].inUse = 1;
            return i;
        }
    }
    return std::nullopt;
}

std::optional<int> SegmentTable::SplitLargest() {
    int best = -1;
    for (int i = 0; i < count_; ++i)
        if (best < 0 || slots_[i].left() > slots_[best].left()) best = i;
    if (best < 0 || slots_[best].left() < kSmallestSplit) return std::nullopt;
    if (count_ == capacity()) slots_.resize(static_cast<std::size_t>(GrownCapacity(capacity(), count_)));
    Segment& old = slots_[best];
    std::int32_t left = old.left();
    std::int32_t upper = left / 2;
    old.length = old.written + left - upper;
    old.split = 1;
    Segment& added = slots_[count_];
    added = Segment{};
    added.start = old.start + old.length;
    added.length = upper;
    added.inUse = 1;
    return count_++;
}

void SegmentTable::Release(int index) {
    Segment& s = slots_[index];
    s.inUse = 0;
    s.threadId = 0;
    s.connection = 0;
}

std::int64_t SegmentTable::WrittenTotal() const {
    std::int64_t total = 0;
    for (int i = 0; i < count_; ++i) total += slots_[i].written;
    return total;
}

bool SegmentTable::AllComplete() const {
    if (count_ == 0) return false;
    for (int i = 0; i < count_; ++i)
        if (!slots_[i].complete()) return false;
    return true;
}
