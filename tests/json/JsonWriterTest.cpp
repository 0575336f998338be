// The writer's forms: fixed printf numbers, unescaped strings and keys, members in byte order of keys.

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <limits>
#include <string>

#include "json/JsonValue.h"
#include "json/JsonWriter.h"

namespace {

JsonValue MakeFloatVal(float f, double d)
{
    JsonValue v;
    v.mValueType = JsonValue::FloatVal;
    v.mFloatValue = f;
    v.mDoubleValue = d;
    return v;
}

} // namespace

TEST(JsonWriter, WritesEveryTypeInItsFixedForm)
{
    JsonValue unknownType;
    unknownType.mValueType = 9;
    JsonValue nullWithLeftovers("hidden");
    nullWithLeftovers = JsonValue();

    struct Case
    {
        JsonValue value;
        std::string text;
    };
    const Case cases[] = {
        {JsonValue(), "null"},
        {nullWithLeftovers, "null"},
        {JsonValue(true), "true"},
        {JsonValue(false), "false"},
        {JsonValue(-5), "-5"},
        {JsonValue(INT_MIN), "-2147483648"},
        {JsonValue(2.0), "2.000000"},
        {JsonValue(1.5), "1.500000"},
        {JsonValue(-2.25), "-2.250000"},
        {JsonValue(0.0000001), "0.000000"},
        {JsonValue(0.0000006), "0.000001"},
        {JsonValue(-0.0), "-0.000000"},
        {JsonValue(1e20), "100000000000000000000.000000"},
        // The float copy is written, not the double beside it.
        {MakeFloatVal(0.25f, 7.0), "0.250000"},
        {JsonValue(std::numeric_limits<double>::infinity()), "null"},
        {JsonValue(std::numeric_limits<double>::quiet_NaN()), "null"},
        {JsonValue("say \"hi\" \\ now"), "\"say \"hi\" \\ now\""},
        {JsonValue(std::string("\x01\t\xE4\xB8\xAD", 5)), std::string("\"\x01\t\xE4\xB8\xAD\"", 7)},
        {JsonValue(""), "\"\""},
        {JsonValue(JsonArray{}), "[]"},
        {JsonValue(JsonObject{}), "{}"},
        {JsonValue(JsonObject{{"b", 1}, {"a", "x"}}), "{\"a\":\"x\",\"b\":1}"},
        {JsonValue(JsonObject{{"k", JsonArray{JsonObject{}}}}), "{\"k\":[{}]}"},
        {JsonValue(JsonArray{1, JsonArray{2.5, JsonArray{}}, "s", JsonValue(), true}),
         "[1,[2.500000,[]],\"s\",null,true]"},
        {unknownType, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JsonSerialize(c.value), c.text);
    }

    // The largest double takes 309 digits before the point and still fits the number buffer.
    const std::string largest = JsonSerialize(JsonValue(DBL_MAX));
    EXPECT_EQ(largest.size(), 316u);
    EXPECT_EQ(largest.substr(0, 6), "179769");
    EXPECT_EQ(largest.substr(309), ".000000");
    EXPECT_EQ(JsonSerialize(JsonValue(-DBL_MAX)).size(), 317u);
}

TEST(JsonWriter, KeysAreOrderedByUnsignedBytes)
{
    // A byte of 128 or above sorts after every ASCII byte, and a prefix before its extensions.
    const JsonObject members{{"\xC3\xA9", 1}, {"ab", 2}, {"a", 3}, {"B", 4}, {"key with space", 5}, {"\"q", 6}};
    EXPECT_EQ(JsonSerialize(JsonValue(members)),
              "{\"\"q\":6,\"B\":4,\"a\":3,\"ab\":2,\"key with space\":5,\"\xC3\xA9\":1}");
}

TEST(JsonWriter, ContainerAndArrayEntries)
{
    EXPECT_EQ(JsonSerializeArray(JsonArray{}), "[]");
    EXPECT_EQ(JsonSerializeArray(JsonArray{JsonObject{{"a", JsonValue()}}, -1}), "[{\"a\":null},-1]");
    EXPECT_EQ(JsonSerializeContainer(JsonValue(JsonArray{1, 2})), "[1,2]");
    EXPECT_EQ(JsonSerializeContainer(JsonValue(JsonObject{{"a", false}})), "{\"a\":false}");
    for (const JsonValue& scalar : {JsonValue("text"), JsonValue(3), JsonValue(3.5), JsonValue(), JsonValue(true)}) {
        EXPECT_EQ(JsonSerializeContainer(scalar), "");
    }
}
