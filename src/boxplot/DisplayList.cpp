#include "DisplayList.h"

namespace quarvel {

void DisplayList::add(Kind kind, double x1, double y1, double x2, double y2, int text) {
    Operation operation;
    operation.kind = kind;
    operation.x1 = x1;
    operation.y1 = y1;
    operation.x2 = x2;
    operation.y2 = y2;
    operation.color = color_;
    operation.style = style_;
    operation.text = text;
    operations_.push_back(Step{operation, 0});
}

namespace {

std::uint32_t packed(Rgb c) {
    return static_cast<std::uint32_t>(c.red) << 16 | static_cast<std::uint32_t>(c.green) << 8 |
           static_cast<std::uint32_t>(c.blue);
}

Rgb unpacked(std::uint32_t rgb) {
    return Rgb{static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF),
               static_cast<int>(rgb & 0xFF)};
}

bool packable(Rgb c) {
    return c.red >= 0 && c.red <= 255 && c.green >= 0 && c.green <= 255 && c.blue >= 0 &&
           c.blue <= 255;
}

} // namespace

void DisplayList::clear() {
    // Nothing drawn before a clear can be seen again, so it need not be kept.
    operations_.clear();
    circles_.clear();
    texts_.clear();
    add(Kind::Clear);
}

void DisplayList::setScale(double left, double top, double right, double bottom) {
    add(Kind::Scale, left, top, right, bottom);
}

void DisplayList::line(double x1, double y1, double x2, double y2) {
    add(Kind::Line, x1, y1, x2, y2);
}

void DisplayList::rectangle(double x1, double y1, double x2, double y2, bool filled) {
    add(filled ? Kind::FilledRectangle : Kind::Rectangle, x1, y1, x2, y2);
}

void DisplayList::text(double x, double y, const std::string& text) {
    texts_.push_back(text);
    add(Kind::Text, x, y, 0, 0, static_cast<int>(texts_.size() - 1));
}

void DisplayList::circle(double x, double y, double radius) {
    const auto height = static_cast<float>(y);
    if (static_cast<double>(height) != y || !packable(color_)) {
        add(Kind::Circle, x, y, radius);
        return;
    }
    if (operations_.empty() || operations_.back().operation.kind != kCircleRun ||
        operations_.back().operation.x2 != radius || operations_.back().operation.style != style_) {
        add(kCircleRun, 0, 0, radius, 0, 0);
        operations_.back().firstCircle = circles_.size();
    }
    ++operations_.back().operation.text;
    circles_.push_back(PackedCircle{x, height, packed(color_)});
}

std::vector<DisplayList::Operation> DisplayList::operations() const {
    std::vector<Operation> all;
    all.reserve(operations_.size() + circles_.size());
    for (const Step& step : operations_) {
        if (step.operation.kind != kCircleRun) {
            all.push_back(step.operation);
            continue;
        }
        const auto count = static_cast<std::size_t>(step.operation.text);
        for (std::size_t i = step.firstCircle; i < step.firstCircle + count; ++i) {
            Operation circle;
            circle.kind = Kind::Circle;
            circle.x1 = circles_[i].x;
            circle.y1 = static_cast<double>(circles_[i].y);
            circle.x2 = step.operation.x2;
            circle.color = unpacked(circles_[i].rgb);
            circle.style = step.operation.style;
            all.push_back(circle);
        }
    }
    return all;
}

std::optional<std::size_t> DisplayList::lastCircleHolding(double x, double y, double ry) const {
    const auto holds = [x, y, ry](double cx, double cy, double radius) {
        const double dx = (x - cx) / radius;
        const double dy = (y - cy) / ry;
        return dx * dx + dy * dy <= 1;
    };
    std::size_t total = 0;
    for (const Step& step : operations_) {
        total += step.operation.kind == kCircleRun ? static_cast<std::size_t>(step.operation.text)
                 : step.operation.kind == Kind::Circle ? 1
                                                       : 0;
    }
    std::size_t ordinal = total;
    for (auto step = operations_.rbegin(); step != operations_.rend(); ++step) {
        const Operation& op = step->operation;
        if (op.kind == Kind::Circle) {
            --ordinal;
            if (holds(op.x1, op.y1, op.x2)) {
                return ordinal;
            }
        } else if (op.kind == kCircleRun) {
            const auto count = static_cast<std::size_t>(op.text);
            for (std::size_t i = step->firstCircle + count; i-- > step->firstCircle;) {
                --ordinal;
                if (holds(circles_[i].x, static_cast<double>(circles_[i].y), op.x2)) {
                    return ordinal;
                }
            }
        }
    }
    return std::nullopt;
}

std::optional<DisplayList::CirclePlace> DisplayList::circleAt(std::size_t ordinal) const {
    std::size_t first = 0; // the ordinal of the step's first circle
    for (const Step& step : operations_) {
        const Operation& op = step.operation;
        if (op.kind == Kind::Circle) {
            if (first == ordinal) {
                return CirclePlace{op.x1, op.y1, op.x2};
            }
            ++first;
        } else if (op.kind == kCircleRun) {
            const auto count = static_cast<std::size_t>(op.text);
            if (ordinal < first + count) {
                const PackedCircle& c = circles_[step.firstCircle + (ordinal - first)];
                return CirclePlace{c.x, static_cast<double>(c.y), op.x2};
            }
            first += count;
        }
    }
    return std::nullopt;
}

std::size_t DisplayList::heldBytes() const {
    return operations_.capacity() * sizeof(Step) + circles_.capacity() * sizeof(PackedCircle);
}

bool DisplayList::replay(Canvas& target, const StopCheck& stopRequested) const {
    bool first = true;
    Rgb color;
    LineStyle style = LineStyle::Solid;
    for (const Step& step : operations_) {
        const Operation& op = step.operation;
        if (op.kind == kCircleRun) {
            if (first || op.style != style) {
                target.setLineStyle(op.style);
                style = op.style;
            }
            const auto count = static_cast<std::size_t>(op.text);
            for (std::size_t i = step.firstCircle; i < step.firstCircle + count; ++i) {
                const Rgb circleColor = unpacked(circles_[i].rgb);
                if (first || !(circleColor == color)) {
                    target.setColor(circleColor);
                    color = circleColor;
                }
                first = false;
                target.circle(circles_[i].x, static_cast<double>(circles_[i].y), op.x2);
                if (stopRequested && i % kStepsBetweenStopChecks == 0 && stopRequested()) {
                    return false;
                }
            }
            continue;
        }
        if (first || !(op.color == color)) {
            target.setColor(op.color);
            color = op.color;
        }
        if (first || op.style != style) {
            target.setLineStyle(op.style);
            style = op.style;
        }
        first = false;
        switch (op.kind) {
        case Kind::Clear:
            target.clear();
            break;
        case Kind::Scale:
            target.setScale(op.x1, op.y1, op.x2, op.y2);
            break;
        case Kind::Line:
            target.line(op.x1, op.y1, op.x2, op.y2);
            break;
        case Kind::Rectangle:
            target.rectangle(op.x1, op.y1, op.x2, op.y2, false);
            break;
        case Kind::FilledRectangle:
            target.rectangle(op.x1, op.y1, op.x2, op.y2, true);
            break;
        case Kind::Text:
            target.text(op.x1, op.y1, texts_[static_cast<std::size_t>(op.text)]);
            break;
        case Kind::Circle:
            target.circle(op.x1, op.y1, op.x2);
            break;
        default:
            break;
        }
    }
    return true;
}

} // namespace quarvel
