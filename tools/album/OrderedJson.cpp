#include "tools/album/OrderedJson.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace tavlex::tool {
namespace {

QByteArray ScalarText(const QJsonValue& value) {
    // QJsonDocument writes only arrays and objects: write a one-element array and unwrap it.
    const QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return text.mid(1, text.size() - 2);
}

void Indent(QByteArray& out, int depth) {
    out.append(QByteArray(depth * 4, ' '));
}

}  // namespace

OrderedJson OrderedJson::Object() {
    OrderedJson value;
    value.kind_ = Kind::Object;
    return value;
}

OrderedJson OrderedJson::Array() {
    OrderedJson value;
    value.kind_ = Kind::Array;
    return value;
}

OrderedJson& OrderedJson::Add(const QString& key, OrderedJson value) {
    members_.emplace_back(key, std::move(value));
    return *this;
}

OrderedJson& OrderedJson::Append(OrderedJson value) {
    items_.push_back(std::move(value));
    return *this;
}

QByteArray OrderedJson::ToText() const {
    QByteArray out;
    Write(out, 0);
    out.append('\n');
    return out;
}

void OrderedJson::Write(QByteArray& out, int depth) const {
    switch (kind_) {
        case Kind::Scalar:
            out.append(ScalarText(scalar_));
            return;
        case Kind::Object:
            if (members_.empty()) {
                out.append("{}");
                return;
            }
            out.append("{\n");
            for (std::size_t i = 0; i < members_.size(); ++i) {
                Indent(out, depth + 1);
                out.append(ScalarText(members_[i].first));
                out.append(": ");
                members_[i].second.Write(out, depth + 1);
                out.append(i + 1 < members_.size() ? ",\n" : "\n");
            }
            Indent(out, depth);
            out.append('}');
            return;
        case Kind::Array:
            if (items_.empty()) {
                out.append("[]");
                return;
            }
            out.append("[\n");
            for (std::size_t i = 0; i < items_.size(); ++i) {
                Indent(out, depth + 1);
                items_[i].Write(out, depth + 1);
                out.append(i + 1 < items_.size() ? ",\n" : "\n");
            }
            Indent(out, depth);
            out.append(']');
            return;
    }
}

}  // namespace tavlex::tool
