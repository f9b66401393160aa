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
    operations_.push_back(operation);
}

void DisplayList::clear() {
    // Nothing drawn before a clear can be seen again, so it need not be kept.
    operations_.clear();
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
    add(Kind::Circle, x, y, radius);
}

void DisplayList::replay(Canvas& target) const {
    bool first = true;
    Rgb color;
    LineStyle style = LineStyle::Solid;
    for (const Operation& op : operations_) {
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
        }
    }
}

} // namespace quarvel
