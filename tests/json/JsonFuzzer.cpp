// libFuzzer target over the parser and the object functions. Any exception but the documented one,
// any sanitizer report and any broken property below ends the run with a finding.
//
// Properties:
// - JsonDeserialize gives an ObjectVal, an ArrayVal or a NullVal, and never throws;
// - JsonParseToObject throws only for a top-level array, with the ObjectVal error, and out empty;
// - what was parsed, written and parsed again reads without fault; and where no string or key holds a
//   double quote or a backslash (which the writer does not escape), the second reading writes the same
//   text as the first: the writer's text is a fixed point of the parser.

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

bool WriterEscapesWouldMatter(const JsonValue& value)
{
    switch (value.mValueType) {
    case JsonValue::StringVal:
        return HoldsQuoteOrBackslash(value.mStringValue);
    case JsonValue::ObjectVal:
        for (const auto& member : value.mObjectValue) {
            if (HoldsQuoteOrBackslash(member.first) || WriterEscapesWouldMatter(member.second)) {
                return true;
            }
        }
        return false;
    case JsonValue::ArrayVal:
        for (const JsonValue& element : value.mArrayValue) {
            if (WriterEscapesWouldMatter(element)) {
                return true;
            }
        }
        return false;
    default:
        return false;
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
    if (!WriterEscapesWouldMatter(parsed) && JsonSerialize(reread) != written) {
        std::abort();
    }
    return 0;
}
