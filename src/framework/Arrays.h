#pragma once
// The library's arrays. Items are numbered from 1; storage grows to exactly the highest index
// asked for (no growth step); a read with a bad index yields the default item. Slot 0 is a
// spare slot that add and insert never use. The largest index is 32 767: adding or inserting
// beyond it is refused and changes nothing.
//
// An array owns its storage, so it cannot be copied.

#include "framework/CObject.h"
#include "framework/CString.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Untyped storage work shared by every array: slots of `size` bytes, a null default meaning
// zero bytes.
namespace array_storage {

constexpr short largest_index = 32767;

// Storage for slots 0 to n, or null when it cannot be allocated: slots 0 to keep are copied
// from old (keep -1 copies nothing), the others hold def.
void* allocate(const void* old, size_t size, short keep, short n, const void* def);
// Writes def into slots from to to.
void fill(void* ptr, size_t size, int from, int to, const void* def);
// Moves slots from to to one place up (by 1) or down (by -1).
void shift(void* ptr, size_t size, int from, int to, int by);

}  // namespace array_storage

// What the arrays of one item type T (an integer, a float or a pointer slot) have in common.
template <typename T>
class CArrayOf : public CObject {
public:
    CArrayOf() = default;
    CArrayOf(const CArrayOf&) = delete;
    CArrayOf& operator=(const CArrayOf&) = delete;
    ~CArrayOf() override
    {
        free(ptr);
        ptr = nullptr;
    }

    // Makes room for slots 0 to n; new slots hold the default. Returns 0.
    short resize(short n)
    {
        reserve(n);
        return 0;
    }

    void add(T v)
    {
        if (tot_item < array_storage::largest_index) set(v, static_cast<short>(tot_item + 1));
    }

    // Writes v at i, raising the count to i when it was lower (the items in between hold the
    // default). A negative i does nothing.
    void set(T v, short i)
    {
        if (i < 0 || !reserve(i)) return;
        if (i > tot_item) {
            array_storage::fill(ptr, sizeof(T), tot_item + 1, i - 1, &def_item);
            tot_item = i;
        }
        ptr[i] = v;
    }

    // Inserts v before item i; i above the count appends, a negative i does nothing.
    void insert(T v, short i)
    {
        if (i < 0) return;
        if (i > tot_item) {
            add(v);
            return;
        }
        if (tot_item >= array_storage::largest_index || !reserve(static_cast<short>(tot_item + 1))) return;
        array_storage::shift(ptr, sizeof(T), i, tot_item, 1);
        ptr[i] = v;
        ++tot_item;
    }

    // The item at 0 to total(), else the default.
    T get(short i) const { return ptr && i >= 0 && i <= tot_item ? ptr[i] : def_item; }

    // Takes out the item at 0 to total() and moves the later ones down; a bad index (or an
    // empty array) changes nothing and yields 0, not the default.
    T remove(short i)
    {
        if (!ptr || i < 0 || i > tot_item || tot_item == 0) return T{};
        T v = ptr[i];
        array_storage::shift(ptr, sizeof(T), i + 1, tot_item, -1);
        --tot_item;
        return v;
    }

    short total() const { return tot_item; }

    // Empties the array and resets the default to 0; the storage stays allocated.
    void clear()
    {
        tot_item = 0;
        def_item = T{};
    }

    short max_item = 0;  // highest slot the storage holds
    short tot_item = 0;  // number of items, in slots 1 to tot_item
    T def_item{};        // read for bad indices and written into new slots
    T* ptr = nullptr;    // the storage, slots 0 to max_item

private:
    bool reserve(short n)
    {
        if (n < 0) return false;
        if (ptr && n <= max_item) return true;
        void* fresh = array_storage::allocate(ptr, sizeof(T), ptr ? tot_item : -1, n, &def_item);
        if (!fresh) return false;
        free(ptr);
        ptr = static_cast<T*>(fresh);
        max_item = n;
        return true;
    }
};

// 32-bit values or pointers (64-bit here, hence intptr_t); the items are not owned.
class CArrayPtr : public CArrayOf<intptr_t> {
public:
    CArrayPtr() { uid = 4; }
    // Removes the first item equal to v, searching from index 1; 1, or 0 when there is none.
    short remove_item(intptr_t v);
};

class CArrayInt : public CArrayOf<short> {
public:
    CArrayInt() { uid = 31; }
};

class CArrayFloat : public CArrayOf<float> {
public:
    CArrayFloat() { uid = 43; }
};

// Records of size_item bytes, copied in; new slots are zero bytes.
class CArrayElem : public CObject {
public:
    explicit CArrayElem(short size_item);
    CArrayElem(const CArrayElem&) = delete;
    CArrayElem& operator=(const CArrayElem&) = delete;
    ~CArrayElem() override;

    short resize(short n);
    // Copies size_item bytes from rec into index total() + 1.
    void add(const void* rec);
    // The record at 0 to total(), else null; valid until the array next grows.
    void* get(short i) const;
    void remove(short i);
    short total() const { return tot_item; }

    short max_item = 0;
    short tot_item = 0;
    short size_item;
    char* ptr = nullptr;

private:
    size_t record_size() const { return size_item > 0 ? static_cast<size_t>(size_item) : 0; }
    bool reserve(short n);
};

// Owned strings. Reads outside 1 to total() yield the member `empty`, never null.
class CArrayString : public CArrayPtr {
public:
    CArrayString() { uid = 32; }
    ~CArrayString() override;

    // Appends a new empty string, which the caller fills through get(total()).
    void add();
    // Inserts a new empty string before i (above the count: appended; negative: nothing).
    void insert(short i);
    CString* get(short i) const;
    // Deletes every string; the storage and the default stay.
    void clear();
    // Empties the array, then appends one string per line of string list `id` of the resource
    // file "dir\file" (see CResFile.h); 1, or 0 with the array empty when the list cannot be
    // read. An empty piece after the last line end is not appended.
    short load_strings(const char* dir, const char* file, short id);

    CString empty;

private:
    void delete_strings();
};
