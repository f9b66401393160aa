#include "TableBytes.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <new>
#include <system_error>
#include <thread>

#if defined(__linux__)
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>
#define QUARVEL_TABLE_BYTES_PAGES 1
#endif

// Under AddressSanitizer the bytes past the table's end, up to the end of its last page, are
// marked unreadable, so that a read past the table is reported as it was on the heap.
#if defined(__has_include)
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

namespace quarvel {
namespace {

#ifdef QUARVEL_TABLE_BYTES_PAGES

std::size_t pageSize() {
    static const auto size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

std::size_t wholePages(std::size_t bytes) {
    return (bytes + pageSize() - 1) / pageSize() * pageSize();
}

// The mapped tables, where the SIGBUS handler can look them up without a lock. A slot is
// claimed through taken; its start is set last and cleared first, so that the handler never
// sees a range that is half written.
struct GuardedRange {
    std::atomic<bool> taken{false};
    std::atomic<std::uintptr_t> start{0};
    std::atomic<std::uintptr_t> end{0};
};
static_assert(std::atomic<std::uintptr_t>::is_always_lock_free, "read inside a signal handler");
constexpr int kGuardedRanges = 256;
GuardedRange guardedRanges[kGuardedRanges];
struct sigaction previousBusAction;

// A read of a mapped table's page past the end of its file (cut short by another program
// since it was mapped) or that the disk cannot give: the pages from there to the end of the
// mapping are replaced by zeros, and the read is tried again. Any other SIGBUS goes on to
// whoever handled it before.
void onBusError(int number, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (GuardedRange& range : guardedRanges) {
        const std::uintptr_t start = range.start.load(std::memory_order_acquire);
        const std::uintptr_t end = range.end.load(std::memory_order_acquire);
        if (start != 0 && address >= start && address < end) {
            const std::uintptr_t page = address / pageSize() * pageSize();
            void* zeros = mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                               MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
            if (zeros != MAP_FAILED) {
                return;
            }
        }
    }
    if ((previousBusAction.sa_flags & SA_SIGINFO) != 0) {
        previousBusAction.sa_sigaction(number, info, context);
    } else if (previousBusAction.sa_handler != SIG_DFL && previousBusAction.sa_handler != SIG_IGN) {
        previousBusAction.sa_handler(number);
    } else {
        // The read is tried again, faults again and ends the program as it would have.
        signal(SIGBUS, SIG_DFL);
    }
}

bool installBusHandler() {
    static const bool installed = [] {
        (void)pageSize(); // known before the handler asks
        struct sigaction action = {};
        action.sa_sigaction = onBusError;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_SIGINFO;
        return sigaction(SIGBUS, &action, &previousBusAction) == 0;
    }();
    return installed;
}

int guardRange(const char* data, std::size_t size) {
    for (int slot = 0; slot < kGuardedRanges; ++slot) {
        GuardedRange& range = guardedRanges[slot];
        bool taken = false;
        if (range.taken.compare_exchange_strong(taken, true)) {
            range.end.store(reinterpret_cast<std::uintptr_t>(data) + size,
                            std::memory_order_release);
            range.start.store(reinterpret_cast<std::uintptr_t>(data), std::memory_order_release);
            return slot;
        }
    }
    return -1;
}

void unguardRange(int slot) {
    GuardedRange& range = guardedRanges[slot];
    range.start.store(0, std::memory_order_release);
    range.end.store(0, std::memory_order_release);
    range.taken.store(false);
}

#endif

} // namespace

TableBytes::~TableBytes() {
    release();
}

bool TableBytes::map(int fd, std::size_t size) {
    release();
#ifdef QUARVEL_TABLE_BYTES_PAGES
    if (size == 0 || !installBusHandler()) {
        return false;
    }
    const std::size_t reserved = wholePages(size);
    void* pages = mmap(nullptr, reserved, PROT_READ, MAP_PRIVATE, fd, 0);
    if (pages == MAP_FAILED) {
        return false;
    }
    // Every table is guarded before its first byte is read; with all guards in use, the
    // caller reads the file instead.
    guardSlot_ = guardRange(static_cast<const char*>(pages), reserved);
    if (guardSlot_ < 0) {
        munmap(pages, reserved);
        return false;
    }
    data_ = static_cast<char*>(pages);
    size_ = size;
    reserved_ = reserved;
    mapped_ = true;
    ASAN_POISON_MEMORY_REGION(data_ + size_, reserved_ - size_);
    return true;
#else
    (void)fd;
    (void)size;
    return false;
#endif
}

bool TableBytes::allocate(std::size_t size) {
    release();
    if (size == 0) {
        return true;
    }
#ifdef QUARVEL_TABLE_BYTES_PAGES
    // Small pages: huge ones were faster to fill only from memory the process had just given
    // back; taken fresh (in a virtual machine, memory the host had taken back) they were
    // several times slower.
    const std::size_t reserved = wholePages(size);
    void* pages =
        mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) {
        return false;
    }
    data_ = static_cast<char*>(pages);
    reserved_ = reserved;
#else
    data_ = new (std::nothrow) char[size];
    if (data_ == nullptr) {
        return false;
    }
    reserved_ = size;
#endif
    size_ = size;
    ASAN_POISON_MEMORY_REGION(data_ + size_, reserved_ - size_);
    return true;
}

void TableBytes::prepare(std::size_t offset, std::size_t length) {
#if defined(QUARVEL_TABLE_BYTES_PAGES) && defined(MADV_POPULATE_WRITE)
    if (mapped_ || offset >= size_ || length == 0) {
        return;
    }
    const std::size_t end = offset + std::min(length, size_ - offset);
    const std::size_t start = offset / pageSize() * pageSize();
    // Kernels before 5.14 refuse the advice; the read's own faults then do the same work.
    madvise(data_ + start, end - start, MADV_POPULATE_WRITE);
#else
    (void)offset;
    (void)length;
#endif
}

void TableBytes::shrink(std::size_t size) {
    if (size >= size_) {
        return;
    }
#ifdef QUARVEL_TABLE_BYTES_PAGES
    // Whole pages of memory of its own past the new end go back to the system.
    const std::size_t keep = wholePages(size);
    if (!mapped_ && keep < reserved_) {
        ASAN_UNPOISON_MEMORY_REGION(data_ + keep, reserved_ - keep);
        munmap(data_ + keep, reserved_ - keep);
        reserved_ = keep;
        if (keep == 0) {
            data_ = nullptr;
        }
    }
#endif
    size_ = size;
    ASAN_POISON_MEMORY_REGION(data_ + size_, reserved_ - size_);
}

void TableBytes::releaseAside() {
#ifdef QUARVEL_TABLE_BYTES_PAGES
    constexpr std::size_t kWorthAThread = std::size_t(1) << 26;
    if (data_ != nullptr && reserved_ >= kWorthAThread) {
        // No longer guarded before it is unmapped: the handler must never take pages that
        // the system may since have given to another mapping.
        if (guardSlot_ >= 0) {
            unguardRange(guardSlot_);
            guardSlot_ = -1;
        }
        ASAN_UNPOISON_MEMORY_REGION(data_, reserved_);
        try {
            std::thread([pages = data_, reserved = reserved_] {
                munmap(pages, reserved);
            }).detach();
            data_ = nullptr;
        } catch (const std::system_error&) {
            // No thread to be had: given back here, below.
        }
    }
#endif
    release();
}

void TableBytes::release() {
    if (data_ != nullptr) {
        // Memory given back must be readable for whoever is given it next.
        ASAN_UNPOISON_MEMORY_REGION(data_, reserved_);
#ifdef QUARVEL_TABLE_BYTES_PAGES
        if (guardSlot_ >= 0) {
            unguardRange(guardSlot_);
        }
        munmap(data_, reserved_);
#else
        delete[] data_;
#endif
    }
    data_ = nullptr;
    size_ = 0;
    reserved_ = 0;
    mapped_ = false;
    guardSlot_ = -1;
}

} // namespace quarvel
