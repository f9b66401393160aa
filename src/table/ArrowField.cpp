#include "ArrowField.h"

#include <ogr_recordbatch.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cstring>

namespace quarvel {
namespace {

// Whether the bit of element i says it is present (an Arrow validity bitmap; none: all are).
bool present(const void* bitmap, std::int64_t i) {
    return bitmap == nullptr || ((static_cast<const std::uint8_t*>(bitmap)[i >> 3] >> (i & 7)) & 1);
}

template <class T>
const T* arrowBuffer(const ArrowArray& array, int buffer) {
    return static_cast<const T*>(array.buffers[buffer]);
}

// Appends a batch of one Arrow column (elements start to start + length of the batch); false
// for a layout this reader does not know.
bool appendArrow(LayerColumn& column, const char* format, const ArrowArray& values,
                 std::int64_t start, std::int64_t length) {
    const void* validity = values.null_count != 0 ? values.buffers[0] : nullptr;
    const std::int64_t at = values.offset + start;
    const auto each = [&](auto&& appendOne) {
        for (std::int64_t i = at; i < at + length; ++i) {
            if (present(validity, i)) {
                appendOne(i);
            } else {
                column.appendMissing();
            }
        }
        return true;
    };
    switch (format[0] != '\0' && format[1] == '\0' ? format[0] : '?') {
    case 'g':
        return each([&](std::int64_t i) { column.appendReal(arrowBuffer<double>(values, 1)[i]); });
    case 'f':
        return each([&](std::int64_t i) {
            column.appendReal(static_cast<double>(arrowBuffer<float>(values, 1)[i]));
        });
    case 'l':
        return each(
            [&](std::int64_t i) { column.appendInteger(arrowBuffer<std::int64_t>(values, 1)[i]); });
    case 'i':
        return each(
            [&](std::int64_t i) { column.appendInteger(arrowBuffer<std::int32_t>(values, 1)[i]); });
    case 's':
        return each(
            [&](std::int64_t i) { column.appendInteger(arrowBuffer<std::int16_t>(values, 1)[i]); });
    case 'u':
        return each([&](std::int64_t i) {
            const std::int32_t* offsets = arrowBuffer<std::int32_t>(values, 1);
            column.appendText(
                std::string_view(arrowBuffer<char>(values, 2) + offsets[i],
                                 static_cast<std::size_t>(offsets[i + 1] - offsets[i])));
        });
    default:
        return false;
    }
}

bool arrowFormatFits(LayerColumn::Kind kind, std::string_view format) {
    switch (kind) {
    case LayerColumn::Kind::Real:
        return format == "g" || format == "f";
    case LayerColumn::Kind::Integer:
        return format == "l" || format == "i" || format == "s";
    default:
        return format == "u";
    }
}

// An Arrow stream of the layer and its schema, released when it goes.
struct ArrowRead {
    ArrowArrayStream stream{};
    ArrowSchema schema{};
    bool open = false;

    ArrowRead(OGRLayer* layer, const char* includeFid) {
        const char* options[] = {includeFid, nullptr};
        open = layer->GetArrowStream(&stream, options);
        if (open && stream.get_schema(&stream, &schema) != 0) {
            schema.release = nullptr;
        }
    }
    ~ArrowRead() {
        if (schema.release != nullptr) {
            schema.release(&schema);
        }
        if (open && stream.release != nullptr) {
            stream.release(&stream);
        }
    }
    ArrowRead(const ArrowRead&) = delete;
    ArrowRead& operator=(const ArrowRead&) = delete;

    /** The child of this name, or -1. */
    int child(const std::string& name) const {
        if (schema.release == nullptr) {
            return -1;
        }
        for (std::int64_t i = 0; i < schema.n_children; ++i) {
            if (name == schema.children[i]->name) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    /** Hands every batch's child to use (the child, the parent's offset, the length). */
    template <class Use>
    bool each(int child, Use&& use) {
        for (;;) {
            ArrowArray batch{};
            if (stream.get_next(&stream, &batch) != 0) {
                return false;
            }
            if (batch.release == nullptr) {
                return true;
            }
            const bool ok =
                child < batch.n_children && use(*batch.children[child], batch.offset, batch.length);
            batch.release(&batch);
            if (!ok) {
                return false;
            }
        }
    }
};

} // namespace

bool ReadArrowField(OGRLayer* layer, const std::string& name, LayerColumn& column,
                    std::size_t records) {
    ArrowRead arrow(layer, "INCLUDE_FID=NO");
    const int child = arrow.child(name);
    if (child < 0 || !arrowFormatFits(column.kind(), arrow.schema.children[child]->format)) {
        return false;
    }
    const char* format = arrow.schema.children[child]->format;
    return arrow.each(child,
                      [&](const ArrowArray& values, std::int64_t start, std::int64_t length) {
                          const auto room = static_cast<std::int64_t>(records - column.size());
                          return appendArrow(column, format, values, start, std::min(length, room));
                      });
}

bool ReadArrowFeatureIds(OGRLayer* layer, std::vector<std::int64_t>& ids) {
    ArrowRead arrow(layer, "INCLUDE_FID=YES");
    if (!arrow.open || arrow.schema.release == nullptr || arrow.schema.n_children != 1 ||
        std::strcmp(arrow.schema.children[0]->format, "l") != 0) {
        return false;
    }
    return arrow.each(0, [&ids](const ArrowArray& values, std::int64_t start, std::int64_t length) {
        const std::int64_t* first = arrowBuffer<std::int64_t>(values, 1) + values.offset + start;
        ids.insert(ids.end(), first, first + length);
        return true;
    });
}

} // namespace quarvel
