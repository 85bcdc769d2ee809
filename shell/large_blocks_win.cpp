// The program's operator new and delete: small blocks go to the C library's heap as
// before; large ones (a ladder grid is 11 MB, a mnemonic text 29 MB) are kept when freed
// and handed out again.
//
// Why: the heap gives every large block back to the system when it is freed and maps a
// fresh one for the next request, and first touching fresh pages is slow on Windows and
// very slow under Wine (opening a design built two 6000-row grids in some 60 ms, nearly
// all of it page faults). The documents are allocated and freed whole each time a window
// opens, a file is read or a compile runs, so a few kept blocks serve them all from
// memory that is already mapped. The caller still zero-fills what it allocates (the
// vectors do), so nothing of an earlier document shows through.
//
// Every block carries a 16-byte header with the size it was allocated with, so delete
// knows a large block from a small one without a table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t HEADER = 16;
constexpr std::size_t LARGE = 1u << 20;           // from 1 MiB a block is kept when freed
constexpr std::size_t KEPT_BYTES = 160u << 20;     // at most this much is kept
constexpr int KEPT_BLOCKS = 8;

struct Kept {
  void* base = nullptr;  // the header's address
  std::size_t size = 0;  // the block's size without the header
};
// The program has one thread that allocates documents; the lock guards the rest anyway.
Kept g_kept[KEPT_BLOCKS];
std::size_t g_kept_bytes = 0;

struct SpinLock {
  static inline volatile long flag = 0;
  SpinLock() {
    while (__atomic_exchange_n(&flag, 1, __ATOMIC_ACQUIRE) != 0) {
    }
  }
  ~SpinLock() { __atomic_store_n(&flag, 0, __ATOMIC_RELEASE); }
};

// A kept block of at least `size` bytes and not more than twice that, or null.
void* take_kept(std::size_t size) {
  SpinLock lock;
  int best = -1;
  for (int i = 0; i < KEPT_BLOCKS; ++i) {
    const Kept& k = g_kept[i];
    if (k.base == nullptr || k.size < size || k.size / 2 > size) continue;
    if (best < 0 || k.size < g_kept[best].size) best = i;
  }
  if (best < 0) return nullptr;
  void* base = g_kept[best].base;
  g_kept_bytes -= g_kept[best].size;
  g_kept[best] = Kept{};
  return base;
}

// Keeps a freed large block; false when there is no room (the caller frees it).
bool keep(void* base, std::size_t size) {
  SpinLock lock;
  if (g_kept_bytes + size > KEPT_BYTES) return false;
  for (Kept& k : g_kept) {
    if (k.base != nullptr) continue;
    k = Kept{base, size};
    g_kept_bytes += size;
    return true;
  }
  return false;
}

void* allocate(std::size_t size) {
  if (size >= LARGE) {
    if (void* base = take_kept(size)) return static_cast<char*>(base) + HEADER;
  }
  if (size > SIZE_MAX - HEADER) return nullptr;
  void* base = std::malloc(size + HEADER);
  if (base == nullptr) return nullptr;
  *static_cast<std::size_t*>(base) = size;
  return static_cast<char*>(base) + HEADER;
}

void release(void* p) {
  if (p == nullptr) return;
  void* base = static_cast<char*>(p) - HEADER;
  const std::size_t size = *static_cast<std::size_t*>(base);
  if (size >= LARGE && keep(base, size)) return;
  std::free(base);
}

void* allocate_or_throw(std::size_t size) {
  for (;;) {
    if (void* p = allocate(size == 0 ? 1 : size)) return p;
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

}  // namespace

void* operator new(std::size_t size) { return allocate_or_throw(size); }
void* operator new[](std::size_t size) { return allocate_or_throw(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate_or_throw(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate_or_throw(size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
