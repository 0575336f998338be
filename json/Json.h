#pragma once
// The JSON library: the value model, the writer, the parser and the object functions through which the
// rest of the system reads documents. Plain C++17 with no platform header, so that it also builds and
// is tested natively.

#include "json/JsonObjectFunctions.h"
#include "json/JsonParser.h"
#include "json/JsonValue.h"
#include "json/JsonWriter.h"
