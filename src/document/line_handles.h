// Integer names of the line records of one document, as scripts hold them.
//
// A handle is a 32-bit number given out once and never again while the program runs (the
// counter is shared by every document), so a handle kept across a change names the same line or
// nothing: the document's record list tells the table when a record leaves it (unlinked into the
// deleted-line stack or the undo history, freed, or every line replaced by a load), and the
// handle of that record is forgotten at once. A record that moves to a bigger cell keeps its
// handle. A handle of another document, or one never given out, is simply not in the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "document/line_record.h"

namespace norv::document {

class LineHandles {
  public:
    // The handle of a linked record of the document (given out on first use); 0 for null.
    uint32_t HandleOf(const LineRecord* record);
    // The record a handle names, or null when it names no line of the document now.
    LineRecord* Find(uint32_t handle) const;

    // The record list's notices.
    void Forget(const LineRecord* record);
    void Moved(const LineRecord* from, LineRecord* to);
    void Clear();

    size_t size() const { return byHandle_.size(); }
    // Room for the handles of `lines` lines, made before the first is given out (a script that
    // walks the document names every line; the table then never grows on the way).
    void Reserve(size_t lines);

  private:
    // An open-addressed table from non-zero keys to non-zero values (linear probing, removal
    // by shifting the entries behind back): a script that walks a long document names a
    // million lines, and a table of nodes spent most of that walk allocating them.
    class Map {
      public:
        // The value stored under `key`, or 0.
        uint64_t Get(uint64_t key) const;
        // Stores (or replaces) the value under `key`.
        void Set(uint64_t key, uint64_t value);
        // The value under `key` (non-zero), made 0 when the key is new: the caller sets it
        // non-zero at once, before any other call.
        uint64_t& Slot(uint64_t key);
        // Removes `key`; false when it was not there.
        bool Erase(uint64_t key);
        void Clear();
        size_t size() const { return size_; }
        // Makes room for `n` keys without growing, while the table is empty. The slots are
        // zeroed memory from the system, so room not used costs no more than its addresses.
        void Reserve(size_t n);

      private:
        struct Entry {
            uint64_t key;
            uint64_t value;
        };
        // The slots: zero-filled by calloc.
        struct Slots {
            struct Free {
                void operator()(Entry* p) const { std::free(p); }
            };
            std::unique_ptr<Entry[], Free> entries;
            size_t count = 0;
            explicit Slots(size_t n = 0);
            Entry& operator[](size_t i) const { return entries[i]; }
            size_t size() const { return count; }
            bool empty() const { return count == 0; }
        };
        size_t Home(uint64_t key) const;
        size_t IndexOf(uint64_t key) const;  // the key's slot, or slots_.size()
        void Grow();
        Slots slots_;
        size_t size_ = 0;
        int shift_ = 64;
    };

    // Handles are given out counting up, so the handles of one document lie close together:
    // handle -> record is a table in pages of 4096 entries, a page made when a handle in it is
    // given out and freed when its last handle is forgotten.
    class Pages {
      public:
        LineRecord* Get(uint32_t handle) const;
        void Set(uint32_t handle, LineRecord* record);
        void Erase(uint32_t handle);
        void Clear();
        size_t size() const { return size_; }

      private:
        static constexpr int kPageBits = 12;
        struct Page {
            LineRecord* records[size_t{1} << kPageBits] = {};
            size_t used = 0;
        };
        std::vector<std::unique_ptr<Page>> pages_;
        size_t size_ = 0;
    };

    Pages byHandle_;  // handle -> record
    Map byRecord_;    // record -> handle
};

}  // namespace norv::document
