#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarvel {

/**
 * The cells of one field of a layer, for a run of records, kept compactly: doubles for a Real
 * field, whole numbers for an Integer field, and for every other field the shown texts (UTF-8)
 * in one buffer with the end of each. A missing (NULL or unset) cell is empty and holds no
 * number. Plain C++: the GDAL layer reader fills it, the table reads it.
 */
class LayerColumn {
public:
    enum class Kind { Real, Integer, Text };

    /** The largest magnitude up to which every whole number is a double: 2^53. */
    static constexpr std::int64_t kExactIntegers = std::int64_t(1) << 53;

    explicit LayerColumn(Kind kind = Kind::Text) : kind_(kind) {}

    Kind kind() const { return kind_; }
    std::size_t size() const { return missing_.size(); }
    void reserve(std::size_t cells);

    void appendMissing();
    void appendReal(double value);
    void appendInteger(std::int64_t value);
    void appendText(std::string_view text);

    bool missing(std::size_t cell) const { return missing_[cell]; }
    /**
     * The cell as the grid shows it: a Real as the shortest text that reads back to the same
     * double, a whole number in full, a text as stored; empty when missing. Numbers are laid
     * out in scratch; texts are not copied.
     */
    std::string_view view(std::size_t cell, std::string& scratch) const;
    /**
     * The number the cell holds, exactly: a finite Real's double, a whole number of at most
     * 2^53 in magnitude. Nothing for a text, a missing cell or a number no double holds.
     */
    std::optional<double> number(std::size_t cell) const;
    /** A whole number beyond 2^53 in magnitude, which no double holds exactly. */
    bool tooLarge(std::size_t cell) const;

private:
    Kind kind_;
    std::vector<bool> missing_;
    std::vector<double> reals_;
    std::vector<std::int64_t> integers_;
    std::string bytes_;
    std::vector<std::size_t> ends_; ///< where each text ends in bytes_
};

} // namespace quarvel
