#pragma once

#include <QJsonValue>
#include <QString>

#include <type_traits>
#include <utility>
#include <vector>

namespace tavlex::tool {

// A JSON value whose objects keep their keys in insertion order (QJsonObject sorts them).
// Scalars are QJsonValues and are written by QJsonDocument, so escaping is Qt's.
class OrderedJson {
  public:
    OrderedJson() = default;
    // Anything a QJsonValue can be made of converts implicitly, to keep building terse.
    template <typename T>
    requires std::is_constructible_v<QJsonValue, T> OrderedJson(T&& scalar)
        : scalar_(QJsonValue(std::forward<T>(scalar))) {}
    static OrderedJson Object();
    static OrderedJson Array();

    OrderedJson& Add(const QString& key, OrderedJson value);  // objects
    OrderedJson& Append(OrderedJson value);                   // arrays

    // Indented text with a final newline.
    QByteArray ToText() const;

  private:
    enum class Kind { Scalar, Object, Array };
    void Write(QByteArray& out, int depth) const;

    Kind kind_ = Kind::Scalar;
    QJsonValue scalar_;
    std::vector<std::pair<QString, OrderedJson>> members_;
    std::vector<OrderedJson> items_;
};

}  // namespace tavlex::tool
