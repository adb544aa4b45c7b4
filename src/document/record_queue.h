// A queue of records kept in blocks of N: appended and removed at the back, dropped at the
// front, reached by index.
//
// The undo history appends one record per edit and drops its oldest ones; std::deque does the
// same with blocks of a few hundred bytes, which for records of several dozen bytes means a
// block allocation every few edits. Here a block holds N records, one emptied block is kept
// for the next one needed (so that an edit undone and redone at a block's edge does not
// allocate each time), and the table of blocks is a vector whose front is compacted only when
// half of it is unused.
#pragma once

#include <cassert>
#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace norv::document {

template <typename T, size_t N>
class RecordQueue {
    static_assert(N > 0 && (N & (N - 1)) == 0, "the block size is a power of two");

  public:
    RecordQueue() = default;
    RecordQueue(const RecordQueue&) = delete;
    RecordQueue& operator=(const RecordQueue&) = delete;
    ~RecordQueue() {
        clear();
        ReleaseSpare();
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T& operator[](size_t i) {
        assert(i < size_ && "the index lies within the queue");
        return *Slot(head_ + i);
    }
    const T& operator[](size_t i) const {
        assert(i < size_ && "the index lies within the queue");
        return *Slot(head_ + i);
    }
    T& front() { return (*this)[0]; }
    const T& front() const { return (*this)[0]; }
    T& back() { return (*this)[size_ - 1]; }
    const T& back() const { return (*this)[size_ - 1]; }

    void push_back(T&& value) {
        const size_t end = head_ + size_;
        if (end == Capacity()) AddBlock();
        new (Slot(end)) T(std::move(value));
        ++size_;
    }

    void pop_back() {
        assert(size_ > 0 && "pop_back on an empty queue");
        const size_t last = head_ + size_ - 1;
        Slot(last)->~T();
        --size_;
        // The last block emptied: it becomes the spare.
        if (last % N == 0 && (blocks_.size() - first_) > 1) RetireBlock(blocks_.size() - 1);
        if (size_ == 0) Reset();
    }

    void pop_front() {
        assert(size_ > 0 && "pop_front on an empty queue");
        Slot(head_)->~T();
        ++head_;
        --size_;
        if (size_ == 0) {
            Reset();
            return;
        }
        if (head_ == N) {
            RetireBlock(first_);
            ++first_;
            head_ = 0;
            if (first_ >= 16 && first_ * 2 >= blocks_.size()) {
                blocks_.erase(blocks_.begin(), blocks_.begin() + static_cast<ptrdiff_t>(first_));
                first_ = 0;
            }
        }
    }

    void clear() {
        while (size_ > 0) {
            Slot(head_ + size_ - 1)->~T();
            --size_;
        }
        for (size_t b = first_; b < blocks_.size(); ++b)
            if (blocks_[b]) RetireBlock(b);
        blocks_.clear();
        first_ = 0;
        head_ = 0;
    }

  private:
    struct Block {
        alignas(T) unsigned char bytes[sizeof(T) * N];
    };

    size_t Capacity() const { return (blocks_.size() - first_) * N; }
    T* Slot(size_t i) const {
        return std::launder(reinterpret_cast<T*>(blocks_[first_ + i / N]->bytes) + i % N);
    }

    void AddBlock() {
        Block* b = spare_ ? spare_ : new Block;
        spare_ = nullptr;
        blocks_.push_back(b);
    }
    // An emptied block: kept as the spare, or freed when there is one.
    void RetireBlock(size_t b) {
        if (spare_)
            delete blocks_[b];
        else
            spare_ = blocks_[b];
        blocks_[b] = nullptr;
        if (b + 1 == blocks_.size() && b >= first_) blocks_.pop_back();
    }
    // Empty: the blocks left go, one stays as the spare.
    void Reset() {
        for (size_t b = first_; b < blocks_.size(); ++b)
            if (blocks_[b]) RetireBlock(b);
        blocks_.clear();
        first_ = 0;
        head_ = 0;
    }
    void ReleaseSpare() {
        delete spare_;
        spare_ = nullptr;
    }

    std::vector<Block*> blocks_;  // blocks_[first_] holds the first record
    size_t first_ = 0;
    size_t head_ = 0;  // index of the first record in blocks_[first_]
    size_t size_ = 0;
    Block* spare_ = nullptr;
};

}  // namespace norv::document
