#include "json/JsonParser.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

bool IsJsonSpace(char c)
{
    const unsigned char b = static_cast<unsigned char>(c);
    return (b >= 9 && b <= 13) || b == ' ';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// word is lowercase.
bool EqualsNoCase(const std::string& text, const char* word)
{
    std::size_t i = 0;
    for (; i < text.size() && word[i] != '\0'; ++i) {
        if (AsciiLower(text[i]) != word[i]) {
            return false;
        }
    }
    return i == text.size() && word[i] == '\0';
}

// Counts one more container being read for as long as it lives, so that every way out of a reader,
// exceptions included, gives the level back.
class ContainerLevel
{
public:
    explicit ContainerLevel(JsonBracketStack& stack) : m_stack(stack) { m_stack.EnterContainer(); }
    ~ContainerLevel() { m_stack.LeaveContainer(); }
    ContainerLevel(const ContainerLevel&) = delete;
    ContainerLevel& operator=(const ContainerLevel&) = delete;

    bool TooDeep() const { return m_stack.Depth() > g_nJsonMaxDepth; }

private:
    JsonBracketStack& m_stack;
};

JsonValue Malformed(bool& error)
{
    error = true;
    return JsonValue();
}

// Optional sign, then digits with an optional fraction (at least one digit in all), then an optional
// exponent: 'e' or 'E', an optional sign and at least one digit. strtod also reads hexadecimal,
// infinity and not-a-number forms, depending on the C library; those are not numbers of this language.
bool IsDecimalNumber(const std::string& t)
{
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    for (; i < t.size() && IsDigit(t[i]); ++i) {
        ++digits;
    }
    if (i < t.size() && t[i] == '.') {
        for (++i; i < t.size() && IsDigit(t[i]); ++i) {
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
            ++i;
        }
        std::size_t exponentDigits = 0;
        for (; i < t.size() && IsDigit(t[i]); ++i) {
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == t.size();
}

bool HasNonZeroMantissaDigit(const std::string& t)
{
    for (char c : t) {
        if (c == 'e' || c == 'E') {
            break;
        }
        if (c >= '1' && c <= '9') {
            return true;
        }
    }
    return false;
}

// Converts the whole token as a decimal floating-point number. Fails when the token is not one, when
// it overflows a double, or when it is so small that it becomes zero. Both range errors are judged on
// the result, because C libraries differ in when they report ERANGE.
bool ToDouble(const std::string& token, double& result)
{
    if (!IsDecimalNumber(token)) {
        return false;
    }
    char* end = nullptr;
    const double d = std::strtod(token.c_str(), &end);
    if (end != token.c_str() + token.size()) {
        return false;
    }
    if (std::isinf(d) || (d == 0.0 && HasNonZeroMantissaDigit(token))) {
        return false;
    }
    result = d;
    return true;
}

enum class IntConversion { Done, OutOfRange, Malformed };

// Converts the whole token as a base-10 signed 32-bit integer: optional sign, digits. The empty token
// reaches its end and gives 0. long is 64 bits wide on some platforms, so the 32-bit range is tested
// here rather than left to strtol.
IntConversion ToInt(const std::string& token, int& result)
{
    char* end = nullptr;
    errno = 0;
    const long long n = std::strtoll(token.c_str(), &end, 10);
    if (end != token.c_str() + token.size()) {
        return IntConversion::Malformed;
    }
    if (errno == ERANGE || n < INT_MIN || n > INT_MAX) {
        return IntConversion::OutOfRange;
    }
    result = static_cast<int>(n);
    return IntConversion::Done;
}

// The scalar rules: a number, a flag or null, running from the front of text to the next comma.
JsonValue ReadScalar(JsonBracketStack& stack, std::string& text, bool& error)
{
    std::string token;
    bool digitSeen = false;
    bool pointSeen = false;
    bool exponentSeen = false;
    std::size_t i = 0;
    for (; i < text.size() && text[i] != ','; ++i) {
        const char c = text[i];
        switch (c) {
        case '.':
            if (!digitSeen) {
                return Malformed(error);
            }
            pointSeen = true;
            break;
        case 'e':
        case 'E':
            if (EqualsNoCase(token, "fals") || EqualsNoCase(token, "tru")) {
                break;
            }
            if (!digitSeen || exponentSeen) {
                return Malformed(error);
            }
            exponentSeen = true;
            break;
        // A token holding a closing bracket never passes the decisions below; the pops only keep the
        // stack in step with the bracket scan's.
        case ']':
            if (!stack.TopIs(JsonBracketStack::Bracket)) {
                return Malformed(error);
            }
            stack.Pop();
            break;
        case '}':
            if (!stack.TopIs(JsonBracketStack::Brace)) {
                return Malformed(error);
            }
            stack.Pop();
            break;
        case '[':
        case '{':
            return Malformed(error);
        default:
            break;
        }
        if (!IsJsonSpace(c)) {
            token += c;
            digitSeen = digitSeen || IsDigit(c);
        }
    }

    JsonValue value;
    if (EqualsNoCase(token, "true")) {
        value = JsonValue(true);
    } else if (EqualsNoCase(token, "false")) {
        value = JsonValue(false);
    } else if (pointSeen || exponentSeen) {
        double d = 0.0;
        if (!ToDouble(token, d)) {
            return Malformed(error);
        }
        value = JsonValue(d);
    } else if (!EqualsNoCase(token, "null")) {
        int n = 0;
        double d = 0.0;
        switch (ToInt(token, n)) {
        case IntConversion::Done:
            value = JsonValue(n);
            break;
        case IntConversion::OutOfRange:
            if (!ToDouble(token, d)) {
                return Malformed(error);
            }
            value = JsonValue(d);
            break;
        case IntConversion::Malformed:
            return Malformed(error);
        }
    }
    text.erase(0, i);
    return value;
}

// A nested object or array at the front of text, the opening bracket of the given kind.
JsonValue ReadNested(JsonBracketStack& stack, std::string& text, bool& error, JsonBracketStack::Kind kind)
{
    stack.Push(kind);
    const std::ptrdiff_t close = JsonFindMatchingBracket(text, stack);
    if (close < 0) {
        return Malformed(error);
    }
    std::string piece = text.substr(0, close + 1);
    // The rest is cut off before the piece is read, so that a deep document does not hold every
    // level's whole remainder at once.
    text.erase(0, close + 1);
    return kind == JsonBracketStack::Bracket ? JsonParseArray(piece, stack) : JsonParseContainer(piece, stack);
}

} // namespace

JsonValue JsonDeserialize(const std::string& text)
{
    JsonBracketStack stack;
    return JsonParseContainer(text, stack);
}

JsonValue JsonParseContainer(const std::string& text, JsonBracketStack& stack)
{
    std::string t = JsonTrim(text);
    if (t.empty() || (t.front() != '{' && t.front() != '[')) {
        return JsonValue();
    }
    const bool object = t.front() == '{';
    if (t.back() != (object ? '}' : ']')) {
        return JsonValue();
    }
    const JsonBracketStack::Kind kind = object ? JsonBracketStack::Brace : JsonBracketStack::Bracket;
    stack.Push(kind);
    JsonValue result = object ? JsonParseObject(t, stack) : JsonParseArray(t, stack);
    if (result.mValueType != JsonValue::NullVal && stack.TopIs(kind)) {
        stack.Pop();
    }
    return result;
}

JsonValue JsonParseObject(const std::string& text, JsonBracketStack& stack)
{
    const std::string braced = JsonTrim(text);
    // Only a direct caller can hand over fewer than the two braces, and cutting them off would then
    // reach outside the text.
    if (braced.size() < 2) {
        return JsonValue();
    }
    const ContainerLevel level(stack);
    if (level.TooDeep()) {
        return JsonValue();
    }

    std::string t = braced.substr(1, braced.size() - 2);
    JsonObject members;
    while (!t.empty()) {
        const std::ptrdiff_t open = JsonFindClosingQuote(0, t);
        const std::ptrdiff_t close = open < 0 ? -1 : JsonFindClosingQuote(open + 1, t);
        const std::size_t colon = close < 0 ? std::string::npos : t.find(':', close);
        if (colon == std::string::npos) {
            return JsonValue();
        }
        std::string key = t.substr(open + 1, close - open - 1);
        if (key.empty()) {
            return JsonValue();
        }
        t.erase(0, colon + 1);

        bool error = false;
        JsonValue value = JsonParseValue(stack, t, error);
        if (error) {
            return JsonValue();
        }
        members[std::move(key)] = std::move(value);
    }
    return JsonValue(std::move(members));
}

JsonValue JsonParseArray(std::string& text, JsonBracketStack& stack)
{
    text = JsonTrim(text);
    if (text.empty() || text.front() != '[' || text.back() != ']') {
        return JsonValue();
    }
    const ContainerLevel level(stack);
    if (level.TooDeep()) {
        return JsonValue();
    }

    std::string s = text.substr(1, text.size() - 2);
    JsonArray elements;
    while (!s.empty()) {
        const std::size_t stop = s.find_first_of("{[,]");
        bool error = false;
        if (stop != std::string::npos && (s[stop] == '{' || s[stop] == '[')) {
            // The bytes before the bracket belong to what is read here: white space vanishes, and
            // anything else is either a string holding the bracket or a malformed element.
            JsonValue value = JsonParseValue(stack, s, error);
            if (error) {
                return JsonValue();
            }
            if (value.mValueType != JsonValue::NullVal) {
                elements.push_back(std::move(value));
            }
            continue;
        }
        // A ',' or ']' ends the token; without one the token runs to the end of s.
        std::string token = s.substr(0, stop);
        JsonValue value = JsonParseValue(stack, token, error);
        if (error) {
            return JsonValue();
        }
        if (value.mValueType != JsonValue::NullVal) {
            elements.push_back(std::move(value));
        }
        s.erase(0, stop == std::string::npos ? s.size() : stop + 1);
    }
    return JsonValue(std::move(elements));
}

JsonValue JsonParseValue(JsonBracketStack& stack, std::string& text, bool& error)
{
    error = false;
    text = JsonTrim(text);
    if (text.empty()) {
        return JsonValue();
    }
    switch (text.front()) {
    case '[':
        return ReadNested(stack, text, error, JsonBracketStack::Bracket);
    case '{':
        return ReadNested(stack, text, error, JsonBracketStack::Brace);
    case '"': {
        const std::ptrdiff_t close = JsonFindClosingQuote(1, text);
        if (close < 0) {
            return Malformed(error);
        }
        JsonValue value(JsonUnescape(text.substr(1, close - 1)));
        text.erase(0, close + 1);
        return value;
    }
    default:
        return ReadScalar(stack, text, error);
    }
}

std::ptrdiff_t JsonFindMatchingBracket(const std::string& text, JsonBracketStack& stack)
{
    const std::size_t baseDepth = stack.Size();
    if (text.size() < 2) {
        return -1;
    }
    bool inString = false;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            if (text[i - 1] != '\\') {
                inString = !inString;
            }
            continue;
        }
        if (inString) {
            continue;
        }
        if (c == '[' || c == '{') {
            stack.Push(c == '[' ? JsonBracketStack::Bracket : JsonBracketStack::Brace);
        } else if (c == ']' || c == '}') {
            if (!stack.TopIs(c == ']' ? JsonBracketStack::Bracket : JsonBracketStack::Brace)) {
                return -1;
            }
            const std::size_t sizeBeforePop = stack.Size();
            stack.Pop();
            if (sizeBeforePop == baseDepth) {
                return static_cast<std::ptrdiff_t>(i);
            }
        }
    }
    return -1;
}

std::ptrdiff_t JsonFindClosingQuote(std::ptrdiff_t start, const std::string& text)
{
    if (start < 0 || static_cast<std::size_t>(start) >= text.size()) {
        return -1;
    }
    bool escaped = false;
    for (std::size_t i = static_cast<std::size_t>(start); i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            escaped = !escaped;
        } else if (c == '"' && !escaped) {
            return static_cast<std::ptrdiff_t>(i);
        } else {
            escaped = false;
        }
    }
    return -1;
}

std::string JsonUnescape(const std::string& text)
{
    std::string result;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            result += text[i];
            ++i;
            continue;
        }
        switch (text[i + 1]) {
        case '"':
            result += '"';
            break;
        case '\\':
            result += '\\';
            break;
        case '/':
            result += '/';
            break;
        case 'b':
            result += '\b';
            break;
        case 'f':
            result += '\f';
            break;
        case 'n':
            result += '\n';
            break;
        case 'r':
            result += '\r';
            break;
        case 't':
            result += '\t';
            break;
        case 'u': {
            // Only the third and fourth characters after the 'u' are read, as far as the text reaches.
            const std::size_t from = i + 4;
            const std::string digits = from < text.size() ? text.substr(from, 2) : std::string();
            result += static_cast<char>(std::strtoul(digits.c_str(), nullptr, 16) & 0xFF);
            i += 6;
            continue;
        }
        default:
            break;
        }
        i += 2;
    }
    return JsonTrim(result);
}

std::string JsonTrim(const std::string& text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsJsonSpace(text[first])) {
        ++first;
    }
    while (last > first && IsJsonSpace(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}
