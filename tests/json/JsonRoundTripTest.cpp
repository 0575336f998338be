// Writer to parser: values of the shapes the parser produces, written and read back, come back equal
// but for the six decimals "%f" keeps of each double. Strings and keys hold no double quote or
// backslash (the writer escapes nothing), string values neither begin nor end with white space (the
// parser trims them), string elements of arrays hold no ',' or ']' (they separate elements), and arrays
// hold no null (the parser drops it).

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "json/JsonParser.h"
#include "json/JsonWriter.h"

namespace {

// A small deterministic generator of values; the same seed gives the same values on every platform.
class ValueGenerator
{
public:
    explicit ValueGenerator(std::uint32_t seed) : m_state(seed) {}

    JsonValue Document() { return Below(2) == 0 ? Object(1) : Array(1); }

private:
    static const int MaxDepth = 5;
    static const int MaxWidth = 5;

    std::uint32_t Next()
    {
        // xorshift32
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }

    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

    JsonValue Object(int depth)
    {
        JsonObject members;
        for (int n = Below(MaxWidth + 1); n > 0; --n) {
            members[Text(false, true)] = Value(depth, false);
        }
        return JsonValue(members);
    }

    JsonValue Array(int depth)
    {
        JsonArray elements;
        for (int n = Below(MaxWidth + 1); n > 0; --n) {
            elements.push_back(Value(depth, true));
        }
        return JsonValue(elements);
    }

    JsonValue Value(int depth, bool inArray)
    {
        const int kind = Below(depth < MaxDepth ? 8 : 6);
        switch (kind) {
        case 0:
            return inArray ? JsonValue(Below(2) == 0) : JsonValue();
        case 1:
            return JsonValue(Below(2) == 0);
        case 2:
            return JsonValue(Int());
        case 3:
            return JsonValue(Double());
        case 4:
        case 5:
            return JsonValue(Text(inArray, false));
        case 6:
            return Object(depth + 1);
        default:
            return Array(depth + 1);
        }
    }

    int Int()
    {
        switch (Below(4)) {
        case 0:
            return Below(2) == 0 ? INT_MIN : INT_MAX;
        case 1:
            return Below(201) - 100;
        default:
            return static_cast<int>(Next());
        }
    }

    double Double()
    {
        const double mantissa = static_cast<double>(Next()) / 4294967296.0 * (Below(2) == 0 ? 1 : -1);
        static const double scales[] = {1e-9, 1e-6, 1e-3, 1, 1e3, 1e9, 1e15, 1e20, 1e300};
        return mantissa * scales[Below(sizeof scales / sizeof scales[0])];
    }

    // Any byte but the double quote and the backslash; a string value neither begins nor ends with
    // white space, and one inside an array holds no ',' or ']'. Keys are never empty.
    std::string Text(bool inArray, bool key)
    {
        std::string text;
        const int length = Below(12) + (key ? 1 : 0);
        for (int i = 0; i < length; ++i) {
            char c;
            do {
                c = static_cast<char>(Below(256));
            } while (c == '"' || c == '\\' || (inArray && (c == ',' || c == ']')) ||
                     (!key && (i == 0 || i == length - 1) && IsWhiteSpace(c)));
            text += c;
        }
        return text;
    }

    static bool IsWhiteSpace(char c) { return (c >= 9 && c <= 13) || c == ' '; }

    std::uint32_t m_state;
};

// What reading back gives: each double as strtod reads the "%f" text of it.
JsonValue AfterRoundTrip(const JsonValue& value)
{
    switch (value.mValueType) {
    case JsonValue::DoubleVal: {
        char text[500];
        std::snprintf(text, sizeof text, "%f", value.mDoubleValue);
        return JsonValue(std::strtod(text, nullptr));
    }
    case JsonValue::ObjectVal: {
        JsonObject members;
        for (const auto& member : value.mObjectValue) {
            members[member.first] = AfterRoundTrip(member.second);
        }
        return JsonValue(members);
    }
    case JsonValue::ArrayVal: {
        JsonArray elements;
        for (const JsonValue& element : value.mArrayValue) {
            elements.push_back(AfterRoundTrip(element));
        }
        return JsonValue(elements);
    }
    default:
        return value;
    }
}

void ExpectSameValue(const JsonValue& expected, const JsonValue& actual, const std::string& path)
{
    ASSERT_EQ(actual.mValueType, expected.mValueType) << path;
    switch (expected.mValueType) {
    case JsonValue::BoolVal:
        EXPECT_EQ(actual.mBoolValue, expected.mBoolValue) << path;
        break;
    case JsonValue::IntVal:
        EXPECT_EQ(actual.mIntValue, expected.mIntValue) << path;
        break;
    case JsonValue::DoubleVal:
        EXPECT_EQ(actual.mDoubleValue, expected.mDoubleValue) << path;
        EXPECT_EQ(actual.mIntValue, expected.mIntValue) << path;
        EXPECT_EQ(actual.mFloatValue, expected.mFloatValue) << path;
        break;
    case JsonValue::StringVal:
        EXPECT_EQ(actual.mStringValue, expected.mStringValue) << path;
        break;
    case JsonValue::ObjectVal: {
        ASSERT_EQ(actual.mObjectValue.size(), expected.mObjectValue.size()) << path;
        auto a = actual.mObjectValue.begin();
        for (const auto& member : expected.mObjectValue) {
            ASSERT_EQ(a->first, member.first) << path;
            ExpectSameValue(member.second, a->second, path + "/" + member.first);
            ++a;
        }
        break;
    }
    case JsonValue::ArrayVal:
        ASSERT_EQ(actual.mArrayValue.size(), expected.mArrayValue.size()) << path;
        for (std::size_t i = 0; i < expected.mArrayValue.size(); ++i) {
            ExpectSameValue(expected.mArrayValue[i], actual.mArrayValue[i], path + "/" + std::to_string(i));
        }
        break;
    default:
        break;
    }
}

} // namespace

TEST(JsonRoundTrip, GeneratedValuesReadBackAsWritten)
{
    ValueGenerator generator(20240611u);
    for (int i = 0; i < 400; ++i) {
        const JsonValue value = generator.Document();
        const std::string text = JsonSerialize(value);
        SCOPED_TRACE("value " + std::to_string(i) + ": " + text);
        ExpectSameValue(AfterRoundTrip(value), JsonDeserialize(text), "");
        if (HasFailure()) {
            break;
        }
    }
}
