#pragma once
// The JSON library: the value model, the writer, the parser and the object functions through which the
// rest of the system reads documents. Plain C++17 with no platform header, so that it also builds and
// is tested natively. Numbers are read and written with the C library in its default "C" locale (a '.'
// as the decimal point), which the program never changes. Values and parses share no state, so
// separate threads may use the library at once, each on values of its own.

#include "json/JsonObjectFunctions.h"
#include "json/JsonParser.h"
#include "json/JsonValue.h"
#include "json/JsonWriter.h"
