#include "LayerGeometry.h"

#include <numeric>
#include <stdexcept>

namespace quarvel {
namespace {

std::uint32_t offset(std::size_t value) {
    if (value >= std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("The layer holds more points than this program can draw.");
    }
    return static_cast<std::uint32_t>(value);
}

} // namespace

void LayerGeometry::reserveFeatures(std::size_t count) {
    featureStart_.reserve(count + 1);
}

void LayerGeometry::beginFeature(ShapeKind kind) {
    newPart_ = true;
    if (featureStart_.empty()) {
        featureStart_.push_back(0);
    }
    // The feature's end, kept up to date as its parts arrive.
    featureStart_.push_back(parts_);
    const std::size_t feature = featureStart_.size() - 2;
    if (kind != ShapeKind::None && kind_ == ShapeKind::None) {
        kind_ = kind;
    }
    if (kinds_.empty() && kind != ShapeKind::None && kind != kind_) {
        // The first feature of another kind: from here on every feature keeps its own.
        kinds_.assign(feature, kind_);
    }
    if (!kinds_.empty()) {
        kinds_.push_back(kind);
    }
}

void LayerGeometry::addPoint(double x, double y) {
    if (featureStart_.empty()) {
        beginFeature(ShapeKind::Point);
    }
    if (newPart_) {
        newPart_ = false;
        parts_ = offset(static_cast<std::size_t>(parts_) + 1);
        featureStart_.back() = parts_;
        if (!partStart_.empty()) {
            partStart_.push_back(partStart_.back());
        }
    } else if (partStart_.empty()) {
        // The first part of more than one point: until now part p was point p.
        partStart_.resize(parts_ + std::size_t{1});
        std::iota(partStart_.begin(), partStart_.end(), std::uint32_t{0});
    }
    xy_.push_back(x);
    xy_.push_back(y);
    if (!partStart_.empty()) {
        partStart_.back() = offset(pointCount());
    }
    extent_.add(x, y);
}

void LayerGeometry::finish() {
    if (featureStart_.empty()) {
        featureStart_.push_back(0);
    }
    xy_.shrink_to_fit();
    partStart_.shrink_to_fit();
    featureStart_.shrink_to_fit();
    kinds_.shrink_to_fit();
}

std::size_t LayerGeometry::bytes() const {
    return xy_.capacity() * sizeof(double) + partStart_.capacity() * sizeof(std::uint32_t) +
           featureStart_.capacity() * sizeof(std::uint32_t) + kinds_.capacity() + sizeof(*this);
}

} // namespace quarvel
