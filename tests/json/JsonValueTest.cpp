// The value model: number copies made by the constructors, the copy table, what an assignment target
// keeps, and the typed accessors' errors.

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>

#include "json/JsonValue.h"

namespace {

JsonValue MakeFloatVal(float f, double d, int i = 12345)
{
    JsonValue v;
    v.mValueType = JsonValue::FloatVal;
    v.mFloatValue = f;
    v.mDoubleValue = d;
    v.mIntValue = i;
    return v;
}

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The text of the std::runtime_error that call throws, or "" when it throws nothing.
std::string ErrorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

const char ArrayRequired[] = "json mValueType==ArrayVal required";
const char ObjectRequired[] = "json mValueType==ObjectVal required";
const char NumericRequired[] = "json mValueType==IsNumeric() required";
const char StringRequired[] = "json mValueType==StringVal required";

} // namespace

TEST(JsonValue, ConstructorsComputeEveryNumberCopy)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case
    {
        const char* what;
        JsonValue value;
        int type;
        int intCopy;
        float floatCopy;
        double doubleCopy;
    };
    const Case cases[] = {
        {"default", JsonValue(), JsonValue::NullVal, 0, 0.0f, 0.0},
        {"int", JsonValue(-7), JsonValue::IntVal, -7, -7.0f, -7.0},
        {"int 2^24+1", JsonValue(16777217), JsonValue::IntVal, 16777217, 16777216.0f, 16777217.0},
        {"int min", JsonValue(INT_MIN), JsonValue::IntVal, INT_MIN, -2147483648.0f, -2147483648.0},
        {"double 2.9", JsonValue(2.9), JsonValue::DoubleVal, 2, 2.9f, 2.9},
        {"double -2.9", JsonValue(-2.9), JsonValue::DoubleVal, -2, -2.9f, -2.9},
        {"double 2^31", JsonValue(2147483648.0), JsonValue::DoubleVal, INT_MAX, 2147483648.0f, 2147483648.0},
        {"double -2^31-0.5", JsonValue(-2147483648.5), JsonValue::DoubleVal, INT_MIN, -2147483648.0f,
         -2147483648.5},
        {"double -2^31-1", JsonValue(-2147483649.0), JsonValue::DoubleVal, INT_MIN, -2147483648.0f,
         -2147483649.0},
        {"double 1e300", JsonValue(1e300), JsonValue::DoubleVal, INT_MAX, FLT_MAX, 1e300},
        {"double -1e300", JsonValue(-1e300), JsonValue::DoubleVal, INT_MIN, -FLT_MAX, -1e300},
        {"double inf", JsonValue(inf), JsonValue::DoubleVal, INT_MAX, std::numeric_limits<float>::infinity(),
         inf},
        {"double 1e-300", JsonValue(1e-300), JsonValue::DoubleVal, 0, 0.0f, 1e-300},
        {"text", JsonValue("x"), JsonValue::StringVal, 0, 0.0f, 0.0},
        {"flag", JsonValue(true), JsonValue::BoolVal, 0, 0.0f, 0.0},
        {"object", JsonValue(JsonObject{{"a", 1}}), JsonValue::ObjectVal, 0, 0.0f, 0.0},
        {"array", JsonValue(JsonArray{1, 2}), JsonValue::ArrayVal, 0, 0.0f, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.value.mValueType, c.type);
        EXPECT_EQ(c.value.mIntValue, c.intCopy);
        EXPECT_EQ(c.value.mFloatValue, c.floatCopy);
        EXPECT_EQ(c.value.mDoubleValue, c.doubleCopy);
    }

    const JsonValue notANumber(nan);
    EXPECT_EQ(notANumber.mIntValue, 0);
    EXPECT_TRUE(std::isnan(notANumber.mFloatValue));

    // A string literal makes text, not a flag.
    EXPECT_EQ(JsonValue("abc").mValueType, JsonValue::StringVal);
    EXPECT_EQ(JsonValue(static_cast<const char*>(nullptr)).mStringValue, "");
}

TEST(JsonValue, AccessorsAcceptOnlyTheirTypes)
{
    const JsonValue values[] = {JsonValue(),          JsonValue("t"),
                                JsonValue(3),         MakeFloatVal(1.5f, 1.5),
                                JsonValue(2.5),       JsonValue(JsonObject{{"k", 1}}),
                                JsonValue(JsonArray{1}), JsonValue(false)};
    for (const JsonValue& v : values) {
        SCOPED_TRACE(v.mValueType);
        const bool numeric = v.mValueType == JsonValue::IntVal || v.mValueType == JsonValue::FloatVal ||
                             v.mValueType == JsonValue::DoubleVal;
        EXPECT_EQ(v.IsNumeric(), numeric);
        EXPECT_EQ(ErrorOf([&] { v.ToInt(); }), numeric ? "" : NumericRequired);
        EXPECT_EQ(ErrorOf([&] { v.ToFloat(); }), numeric ? "" : NumericRequired);
        EXPECT_EQ(ErrorOf([&] { v.ToDouble(); }), numeric ? "" : NumericRequired);
        EXPECT_EQ(ErrorOf([&] { v.ToString(); }), v.mValueType == JsonValue::StringVal ? "" : StringRequired);
        EXPECT_EQ(ErrorOf([&] { v.ToObject(); }), v.mValueType == JsonValue::ObjectVal ? "" : ObjectRequired);
        EXPECT_EQ(ErrorOf([&] { v.ToArray(); }), v.mValueType == JsonValue::ArrayVal ? "" : ArrayRequired);
    }

    // The number accessors hand out the stored copies and convert nothing.
    const JsonValue floatVal = MakeFloatVal(2.75f, 9.5, 4);
    EXPECT_EQ(floatVal.ToInt(), 4);
    EXPECT_EQ(floatVal.ToFloat(), 2.75f);
    EXPECT_EQ(floatVal.ToDouble(), 9.5);
    EXPECT_EQ(JsonValue(-2.9).ToInt(), -2);
    EXPECT_EQ(JsonValue(7).ToDouble(), 7.0);
}

TEST(JsonValue, CopiesTakeOnlyWhatTheirTypeSelects)
{
    // Sources whose hidden members hold leftovers and whose number copies disagree with each other.
    JsonValue text("kept");
    text.mIntValue = 5;
    text.mArrayValue = JsonArray{1};
    text.mBoolValue = true;

    JsonValue intVal(7);
    intVal.mFloatValue = 99.0f;
    intVal.mDoubleValue = 99.0;
    intVal.mStringValue = "leftover";

    JsonValue doubleVal(2.5);
    doubleVal.mIntValue = 99;
    doubleVal.mFloatValue = 99.0f;

    const double third = 1.0 / 3.0;
    const JsonValue floatVal = MakeFloatVal(-2.75f, third);
    const JsonValue bigFloat = MakeFloatVal(3e9f, 3e9);

    JsonValue null;
    null.mStringValue = "leftover";
    null.mIntValue = 3;

    struct Case
    {
        const char* what;
        const JsonValue& source;
        int intCopy;
        float floatCopy;
        double doubleCopy;
        std::string text;
        std::size_t elements;
        bool flag;
    };
    const Case cases[] = {
        {"text", text, 0, 0.0f, 0.0, "kept", 0, false},
        {"int", intVal, 7, 7.0f, 7.0, "", 0, false},
        {"double", doubleVal, 2, 2.5f, 2.5, "", 0, false},
        {"float", floatVal, -2, -2.75f, third, "", 0, false},
        {"float beyond int", bigFloat, INT_MAX, 3e9f, 3e9, "", 0, false},
        {"null", null, 0, 0.0f, 0.0, "", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const JsonValue copy(c.source);
        EXPECT_EQ(copy.mValueType, c.source.mValueType);
        EXPECT_EQ(copy.mIntValue, c.intCopy);
        EXPECT_EQ(copy.mFloatValue, c.floatCopy);
        EXPECT_TRUE(SameBits(copy.mDoubleValue, c.doubleCopy)) << copy.mDoubleValue;
        EXPECT_EQ(copy.mStringValue, c.text);
        EXPECT_EQ(copy.mArrayValue.size(), c.elements);
        EXPECT_EQ(copy.mBoolValue, c.flag);
    }

    // Containers are copied deep: changing the copy leaves the source alone.
    const JsonValue nested(JsonObject{{"a", JsonArray{JsonObject{{"b", "x"}}}}});
    JsonValue deep(nested);
    deep.mObjectValue["a"].mArrayValue[0].mObjectValue["b"] = "changed";
    EXPECT_EQ(nested.mObjectValue.at("a").mArrayValue[0].mObjectValue.at("b").mStringValue, "x");

    // Moving, as a growing array does with its elements, gives what a copy gives.
    JsonArray grown;
    grown.push_back(floatVal);
    for (int i = 0; i < 100; ++i) {
        grown.push_back(JsonValue(i));
    }
    EXPECT_EQ(grown[0].mValueType, JsonValue::FloatVal);
    EXPECT_EQ(grown[0].mIntValue, -2);
    EXPECT_TRUE(SameBits(grown[0].mDoubleValue, third));
}

TEST(JsonValue, AssignmentTargetKeepsWhatTheSourceTypeDoesNotSelect)
{
    // A null over a string: the text is still held but out of reach.
    JsonValue target("old text");
    target = JsonValue();
    EXPECT_EQ(target.mValueType, JsonValue::NullVal);
    EXPECT_EQ(ErrorOf([&] { target.ToString(); }), StringRequired);
    EXPECT_EQ(target.mStringValue, "old text");

    // A string over an int keeps the number copies; an int over that recomputes them.
    target = JsonValue(41);
    target = JsonValue("now text");
    EXPECT_EQ(target.ToString(), "now text");
    EXPECT_EQ(target.mIntValue, 41);
    target = MakeFloatVal(1.5f, 0.1);
    EXPECT_EQ(target.ToInt(), 1);
    EXPECT_TRUE(SameBits(target.ToDouble(), 0.1));
    EXPECT_EQ(target.mStringValue, "now text");

    // Two elements over five leave exactly the two; an object is replaced, not merged.
    JsonValue array(JsonArray{1, 2, 3, 4, 5});
    array = JsonValue(JsonArray{"a", "b"});
    ASSERT_EQ(array.ToArray().size(), 2u);
    EXPECT_EQ(array.mArrayValue[1].ToString(), "b");
    JsonValue object(JsonObject{{"a", 1}, {"b", 2}});
    object = JsonValue(JsonObject{{"c", 3}});
    EXPECT_EQ(object.ToObject().size(), 1u);
    EXPECT_EQ(object.mObjectValue.count("c"), 1u);

    // A flag over an object keeps the members hidden.
    object = JsonValue(true);
    EXPECT_TRUE(object.mBoolValue);
    EXPECT_EQ(object.mObjectValue.size(), 1u);
}

TEST(JsonValue, AssignmentFromItselfOrFromInsideItself)
{
    JsonValue self(JsonArray{1, "x"});
    self.mStringValue = "hidden";
    const JsonValue& alias = self;
    self = alias;
    EXPECT_EQ(self.mArrayValue.size(), 2u);
    EXPECT_EQ(self.mStringValue, "hidden");

    // The source lives inside the container the assignment replaces.
    JsonValue outer(JsonArray{JsonArray{"inner", 2}, 3});
    outer = outer.mArrayValue[0];
    ASSERT_EQ(outer.mValueType, JsonValue::ArrayVal);
    ASSERT_EQ(outer.mArrayValue.size(), 2u);
    EXPECT_EQ(outer.mArrayValue[0].ToString(), "inner");

    JsonValue members(JsonObject{{"k", JsonObject{{"x", "y"}}}});
    members = members.mObjectValue["k"];
    EXPECT_EQ(members.mObjectValue.at("x").ToString(), "y");

    JsonValue moved(JsonArray{JsonArray{1, 2, 3}});
    moved = std::move(moved.mArrayValue[0]);
    EXPECT_EQ(moved.mArrayValue.size(), 3u);

    // The other way round: a member takes a copy of the value that holds it.
    JsonValue parent(JsonObject{{"child", 1}});
    parent.mObjectValue["child"] = parent;
    EXPECT_EQ(parent.mObjectValue.at("child").mObjectValue.at("child").ToInt(), 1);
}
