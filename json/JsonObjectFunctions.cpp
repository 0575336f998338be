#include "json/JsonObjectFunctions.h"

#include "json/JsonParser.h"
#include "json/JsonWriter.h"

void JsonParseToObject(const std::string& text, JsonObject& out)
{
    out.clear();
    if (text.empty()) {
        return;
    }
    const JsonValue value = JsonDeserialize(text);
    if (value.mValueType == JsonValue::NullVal) {
        return;
    }
    out = value.ToObject();
}

std::string JsonGetString(const JsonObject& object, const std::string& key)
{
    const auto member = object.find(key);
    if (member == object.end()) {
        return std::string();
    }
    switch (member->second.mValueType) {
    case JsonValue::StringVal:
        return member->second.ToString();
    case JsonValue::ObjectVal:
        return JsonSerializeContainer(member->second);
    default:
        return std::string();
    }
}
