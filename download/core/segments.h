#pragma once
// The byte ranges of the file and which connection works on each. Not
// thread-safe by itself: the task guards it with its segment lock.
#include <cstdint>
#include <optional>
#include <vector>

inline constexpr std::int32_t kReceiveBuffer = 20480;
inline constexpr std::int32_t kSmallestSplit = 2 * kReceiveBuffer;

struct Segment {
    std::int32_t inUse = 0;
    std::int32_t split = 0;
    std::int32_t threadId = 0;
    std::int32_t start = 0;
    std::int32_t length = 0;
    std::int32_t written = 0;
    std::int32_t connection = 0;  // id of the connection working on it, 0 none

    std::int32_t left() const { return length - written; }
    std::int32_t end() const { return start + length; }
    bool complete() const { return written >= length; }
};

class SegmentTable {
public:
    // One segment for files under 20480 bytes, else `wanted` (at least 1);
    // the last one also takes the remainder. Segment 0 is marked in use.
    void Create(std::int32_t fileSize, std::int32_t wanted);

    // The first segment that is free and incomplete, marked in use.
    std::optional<int> TakeFree();
    // Splits the segment with the most bytes left (lowest index on a tie) when
    // at least 40960 are left: the new segment takes the upper half and is
    // marked in use. Grows the table when it is full.
    std::optional<int> SplitLargest();
    void Release(int index);

    int count() const { return count_; }
    int capacity() const { return static_cast<int>(slots_.size()); }
    std::int32_t fileSize() const { return fileSize_; }
    Segment& operator[](int index) { return slots_[static_cast<std::size_t>(index)]; }
    const Segment& operator[](int index) const { return slots_[static_cast<std::size_t>(index)]; }
    std::int64_t WrittenTotal() const;
    bool AllComplete() const;

private:
    int count_ = 0;
    std::int32_t fileSize_ = 0;
    std::vector<Segment> slots_;
};

// Capacity rules: the smallest multiple of 10 not below the count; a full
// table grows by (count + 1) with its last decimal digit set to 0.
int InitialCapacity(int count);
int GrownCapacity(int capacity, int count);
