// Parse time of the JSON library: one version document as the update server sends it, read the way the
// version-document reader reads it, and documents of the same shape grown to 1, 16 and 64 KiB with a
// list of earlier releases, to show how parse time grows with size. The parser copies the rest of the
// text at every member and element, so the growth is expected to be worse than linear.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "json/Json.h"

namespace {

const char VersionDocument[] =
    "{\r\n"
    "  \"version\": \"3.1.1024\",\r\n"
    "  \"md5\": \"9e107d9d372bb6826bd81d3542a419d6\",\r\n"
    "  \"packurl\": \"http:\\/\\/dl.quarnsoft.com\\/quarn\\/exe\\/quarn\\/quarn_3.1.1024.exe\",\r\n"
    "  \"readmeurl\": \"http:\\/\\/dl.quarnsoft.com\\/quarn\\/exe\\/quarn\\/quarn_3.1.1024.readme\",\r\n"
    "  \"minimumsupportedversion\": \"2.0.0\",\r\n"
    "  \"minimumstartupversion\": \"2.5.310\"\r\n"
    "}\r\n";

const char* const Keys[] = {"packurl", "readmeurl", "version", "md5", "minimumsupportedversion",
                            "minimumstartupversion"};

// The version document with a "releases" array of earlier versions, grown to at least bytes.
std::string GrownDocument(std::size_t bytes)
{
    std::string text = VersionDocument;
    text.erase(text.rfind('}'));
    text += "  ,\"releases\": [\r\n";
    const std::size_t closing = 8;
    for (int n = 0; text.size() + closing < bytes; ++n) {
        char entry[400];
        std::snprintf(entry, sizeof entry,
                      "%s    {\"version\": \"3.0.%d\", \"md5\": \"%08x9e107d9d372bb6826bd81d35\", "
                      "\"packurl\": \"http:\\/\\/dl.quarnsoft.com\\/quarn\\/exe\\/quarn\\/quarn_3.0.%d.exe\", "
                      "\"size\": %d, \"mandatory\": false, \"notes\": [\"fixes\", \"\\u4e2d\"]}",
                      n == 0 ? "" : ",\r\n", n, static_cast<unsigned>(n * 2654435761u), n, 41000000 + n);
        text += entry;
    }
    text += "\r\n  ]\r\n}\r\n";
    return text;
}

// Median time of one call, in microseconds, over enough runs to take about a quarter of a second.
template <typename Call>
double MedianMicroseconds(Call call)
{
    using Clock = std::chrono::steady_clock;
    std::vector<double> times;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(250);
    do {
        const Clock::time_point start = Clock::now();
        call();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    } while (Clock::now() < end || times.size() < 5);
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

std::size_t g_sink;

} // namespace

int main()
{
    const std::string version = VersionDocument;
    const double read = MedianMicroseconds([&] {
        JsonObject document;
        JsonParseToObject(version, document);
        for (const char* key : Keys) {
            g_sink += JsonGetString(document, key).size();
        }
    });
    std::printf("version document, %zu bytes, parsed and its six members read: %.1f us\n\n", version.size(),
                read);

    std::printf("%10s %10s %14s %12s %16s\n", "size", "releases", "parse (us)", "us per KiB", "vs 1 KiB per KiB");
    double perKiBAtOne = 0.0;
    for (const std::size_t kib : {1, 16, 64, 256, 1024}) {
        const std::string text = GrownDocument(kib * 1024);
        const JsonValue parsed = JsonDeserialize(text);
        const std::size_t releases = parsed.mObjectValue.at("releases").mArrayValue.size();
        const double micros = MedianMicroseconds([&] { g_sink += JsonDeserialize(text).mObjectValue.size(); });
        const double perKiB = micros / (static_cast<double>(text.size()) / 1024.0);
        if (perKiBAtOne == 0.0) {
            perKiBAtOne = perKiB;
        }
        std::printf("%7zu KiB %10zu %14.1f %12.1f %15.1fx\n", kib, releases, micros, perKiB, perKiB / perKiBAtOne);
    }
    return g_sink == 0 ? 1 : 0;
}
