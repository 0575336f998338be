#include "json/JsonValue.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <stdexcept>
#include <utility>

static_assert(sizeof(int) == 4 && sizeof(float) == 4 && sizeof(double) == 8,
              "the value model is a 32-bit int, a 32-bit float and a 64-bit double");

namespace {

// Converting a floating-point number outside int's range to int is undefined, so such numbers saturate.
int TruncateToInt(double d) noexcept
{
    if (std::isnan(d)) {
        return 0;
    }
    if (d >= 2147483648.0) {
        return INT_MAX;
    }
    if (d <= -2147483649.0) {
        return INT_MIN;
    }
    return static_cast<int>(d);
}

// Narrowing a finite double beyond float's range is undefined as well; the nearest finite float is the
// largest one with the same sign.
float NearestFloat(double d) noexcept
{
    if (std::isfinite(d) && std::fabs(d) > FLT_MAX) {
        return d > 0 ? FLT_MAX : -FLT_MAX;
    }
    return static_cast<float>(d);
}

void Require(bool accepted, const char* error)
{
    if (!accepted) {
        throw std::runtime_error(error);
    }
}

} // namespace

JsonValue::JsonValue() = default;

JsonValue::JsonValue(int i)
    : mValueType(IntVal), mIntValue(i), mFloatValue(static_cast<float>(i)), mDoubleValue(i)
{
}

JsonValue::JsonValue(double d)
    : mValueType(DoubleVal), mIntValue(TruncateToInt(d)), mFloatValue(NearestFloat(d)), mDoubleValue(d)
{
}

JsonValue::JsonValue(std::string s) : mValueType(StringVal), mStringValue(std::move(s)) {}

JsonValue::JsonValue(const char* s) : mValueType(StringVal), mStringValue(s ? s : "") {}

JsonValue::JsonValue(JsonObject m) : mValueType(ObjectVal), mObjectValue(std::move(m)) {}

JsonValue::JsonValue(JsonArray a) : mValueType(ArrayVal), mArrayValue(std::move(a)) {}

JsonValue::JsonValue(bool b) : mValueType(BoolVal), mBoolValue(b) {}

JsonValue::JsonValue(const JsonValue& other) : mValueType(other.mValueType)
{
    switch (mValueType) {
    case StringVal:
        mStringValue = other.mStringValue;
        break;
    case ObjectVal:
        mObjectValue = other.mObjectValue;
        break;
    case ArrayVal:
        mArrayValue = other.mArrayValue;
        break;
    case BoolVal:
        mBoolValue = other.mBoolValue;
        break;
    default:
        TakeNumbers(other);
        break;
    }
}

JsonValue::JsonValue(JsonValue&& other) noexcept : mValueType(other.mValueType)
{
    switch (mValueType) {
    case StringVal:
        mStringValue.swap(other.mStringValue);
        break;
    case ObjectVal:
        mObjectValue.swap(other.mObjectValue);
        break;
    case ArrayVal:
        mArrayValue.swap(other.mArrayValue);
        break;
    case BoolVal:
        mBoolValue = other.mBoolValue;
        break;
    default:
        TakeNumbers(other);
        break;
    }
}

JsonValue& JsonValue::operator=(const JsonValue& other)
{
    if (this != &other) {
        // Copying first keeps the source intact while the target's containers are replaced, also when
        // one holds the other, and leaves the target untouched if the copy runs out of memory.
        JsonValue copy(other);
        *this = std::move(copy);
    }
    return *this;
}

JsonValue& JsonValue::operator=(JsonValue&& other) noexcept
{
    if (this == &other) {
        return *this;
    }
    const int type = other.mValueType;
    switch (type) {
    case StringVal:
        mStringValue.swap(other.mStringValue);
        other.mStringValue.clear();
        break;
    case ObjectVal: {
        // The source may live inside the container being replaced: take its members out first and let
        // the old container, with the source in it, go only after that.
        JsonObject members;
        members.swap(other.mObjectValue);
        mObjectValue.swap(members);
        break;
    }
    case ArrayVal: {
        JsonArray elements;
        elements.swap(other.mArrayValue);
        mArrayValue.swap(elements);
        break;
    }
    case BoolVal:
        mBoolValue = other.mBoolValue;
        break;
    default:
        TakeNumbers(other);
        break;
    }
    mValueType = type;
    return *this;
}

void JsonValue::TakeNumbers(const JsonValue& source) noexcept
{
    switch (source.mValueType) {
    case IntVal:
        mIntValue = source.mIntValue;
        mFloatValue = static_cast<float>(source.mIntValue);
        mDoubleValue = source.mIntValue;
        break;
    case FloatVal:
        mFloatValue = source.mFloatValue;
        mIntValue = TruncateToInt(source.mFloatValue);
        mDoubleValue = source.mDoubleValue;
        break;
    case DoubleVal:
        mDoubleValue = source.mDoubleValue;
        mIntValue = TruncateToInt(source.mDoubleValue);
        mFloatValue = NearestFloat(source.mDoubleValue);
        break;
    default:
        break;
    }
}

bool JsonValue::IsNumeric() const
{
    return mValueType == IntVal || mValueType == FloatVal || mValueType == DoubleVal;
}

JsonArray JsonValue::ToArray() const
{
    Require(mValueType == ArrayVal, "json mValueType==ArrayVal required");
    return mArrayValue;
}

int JsonValue::ToInt() const
{
    Require(IsNumeric(), "json mValueType==IsNumeric() required");
    return mIntValue;
}

float JsonValue::ToFloat() const
{
    Require(IsNumeric(), "json mValueType==IsNumeric() required");
    return mFloatValue;
}

double JsonValue::ToDouble() const
{
    Require(IsNumeric(), "json mValueType==IsNumeric() required");
    return mDoubleValue;
}

std::string JsonValue::ToString() const
{
    Require(mValueType == StringVal, "json mValueType==StringVal required");
    return mStringValue;
}

JsonObject JsonValue::ToObject() const
{
    Require(mValueType == ObjectVal, "json mValueType==ObjectVal required");
    return mObjectValue;
}
