#include "LayerColumn.h"

#include <charconv>
#include <cmath>

namespace quarvel {

void LayerColumn::reserve(std::size_t cells) {
    missing_.reserve(cells);
    switch (kind_) {
    case Kind::Real:
        reals_.reserve(cells);
        break;
    case Kind::Integer:
        integers_.reserve(cells);
        break;
    case Kind::Text:
        ends_.reserve(cells);
        break;
    }
}

void LayerColumn::appendMissing() {
    missing_.push_back(true);
    switch (kind_) {
    case Kind::Real:
        reals_.push_back(0);
        break;
    case Kind::Integer:
        integers_.push_back(0);
        break;
    case Kind::Text:
        ends_.push_back(bytes_.size());
        break;
    }
}

void LayerColumn::appendReal(double value) {
    missing_.push_back(false);
    reals_.push_back(value);
}

void LayerColumn::appendInteger(std::int64_t value) {
    missing_.push_back(false);
    integers_.push_back(value);
}

void LayerColumn::appendText(std::string_view text) {
    missing_.push_back(false);
    bytes_.append(text);
    ends_.push_back(bytes_.size());
}

std::string_view LayerColumn::view(std::size_t cell, std::string& scratch) const {
    if (missing_[cell]) {
        return {};
    }
    if (kind_ == Kind::Text) {
        const std::size_t begin = cell == 0 ? 0 : ends_[cell - 1];
        return std::string_view(bytes_).substr(begin, ends_[cell] - begin);
    }
    // The shortest digits that read back to the same double: the join file reads its values
    // from this text, so it must give the very number the analysis took.
    char buffer[32];
    const std::to_chars_result end =
        kind_ == Kind::Real ? std::to_chars(buffer, buffer + sizeof buffer, reals_[cell])
                            : std::to_chars(buffer, buffer + sizeof buffer, integers_[cell]);
    scratch.assign(buffer, end.ptr);
    return scratch;
}

std::optional<double> LayerColumn::number(std::size_t cell) const {
    if (missing_[cell]) {
        return std::nullopt;
    }
    if (kind_ == Kind::Real && std::isfinite(reals_[cell])) {
        return reals_[cell];
    }
    if (kind_ == Kind::Integer && !tooLarge(cell)) {
        return static_cast<double>(integers_[cell]);
    }
    return std::nullopt;
}

bool LayerColumn::tooLarge(std::size_t cell) const {
    if (kind_ != Kind::Integer || missing_[cell]) {
        return false;
    }
    const std::int64_t value = integers_[cell];
    return value > kExactIntegers || value < -kExactIntegers;
}

} // namespace quarvel
