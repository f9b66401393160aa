#pragma once

#include <cstddef>

namespace quarvel {

/**
 * The bytes of a table file, held one of two ways. Mapped (Linux): the file's pages are used
 * where the system already keeps them, so opening costs no copy and no fresh memory. Should
 * another program cut the file short, the pages past its new end read as zeros instead of
 * ending the program with SIGBUS; what another program writes into the file shows. Read:
 * memory of its own that the caller fills, a copy that stays as it was read.
 */
class TableBytes {
public:
    TableBytes() = default;
    TableBytes(const TableBytes&) = delete;
    TableBytes& operator=(const TableBytes&) = delete;
    ~TableBytes();

    /**
     * Maps size bytes of the open file fd, read only; false where it cannot, and while 256
     * other tables are mapped.
     */
    bool map(int fd, std::size_t size);
    /** Takes room for size bytes (their content undefined); false when the system has none. */
    bool allocate(std::size_t size);
    /**
     * Faults in the allocated pages of [offset, offset + length) before they are written:
     * faults taken inside a read() from the page cache were slower and far less steady.
     */
    void prepare(std::size_t offset, std::size_t length);
    /** Keeps only the first size bytes (a file that shrank while it was read). */
    void shrink(std::size_t size);
    /**
     * Gives the bytes back on a thread of its own when they are many: unmapping gigabytes of
     * small pages takes a tenth of a second or more, which a stopped opening need not wait for.
     */
    void releaseAside();

    bool mapped() const { return mapped_; }
    char* data() { return data_; }
    const char* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    void release();

    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t reserved_ = 0; ///< bytes taken (whole pages where mapped), at least size_
    bool mapped_ = false;
    int guardSlot_ = -1; ///< where a mapped table is known to the SIGBUS handler
};

} // namespace quarvel
