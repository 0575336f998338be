// The parser's rules, pinned by their consequences. Each parsed value is shown as the writer's text of
// it, which tells the types apart: 12 is an IntVal, 12.000000 a DoubleVal, "null" at the top a failed
// parse.

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <string>

#include "json/JsonParser.h"
#include "json/JsonWriter.h"

namespace {

struct ReadCase
{
    std::string text;
    std::string read;
};

std::string Read(const std::string& text)
{
    return JsonSerialize(JsonDeserialize(text));
}

void ExpectReads(const std::vector<ReadCase>& cases)
{
    for (const ReadCase& c : cases) {
        EXPECT_EQ(Read(c.text), c.read) << "text: " << c.text;
    }
}

// "{"n":<value>}" for each value, and what it reads as.
void ExpectMembers(const std::vector<ReadCase>& values)
{
    for (const ReadCase& c : values) {
        const std::string read = c.read == "malformed" ? "null" : "{\"n\":" + c.read + "}";
        EXPECT_EQ(Read("{\"n\":" + c.text + "}"), read) << "value: " << c.text;
    }
}

std::string NestedArrays(int depth)
{
    return std::string(depth, '[') + std::string(depth, ']');
}

std::string NestedObjects(int depth, const std::string& innermost)
{
    std::string text;
    for (int i = 0; i < depth; ++i) {
        text += "{\"a\":";
    }
    return text + innermost + std::string(depth, '}');
}

} // namespace

TEST(JsonParser, TopLevelMustBeOneObjectOrArray)
{
    ExpectReads({
        {"", "null"},
        {" \t\r\n\v\f", "null"},
        {"\"text\"", "null"},
        {"12", "null"},
        {"x{}", "null"},
        {"{} x", "null"},
        {"{", "null"},
        {"[", "null"},
        {"{]", "null"},
        {"[}", "null"},
        {"{}", "{}"},
        {" \n{}\t ", "{}"},
        {"{ }", "null"},
        {"[]", "[]"},
        {"[ ]", "[]"},
        {"{\"a\":1}", "{\"a\":1}"},
    });
}

TEST(JsonParser, Numbers)
{
    ExpectMembers({
        {"12", "12"},
        {"-5", "-5"},
        {"+5", "5"},
        {"-0", "0"},
        {"007", "7"},
        {"1 000", "1000"},
        {" 1.5 ", "1.500000"},
        {"1.5", "1.500000"},
        {"5.", "5.000000"},
        {"-0.5", "-0.500000"},
        {"1e3", "1000.000000"},
        {"1E+3", "1000.000000"},
        {"2.5e-3", "0.002500"},
        {"2147483647", "2147483647"},
        {"2147483648", "2147483648.000000"},
        {"-2147483648", "-2147483648"},
        {"-2147483649", "-2147483649.000000"},
        {"99999999999999999999", "100000000000000000000.000000"},
        {"0e-400", "0.000000"},
        // A result too small to be normal is still a number; only one that becomes zero is not.
        {"1e-310", "0.000000"},
        {"1e400", "malformed"},
        {"-1e400", "malformed"},
        {"1e-400", "malformed"},
        {".5", "malformed"},
        {"-.5", "malformed"},
        {"1e", "malformed"},
        {"1e+", "malformed"},
        {"1e5e5", "malformed"},
        {"1.2.3", "malformed"},
        {"1e3.5", "malformed"},
        {"0x10", "malformed"},
        // Hexadecimal, infinity and not-a-number forms, which some C libraries' strtod reads.
        {"0x1e3", "malformed"},
        {"0x1.8p1", "malformed"},
        {"1.5inf", "malformed"},
        {"inf", "malformed"},
        {"nan", "malformed"},
        {"12abc", "malformed"},
        {"-", "malformed"},
        {"1]", "malformed"},
        {"1}", "malformed"},
        {"1 \"b\":2", "malformed"},
    });

    // The copies of a number beyond the int and float ranges saturate.
    const JsonObject beyondInt = JsonDeserialize("{\"n\":2147483648}").ToObject();
    EXPECT_EQ(beyondInt.at("n").mValueType, JsonValue::DoubleVal);
    EXPECT_EQ(beyondInt.at("n").ToInt(), INT_MAX);
    const JsonObject beyondFloat = JsonDeserialize("{\"n\":-1e300}").ToObject();
    EXPECT_EQ(beyondFloat.at("n").ToFloat(), -FLT_MAX);
    EXPECT_EQ(beyondFloat.at("n").ToInt(), INT_MIN);
    EXPECT_EQ(beyondFloat.at("n").ToDouble(), -1e300);
}

TEST(JsonParser, WordsIgnoreCaseAndInnerBlanks)
{
    ExpectMembers({
        {"true", "true"},
        {"TRUE", "true"},
        {"tRuE", "true"},
        {"t r u e", "true"},
        {"False", "false"},
        {"f a\tl s e", "false"},
        {"null", "null"},
        {"NULL", "null"},
        {"n u l l", "null"},
        {"tru", "malformed"},
        {"truee", "malformed"},
        {"nul", "malformed"},
        {"yes", "malformed"},
        {"true false", "malformed"},
    });
}

TEST(JsonParser, MissingValues)
{
    ExpectReads({
        {"{\"n\":}", "{\"n\":null}"},
        {"{\"n\": \t}", "{\"n\":null}"},
        {"{\"n\":,\"m\":1}", "{\"m\":1,\"n\":0}"},
        {"{\"n\":1,2}", "null"},
    });
}

TEST(JsonParser, Keys)
{
    ExpectReads({
        {"{\"a\":1,\"a\":\"two\"}", "{\"a\":\"two\"}"},
        {"{\"b\":1,\"a\":2}", "{\"a\":2,\"b\":1}"},
        {"{\"\":1}", "null"},
        {"{\"a\":1,\"\":2}", "null"},
        // Escapes in keys are kept as written.
        {"{\"a\\\"b\":1}", "{\"a\\\"b\":1}"},
        {"{\"a\\\\\":1}", "{\"a\\\\\":1}"},
        {"{\"a:b\":1}", "{\"a:b\":1}"},
        {"{\" a \":1}", "{\" a \":1}"},
        // Stray bytes before a key, and between a key and its colon, are skipped.
        {"{ xx \"a\":1}", "{\"a\":1}"},
        {"{\"a\" junk :1}", "{\"a\":1}"},
        {"{\"a\":\"x\" junk \"b\":2}", "{\"a\":\"x\",\"b\":2}"},
        {"{\"a\":\"x\"\"b\":2}", "{\"a\":\"x\",\"b\":2}"},
        {"{\"a\":[1]\"b\":2}", "{\"a\":[1],\"b\":2}"},
        {"{\"a\":{}\"b\":2}", "{\"a\":{},\"b\":2}"},
        // After a scalar the next member joins it.
        {"{\"a\":1 \"b\":2}", "null"},
        {"{\"a\":true \"b\":2}", "null"},
        {"{\"a\":1,}", "null"},
        {"{\"a\"}", "null"},
        {"{\"a\":1,\"b\"}", "null"},
        {"{\"a}", "null"},
        {"{a:1}", "null"},
    });
    const JsonObject escapedKey = JsonDeserialize("{\"a\\\"b\":1}").ToObject();
    EXPECT_EQ(escapedKey.count("a\\\"b"), 1u);
}

TEST(JsonParser, Arrays)
{
    ExpectReads({
        {"[1,null,,2]", "[1,2]"},
        {"[1,2,]", "[1,2]"},
        {"[,]", "[]"},
        {"[,,]", "[]"},
        {"[]]", "[]"},
        {"[1]2]", "[1,2]"},
        {"[ 1 , 2 ]", "[1,2]"},
        {"[1 2]", "[12]"},
        {"[true,False,\"x\",1.5]", "[true,false,\"x\",1.500000]"},
        // A string element is cut at a ',' or ']', unless a '[' or '{' comes before them.
        {"[\"a,b\"]", "null"},
        {"[\"a]b\"]", "null"},
        {"[\"a[b,c]\"]", "[\"a[b,c]\"]"},
        {"[\"a{b\"]", "[\"a{b\"]"},
        {"[\"a}b\"]", "[\"a}b\"]"},
        // The bracket that lets the comma through is an escape, gone once read, so the writer's text of
        // this array is the one above that does not read.
        {"[\"a\\[,b\"]", "[\"a,b\"]"},
        {"[\"a\\\"b\"]", "[\"a\"b\"]"},
        {"[\"x\\\\\"]", "[\"x\\\"]"},
        {"[[1,2],[3]]", "[[1,2],[3]]"},
        {"[[],{}]", "[[],{}]"},
        {"[{\"a\":1},{\"b\":[2]}]", "[{\"a\":1},{\"b\":[2]}]"},
        {"[\"x\"[1]]", "[\"x\",[1]]"},
        {"[1 [2]]", "null"},
        {"[-]", "null"},
        {"[{\"a\":1}}]", "null"},
        // A malformed nested element is dropped; one without its closing bracket fails the array.
        {"[[1,.5],2]", "[2]"},
        {"[{\"a\":.5},3]", "[3]"},
        {"[[1,2]", "null"},
        {"[[1],2", "null"},
    });
}

TEST(JsonParser, NestedContainers)
{
    ExpectReads({
        {"{\"a\":{\"b\":{\"c\":[true]}}}", "{\"a\":{\"b\":{\"c\":[true]}}}"},
        {"{\"a\":[ ]}", "{\"a\":[]}"},
        // Malformed content: the member is null and the object goes on.
        {"{\"a\":[1,.5],\"b\":2}", "{\"a\":null,\"b\":2}"},
        {"{\"a\":{\"x\" 1},\"b\":1}", "{\"a\":null,\"b\":1}"},
        {"{\"a\":{\"b\":1,},\"c\":2}", "{\"a\":null,\"c\":2}"},
        {"{\"a\":{ }}", "{\"a\":null}"},
        // A closing bracket missing or of the wrong kind: the whole object fails.
        {"{\"a\":[1,2,\"b\":2}", "null"},
        {"{\"a\":[1}],\"b\":1}", "null"},
        // The bracket scan takes a quote after a backslash as escaped, so this string never ends.
        {"{\"a\":[\"x\\\\\"]}", "null"},
        // The bracket scan skips brackets inside strings.
        {"{\"a\":[\"[x]\",\"{\"],\"b\":\"}\"}", "{\"a\":[\"[x]\",\"{\"],\"b\":\"}\"}"},
        // It finds the end of this array, but the array itself cuts the string element at the ']'.
        {"{\"a\":[\"]\"],\"b\":1}", "{\"a\":null,\"b\":1}"},
    });
}

TEST(JsonParser, StringValues)
{
    ExpectReads({
        {"{\"s\":\"  x  \"}", "{\"s\":\"x\"}"},
        {"{\"s\":\"\\nx y\\n\"}", "{\"s\":\"x y\"}"},
        {"{\"s\":\"a\\qb\"}", "{\"s\":\"ab\"}"},
        {"{\"s\":\"http:\\/\\/host\\/p\"}", "{\"s\":\"http://host/p\"}"},
        {"{\"s\":\"\"}", "{\"s\":\"\"}"},
        {"{\"s\":\"\\\"\"}", "{\"s\":\"\"\"}"},
        {"{\"s\":\"a,b]\"}", "{\"s\":\"a,b]\"}"},
        {"{\"s\":\"x}", "null"},
        {"{\"s\":\"a\"b\"}", "null"},
    });
    const JsonObject text = JsonDeserialize("{\"s\":\"\\u00e9\\u4e2d\"}").ToObject();
    EXPECT_EQ(text.at("s").ToString(), "\xE9-");
}

TEST(JsonParser, UnescapeResolvesEscapesThenTrims)
{
    const ReadCase cases[] = {
        {"a\\\"b", "a\"b"},
        {"a\\\\b", "a\\b"},
        {"a\\/b", "a/b"},
        {"a\\bb", "a\bb"},
        {"a\\fb", "a\fb"},
        {"a\\nb", "a\nb"},
        {"a\\rb", "a\rb"},
        {"a\\tb", "a\tb"},
        {"a\\u00e9b", "a\xE9" "b"},
        {"\\u4e2d", "-"},
        {"a\\u0041b", "aAb"},
        {"a\\u00zzb", std::string("a\0b", 3)},
        {"a\\u00-1", "a\xFF"},
        {"a\\u123", "a\x03"},
        {"a\\u12", std::string("a\0", 2)},
        {"a\\u", std::string("a\0", 2)},
        {"a\\qb", "ab"},
        {"ab\\", "ab\\"},
        {"\\", "\\"},
        {"\\\\\\", "\\\\"},
        {"  \\n x \\t ", "x"},
        {"\\u0020x\\u0009", "x"},
        {"", ""},
    };
    for (const ReadCase& c : cases) {
        EXPECT_EQ(JsonUnescape(c.text), c.read) << "text: " << c.text;
    }
}

TEST(JsonParser, TrimRemovesOnlyAsciiWhiteSpace)
{
    const ReadCase cases[] = {
        {"", ""},
        {" \t\n\v\f\r", ""},
        {"\v x y \f", "x y"},
        {"\xA0x\xA0", "\xA0x\xA0"},
        {std::string("\0 x", 3), std::string("\0 x", 3)},
    };
    for (const ReadCase& c : cases) {
        EXPECT_EQ(JsonTrim(c.text), c.read);
    }
}

TEST(JsonParser, ClosingQuote)
{
    const struct
    {
        std::ptrdiff_t start;
        std::string text;
        std::ptrdiff_t index;
    } cases[] = {
        {0, "\"", 0},
        {0, "ab\"c", 2},
        {0, "a\\\"b\"", 4},
        {0, "a\\\\\"b", 3},
        {0, "a\\\\\\\"b\"", 6},
        {1, "\"a\"", 2},
        {3, "\"a\"", -1},
        {9, "\"a\"", -1},
        {-1, "\"a\"", -1},
        {0, "", -1},
        {0, "abc", -1},
        {0, "a\\\"", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JsonFindClosingQuote(c.start, c.text), c.index) << c.start << " " << c.text;
    }
}

TEST(JsonParser, MatchingBracket)
{
    const struct
    {
        std::string text;
        std::ptrdiff_t index;
    } cases[] = {
        {"[]", 1},
        {"[1,[2],3]", 8},
        {"{\"a\":[1]}", 8},
        {"[1]]", 2},
        {"[1,\"]\"]", 6},
        {"[1,\"\\\"]\"]", 8},
        {"[\"a\\\\\"]", -1},
        {"[1}", -1},
        {"[", -1},
        {"[[1]", -1},
    };
    for (const auto& c : cases) {
        JsonBracketStack stack;
        stack.Push(c.text[0] == '[' ? JsonBracketStack::Bracket : JsonBracketStack::Brace);
        EXPECT_EQ(JsonFindMatchingBracket(c.text, stack), c.index) << c.text;
        // The bracket that matches pops the caller's own push.
        if (c.index >= 0) {
            EXPECT_EQ(stack.Size(), 0u) << c.text;
        }
    }
}

TEST(JsonParser, ParseValueRemovesWhatItRead)
{
    const struct
    {
        std::string text;
        std::string value;
        bool error;
        std::string rest;
    } cases[] = {
        {"  12 , \"b\":1", "12", false, ", \"b\":1"},
        {" \"ab\" , x", "\"ab\"", false, " , x"},
        {"[1] tail", "[1]", false, " tail"},
        {"{\"a\":{}} tail", "{\"a\":{}}", false, " tail"},
        {"[1,.5] tail", "null", false, " tail"},
        {" \t ", "null", false, ""},
        {",x", "0", false, ",x"},
        {"[1, 2", "null", true, ""},
        {"\"open", "null", true, ""},
        {"1.2.3", "null", true, ""},
    };
    for (const auto& c : cases) {
        JsonBracketStack stack;
        stack.Push(JsonBracketStack::Brace);
        std::string text = c.text;
        bool error = !c.error;
        const JsonValue value = JsonParseValue(stack, text, error);
        EXPECT_EQ(JsonSerialize(value), c.value) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        if (!c.error) {
            EXPECT_EQ(text, c.rest) << c.text;
        }
    }
}

TEST(JsonParser, NestingBeyondTheBoundReadsAsMalformedContent)
{
    ASSERT_EQ(g_nJsonMaxDepth, 256);
    ExpectReads({
        {NestedArrays(256), NestedArrays(256)},
        {NestedObjects(256, "1"), NestedObjects(256, "1")},
        // The container one level too deep is dropped from its array, or stored as a null member.
        {NestedArrays(257), NestedArrays(256)},
        {NestedObjects(257, "1"), NestedObjects(256, "null")},
        {NestedObjects(20000, "1"), NestedObjects(256, "null")},
        // Its closing bracket is still looked for: without one the parent fails as always.
        {"[" + std::string(20000, '[') + "]", "null"},
        {NestedObjects(300, "[1"), "null"},
    });

    // What lies beside a container that is too deep is read as written.
    const std::string doc = "{\"deep\":" + NestedArrays(300) + ",\"version\":\"1.2\"}";
    EXPECT_EQ(Read(doc), "{\"deep\":" + NestedArrays(255) + ",\"version\":\"1.2\"}");
}
