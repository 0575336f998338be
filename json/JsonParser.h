#pragma once
// The JSON parser: reads a text held in a narrow byte string by cutting it into substrings. It finds the
// end of a nested object or array by scanning for the matching bracket, reads that piece on its own and
// goes on with the rest. It never throws for malformed input (only std::bad_alloc):
// - a malformed text gives a NullVal;
// - a nested container whose content is malformed gives a NullVal in its parent's place (stored as the
//   member's value in an object, dropped from an array) while the parent goes on;
// - a nested container whose closing bracket is missing, or of the wrong kind, makes its parent fail;
// - a container more than g_nJsonMaxDepth levels deep (the top-level one is level 1) counts as one with
//   malformed content, so the recursion, and the stack it takes, stays bounded.
//
// The language accepted differs from standard JSON in both directions; the rules are:
// - the top-level value must be an object or an array; white space is the bytes 9 to 13 and 32;
// - a key is taken raw from between its quotes (escapes are not resolved); an empty key fails the
//   object; a later duplicate replaces the earlier member; bytes before a key's opening quote and
//   between its closing quote and the colon are skipped;
// - a ',' or a ']' inside an array's content separates elements; null and empty elements are not
//   stored; a string element cannot hold a ',' or ']' unless a '[' or '{' comes before them in it;
// - a scalar runs to the next ',' and white space inside it vanishes ("1 000" is 1000); true, false
//   and null ignore case; a number with a '.' or an exponent, or one beyond the 32-bit range, is a
//   DoubleVal and any other an IntVal; ".5", "1e", "0x10", and a number that overflows a double or
//   underflows to zero are malformed; a missing scalar before a comma is the IntVal 0;
// - a string value is unescaped and then trimmed; "\u" keeps only the low byte of the number its third
//   and fourth hex digits make; an escape of an unlisted byte drops both bytes.

#include <cstddef>
#include <string>

#include "json/JsonBracketStack.h"
#include "json/JsonValue.h"

// Containers nested deeper than this, the top-level container counting as the first level, are read
// as malformed content.
constexpr int g_nJsonMaxDepth = 256;

// The parsed ObjectVal or ArrayVal, or a NullVal when the text is malformed.
JsonValue JsonDeserialize(const std::string& text);

// The object or array that the trimmed text is, or NullVal. Only its first and last bytes are tested
// before the object or array reader takes over.
JsonValue JsonParseContainer(const std::string& text, JsonBracketStack& stack);

// An ObjectVal of the members between the braces that the trimmed text begins and ends with, or
// NullVal. The braces themselves are not tested: JsonParseContainer has done that.
JsonValue JsonParseObject(const std::string& text, JsonBracketStack& stack);

// An ArrayVal of the elements of the bracketed text, or NullVal. text is replaced by its trimmed copy.
JsonValue JsonParseArray(std::string& text, JsonBracketStack& stack);

// Reads one value from the front of text (after white space) and removes what it read; a scalar stops
// before the next comma, which stays in text. error is set when the value is malformed, and then the
// result is NullVal and text is left in no particular state. A nested container that is read but has
// malformed content gives NullVal with error clear; so does an empty or all-white text.
JsonValue JsonParseValue(JsonBracketStack& stack, std::string& text, bool& error);

// Index of the bracket that closes the one text begins with, which the caller has just pushed, or -1.
// Brackets inside double quotes are skipped; a quote preceded by a backslash does not open or close.
std::ptrdiff_t JsonFindMatchingBracket(const std::string& text, JsonBracketStack& stack);

// Index of the first double quote at or after start that is not escaped (in a run of backslashes every
// second one is escaped), or -1; also -1 for a start outside the text.
std::ptrdiff_t JsonFindClosingQuote(std::ptrdiff_t start, const std::string& text);

// The text with its escape sequences resolved, then trimmed. A backslash that ends the text stays.
std::string JsonUnescape(const std::string& text);

// A copy of the text without its leading and trailing white space.
std::string JsonTrim(const std::string& text);
