// libFuzzer target over the parser and the object functions. Any exception but the documented one,
// any sanitizer report and any broken property below ends the run with a finding.
//
// Properties:
// - JsonDeserialize gives an ObjectVal, an ArrayVal or a NullVal, and never throws;
// - JsonParseToObject throws only for a top-level array, with the ObjectVal error, and out empty;
// - what was parsed, written and parsed again reads without fault, and where the written text can read
//   back as the same value (see ReadsBackAsWritten), the second reading writes the same text as the
//   first: the writer's text is a fixed point of the parser.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "json/Json.h"

namespace {

bool HoldsQuoteOrBackslash(const std::string& text)
{
    return text.find_first_of("\"\\") != std::string::npos;
}

// An array cuts a string element at a ',' or ']' unless a '[' or '{' comes first in it. The parser can
// still produce such an element: an escape that vanishes in reading ("\[") let the text through.
bool ArrayCutsString(const std::string& text)
{
    const std::size_t stop = text.find_first_of("{[,]");
    return stop != std::string::npos && (text[stop] == ',' || text[stop] == ']');
}

// False where the writer's text of the value cannot read back as the same value: a text or key holds
// a double quote or a backslash, which the writer does not escape, or an array would cut a string
// element.
bool ReadsBackAsWritten(const JsonValue& value, bool element)
{
    switch (value.mValueType) {
    case JsonValue::StringVal:
        return !HoldsQuoteOrBackslash(value.mStringValue) && !(element && ArrayCutsString(value.mStringValue));
    case JsonValue::ObjectVal:
        for (const auto& member : value.mObjectValue) {
            if (HoldsQuoteOrBackslash(member.first) || !ReadsBackAsWritten(member.second, false)) {
                return false;
            }
        }
        return true;
    case JsonValue::ArrayVal:
        for (const JsonValue& item : value.mArrayValue) {
            if (!ReadsBackAsWritten(item, true)) {
                return false;
            }
        }
        return true;
    default:
        return true;
    }
}

void CheckParseToObject(const std::string& text, const JsonValue& parsed)
{
    JsonObject out{{"stale", JsonValue(1)}};
    try {
        JsonParseToObject(text, out);
    } catch (const std::runtime_error& e) {
        if (parsed.mValueType != JsonValue::ArrayVal ||
            std::strcmp(e.what(), "json mValueType==ObjectVal required") != 0 || !out.empty()) {
            throw;
        }
        return;
    }
    const bool expectMembers = !text.empty() && parsed.mValueType == JsonValue::ObjectVal;
    if (expectMembers ? out.size() != parsed.mObjectValue.size() : !out.empty()) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    const JsonValue parsed = JsonDeserialize(text);
    if (parsed.mValueType != JsonValue::ObjectVal && parsed.mValueType != JsonValue::ArrayVal &&
        parsed.mValueType != JsonValue::NullVal) {
        std::abort();
    }
    CheckParseToObject(text, parsed);

    const std::string written = JsonSerialize(parsed);
    const JsonValue reread = JsonDeserialize(written);
    if (ReadsBackAsWritten(parsed, false) && JsonSerialize(reread) != written) {
        std::abort();
    }
    return 0;
}
