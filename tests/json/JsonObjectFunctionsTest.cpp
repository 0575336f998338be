// Reading documents the way the version-document reader does: the top-level object's members, each
// member as text.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "json/JsonObjectFunctions.h"

namespace {

// A version document as the update server sends it, with escaped slashes, a nested object, members of
// other types and a UTF-8 text, laid out with white space.
const char VersionDocument[] =
    "{\r\n"
    "  \"version\": \"3.1.1024\",\r\n"
    "  \"md5\": \" 9e107d9d372bb6826bd81d3542a419d6 \",\r\n"
    "  \"packurl\": \"http:\\/\\/dl.example.test\\/quarn\\/exe\\/quarn\\/quarn_3.1.1024.exe\",\r\n"
    "  \"readmeurl\": \"\",\r\n"
    "  \"minimumsupportedversion\": 3.0,\r\n"
    "  \"minimumstartupversion\": {\"win\": \"6.1\", \"arch\": [32, 64], \"beta\": false},\r\n"
    "  \"flags\": [1, 2],\r\n"
    "  \"mandatory\": true,\r\n"
    "  \"note\": \"\xE6\x9B\xB4\xE6\x96\xB0\",\r\n"
    "  \"retired\": null\r\n"
    "}\r\n";

} // namespace

TEST(JsonObjectFunctions, ParseToObjectLeavesOutEmptyUnlessTheTextIsAnObject)
{
    const struct
    {
        std::string text;
        std::size_t members;
    } cases[] = {
        {"", 0},
        {" \r\n", 0},
        {"{\"a\":", 0},
        {"{\"a\":1,}", 0},
        {"{}", 0},
        {"\"text\"", 0},
        {"{\"a\":1,\"b\":{}}", 2},
        {VersionDocument, 10},
    };
    for (const auto& c : cases) {
        JsonObject out{{"stale", 1}};
        JsonParseToObject(c.text, out);
        EXPECT_EQ(out.size(), c.members) << c.text;
        EXPECT_EQ(out.count("stale"), 0u) << c.text;
    }
}

TEST(JsonObjectFunctions, ParseToObjectThrowsForATopLevelArray)
{
    for (const char* text : {"[]", "[{\"version\":\"1\"}]", " [1, 2] "}) {
        JsonObject out{{"stale", 1}};
        try {
            JsonParseToObject(text, out);
            ADD_FAILURE() << "no exception for " << text;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "json mValueType==ObjectVal required");
        }
        EXPECT_TRUE(out.empty()) << text;
    }
}

TEST(JsonObjectFunctions, GetStringReadsTextAndObjectMembersOnly)
{
    JsonObject document;
    JsonParseToObject(VersionDocument, document);
    const struct
    {
        const char* key;
        std::string text;
    } cases[] = {
        {"version", "3.1.1024"},
        {"md5", "9e107d9d372bb6826bd81d3542a419d6"},
        {"packurl", "http://dl.example.test/quarn/exe/quarn/quarn_3.1.1024.exe"},
        {"readmeurl", ""},
        {"note", "\xE6\x9B\xB4\xE6\x96\xB0"},
        // An object member comes back as compact text with its keys in byte order.
        {"minimumstartupversion", "{\"arch\":[32,64],\"beta\":false,\"win\":\"6.1\"}"},
        {"minimumsupportedversion", ""},
        {"flags", ""},
        {"mandatory", ""},
        {"retired", ""},
        {"missing", ""},
        {"MD5", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JsonGetString(document, c.key), c.text) << c.key;
    }
    EXPECT_EQ(JsonGetString(JsonObject(), "version"), "");
}
