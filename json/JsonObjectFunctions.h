#pragma once
// The two functions through which the rest of the system reads JSON documents.

#include <string>

#include "json/JsonValue.h"

// Sets out to the members of the object that text holds. out is left empty when text is empty, when
// it is malformed (white space only included) and when the object has no members: the three cannot be
// told apart. A text whose top-level value is an array throws std::runtime_error with
// "json mValueType==ObjectVal required", with out empty.
void JsonParseToObject(const std::string& text, JsonObject& out);

// The member under key as text: a string member gives its text (unescaped and trimmed by the parser),
// an object member its compact JSON text. A missing member, or one of any other type, gives the empty
// text; numbers and flags are not turned into text. Throws nothing but std::bad_alloc.
std::string JsonGetString(const JsonObject& object, const std::string& key);
