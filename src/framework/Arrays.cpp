#include "framework/Arrays.h"

#include <algorithm>
#include <cstring>

namespace array_storage {

void* allocate(const void* old, size_t size, short keep, short n, const void* def)
{
    if (n < 0) return nullptr;
    const size_t slots = static_cast<size_t>(n) + 1;
    char* fresh = static_cast<char*>(malloc(std::max<size_t>(slots * size, 1)));
    if (!fresh) return nullptr;
    keep = std::min(keep, n);
    if (old && keep >= 0) memcpy(fresh, old, (static_cast<size_t>(keep) + 1) * size);
    fill(fresh, size, keep + 1, n, def);
    return fresh;
}

void fill(void* ptr, size_t size, int from, int to, const void* def)
{
    char* slot = static_cast<char*>(ptr);
    for (int i = std::max(from, 0); i <= to; ++i) {
        if (def) {
            memcpy(slot + i * size, def, size);
        } else {
            memset(slot + i * size, 0, size);
        }
    }
}

void shift(void* ptr, size_t size, int from, int to, int by)
{
    if (from > to) return;
    char* slot = static_cast<char*>(ptr);
    memmove(slot + (from + by) * size, slot + from * size, (static_cast<size_t>(to - from) + 1) * size);
}

}  // namespace array_storage

short CArrayPtr::remove_item(intptr_t v)
{
    for (short i = 1; i <= tot_item; ++i) {
        if (ptr[i] == v) {
            remove(i);
            return 1;
        }
    }
    return 0;
}

CArrayElem::CArrayElem(short size) : size_item(size)
{
    uid = 17;
}

CArrayElem::~CArrayElem()
{
    free(ptr);
    ptr = nullptr;
}

bool CArrayElem::reserve(short n)
{
    if (n < 0) return false;
    if (ptr && n <= max_item) return true;
    void* fresh = array_storage::allocate(ptr, record_size(), ptr ? tot_item : -1, n, nullptr);
    if (!fresh) return false;
    free(ptr);
    ptr = static_cast<char*>(fresh);
    max_item = n;
    return true;
}

short CArrayElem::resize(short n)
{
    reserve(n);
    return 0;
}

void CArrayElem::add(const void* rec)
{
    if (!rec || tot_item >= array_storage::largest_index) return;
    const short i = static_cast<short>(tot_item + 1);
    if (!reserve(i)) return;
    memcpy(ptr + i * record_size(), rec, record_size());
    tot_item = i;
}

void* CArrayElem::get(short i) const
{
    return ptr && i >= 0 && i <= tot_item ? ptr + i * record_size() : nullptr;
}

void CArrayElem::remove(short i)
{
    if (!ptr || i < 0 || i > tot_item || tot_item == 0) return;
    array_storage::shift(ptr, record_size(), i + 1, tot_item, -1);
    --tot_item;
}

CArrayString::~CArrayString()
{
    delete_strings();
}

void CArrayString::delete_strings()
{
    for (short i = 1; i <= tot_item; ++i) delete reinterpret_cast<CString*>(ptr[i]);
    tot_item = 0;
}

void CArrayString::add()
{
    if (tot_item < array_storage::largest_index) insert(static_cast<short>(tot_item + 1));
}

void CArrayString::insert(short i)
{
    if (i < 0) return;
    // Slot 0 is the spare slot, not a string: inserting there inserts before the first one.
    if (i == 0) i = 1;
    const short before = tot_item;
    CString* s = new CString;
    CArrayPtr::insert(reinterpret_cast<intptr_t>(s), i);
    if (tot_item == before) delete s;
}

CString* CArrayString::get(short i) const
{
    CString* s = i >= 1 && i <= tot_item ? reinterpret_cast<CString*>(ptr[i]) : nullptr;
    return s ? s : const_cast<CString*>(&empty);
}

void CArrayString::clear()
{
    delete_strings();
}
