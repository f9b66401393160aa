#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace quarvel {

/**
 * The system registry, as far as the About box reads it: open a key, read one value's
 * type and bytes, close the key. Windows has the real one; elsewhere a stand-in answers
 * the few values the program asks for.
 */
class Registry {
public:
    using Key = std::uint64_t;
    static constexpr Key kLocalMachine = 0x80000002;
    static constexpr std::uint32_t kTypeString = 1; ///< REG_SZ
    static constexpr std::uint32_t kTypeDword = 4;  ///< REG_DWORD

    virtual ~Registry() = default;

    /** Opens path under root with the access mask; false when it cannot. */
    virtual bool openKey(Key root, const QString& path, std::uint32_t access, Key& opened) = 0;

    /**
     * Reads a value into a buffer of capacity bytes: its type and the bytes stored (as
     * many as the value holds, at most capacity). False when it cannot.
     */
    virtual bool queryValue(Key key, const QString& name, std::uint32_t& type, QByteArray& data,
                            int capacity) = 0;

    virtual void closeKey(Key key) = 0;
};

/** Queues key presses to the window that has the keyboard focus, without waiting. */
class KeySender {
public:
    virtual ~KeySender() = default;
    /** Keys in the key-sending notation: "{F1}" is the F1 key, other characters themselves. */
    virtual void send(const QString& keys) = 0;
};

} // namespace quarvel
