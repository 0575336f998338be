#pragma once
// JsonValue: a JSON value of eight types. Every value holds all of its members at once; the type
// number in mValueType says which of them carry the value, and every reader goes by it. Text is held
// as narrow byte strings: a byte is a character, and no encoding is tested or converted.

#include <map>
#include <string>
#include <vector>

class JsonValue;

// Members of an object, each key at most once, ordered by byte-wise comparison of the keys with bytes
// taken as unsigned values (std::string's own order). Iteration, and the writer, follow this order.
typedef std::map<std::string, JsonValue> JsonObject;

// Elements of an array, in the order of insertion.
typedef std::vector<JsonValue> JsonArray;

class JsonValue
{
public:
    // The type numbers held in mValueType.
    enum Type
    {
        NullVal = 0,
        StringVal = 1,
        IntVal = 2,    // mIntValue, with the float and double copies beside it
        FloatVal = 3,  // mFloatValue, with the int and double copies beside it; made by no constructor
        DoubleVal = 4, // mDoubleValue, with the int and float copies beside it
        ObjectVal = 5,
        ArrayVal = 6,
        BoolVal = 7,
    };

    // Each constructor makes the type of its argument and leaves the unselected members empty, zero
    // or false. A number carries all three copies: the int copy of a fraction is truncated toward zero,
    // the float copy is the nearest float. Beyond the ranges of int and float the copies saturate at
    // the largest value of their type with the number's sign (not-a-number gives the int 0).
    JsonValue();                // NullVal
    JsonValue(int i);           // IntVal
    JsonValue(double d);        // DoubleVal
    JsonValue(std::string s);   // StringVal
    JsonValue(const char* s);   // StringVal; a null pointer gives the empty text
    JsonValue(JsonObject m);    // ObjectVal
    JsonValue(JsonArray a);     // ArrayVal
    JsonValue(bool b);          // BoolVal
    // Any other pointer would quietly become a BoolVal.
    JsonValue(const void*) = delete;

    // A copy has the source's type and only the members that type selects; its other members are
    // empty, zero or false. An IntVal's float and double copies are computed again from its int; a
    // FloatVal's int copy is truncated from its float while its double copy is taken unchanged; a
    // DoubleVal's int and float copies are computed again from its double.
    JsonValue(const JsonValue& other);
    // Same result as copying; the source keeps its type and is left with empty text and containers.
    JsonValue(JsonValue&& other) noexcept;

    // Assigning a value to itself does nothing. Otherwise the target takes the source's type and the
    // members that type selects, as a copy does; its other members keep what they held, out of sight
    // of every accessor. The source may be a member or element of the target.
    JsonValue& operator=(const JsonValue& other);
    JsonValue& operator=(JsonValue&& other) noexcept;

    ~JsonValue() = default;

    // True for IntVal, FloatVal and DoubleVal.
    bool IsNumeric() const;

    // Typed accessors: each returns a copy of the stored member and throws std::runtime_error, with
    // the text "json mValueType==<what> required", when the type does not select it. The number
    // accessors return the stored copy and convert nothing.
    JsonArray ToArray() const;     // ArrayVal
    int ToInt() const;             // IsNumeric()
    float ToFloat() const;         // IsNumeric()
    double ToDouble() const;       // IsNumeric()
    std::string ToString() const;  // StringVal
    JsonObject ToObject() const;   // ObjectVal

    int mValueType = NullVal;
    int mIntValue = 0;
    float mFloatValue = 0.0f;
    double mDoubleValue = 0.0;
    std::string mStringValue;
    JsonObject mObjectValue;
    JsonArray mArrayValue;
    bool mBoolValue = false;

private:
    // Takes the number copies of a numeric source by the copy rules; leaves them alone otherwise.
    void TakeNumbers(const JsonValue& source) noexcept;
};
