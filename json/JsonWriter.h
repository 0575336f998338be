#pragma once
// The JSON writer: compact text with no white space anywhere, object members in key order, numbers
// in fixed printf forms ("%d" for an IntVal, "%f" for a FloatVal or DoubleVal: six decimals, never an
// exponent) and strings and keys written between double quotes without any escaping. A text or key
// holding a double quote or a backslash therefore gives text that is not valid JSON. A float or double
// that is not finite, which the parser never produces, is written as null. Nothing here throws but
// std::bad_alloc.

#include <string>

#include "json/JsonValue.h"

// The text of any value; the empty text for a type number outside the eight types.
std::string JsonSerialize(const JsonValue& value);

// The text of an array with these elements: "[]" when there are none.
std::string JsonSerializeArray(const JsonArray& elements);

// The text of an ObjectVal or ArrayVal; the empty text for any other type.
std::string JsonSerializeContainer(const JsonValue& value);
