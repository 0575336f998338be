#include "json/JsonWriter.h"

#include <cmath>
#include <cstdio>

namespace {

// Every int and every finite double fits in these forms; the longest, a double near the largest finite
// value, takes 317 characters.
const std::size_t NumberBufferSize = 500;

std::string FormatInt(int n)
{
    char text[NumberBufferSize];
    std::snprintf(text, sizeof text, "%d", n);
    return text;
}

std::string FormatDouble(double d)
{
    if (!std::isfinite(d)) {
        return "null";
    }
    char text[NumberBufferSize];
    std::snprintf(text, sizeof text, "%f", d);
    return text;
}

} // namespace

std::string JsonSerialize(const JsonValue& value)
{
    switch (value.mValueType) {
    case JsonValue::NullVal:
        return "null";
    case JsonValue::BoolVal:
        return value.mBoolValue ? "true" : "false";
    case JsonValue::IntVal:
        return FormatInt(value.ToInt());
    case JsonValue::FloatVal:
        return FormatDouble(value.ToFloat());
    case JsonValue::DoubleVal:
        return FormatDouble(value.ToDouble());
    case JsonValue::StringVal:
        return '"' + value.ToString() + '"';
    case JsonValue::ObjectVal:
        return JsonSerializeContainer(value);
    case JsonValue::ArrayVal:
        return JsonSerializeArray(value.ToArray());
    default:
        return std::string();
    }
}

std::string JsonSerializeArray(const JsonArray& elements)
{
    std::string text = "[";
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (i > 0) {
            text += ',';
        }
        text += JsonSerialize(elements[i]);
    }
    text += ']';
    return text;
}

std::string JsonSerializeContainer(const JsonValue& value)
{
    if (value.mValueType == JsonValue::ArrayVal) {
        return JsonSerializeArray(value.ToArray());
    }
    if (value.mValueType != JsonValue::ObjectVal) {
        return std::string();
    }
    std::string text = "{";
    bool first = true;
    for (const auto& member : value.ToObject()) {
        if (!first) {
            text += ',';
        }
        first = false;
        text += '"';
        text += member.first;
        text += "\":";
        text += JsonSerialize(member.second);
    }
    text += '}';
    return text;
}
