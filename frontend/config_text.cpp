#include "frontend/config_text.h"

#include <cstdint>
#include <cstring>

#include "persistence/config_line.h"

namespace lintra {
namespace {

constexpr int kConfigWords = 4;
constexpr std::int64_t kLowestWord = -2147483648LL;
constexpr std::int64_t kHighestWord = 4294967295LL;

// A small cursor over the text; every reader skips the whitespace in front of its token.
struct Cursor {
    const char* p;

    void skipSpace() {
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') {
            ++p;
        }
    }
    bool accept(char c) {
        skipSpace();
        if (*p != c) return false;
        ++p;
        return true;
    }
    bool acceptWord(const char* word) {
        skipSpace();
        const std::size_t n = std::strlen(word);
        if (std::strncmp(p, word, n) != 0) return false;
        p += n;
        return true;
    }
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool endsToken(char c) {
    return c == '\0' || c == ',' || c == ')' || c == ';' || c == ' ' || c == '\t' || c == '\n' ||
           c == '\r';
}

// The token at the cursor as the user wrote it, for messages.
std::string tokenAt(const char* p) {
    std::string token;
    while (!endsToken(*p) && token.size() < 24) {
        token += *p++;
    }
    return token.empty() ? std::string(*p == '\0' ? "end of text" : std::string(1, *p))
                         : "'" + token + "'";
}

// One integer in -2147483648..4294967295, stored as the 32-bit word it denotes.
bool readWord(Cursor& cur, std::int32_t& word, std::string& error) {
    cur.skipSpace();
    const char* start = cur.p;
    bool negative = false;
    if (*cur.p == '-' || *cur.p == '+') negative = (*cur.p++ == '-');
    if (!isDigit(*cur.p)) {
        error = "expected an integer, found " + tokenAt(start);
        return false;
    }
    std::int64_t magnitude = 0;
    bool tooLarge = false;
    while (isDigit(*cur.p)) {
        if (!tooLarge) magnitude = magnitude * 10 + (*cur.p - '0');
        if (magnitude > kHighestWord) tooLarge = true;
        ++cur.p;
    }
    if (!endsToken(*cur.p)) {
        error = tokenAt(start) + " is not an integer";
        return false;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (tooLarge || value < kLowestWord || value > kHighestWord) {
        error = std::string(start, static_cast<std::size_t>(cur.p - start)) +
                " is out of range (-2147483648..4294967295)";
        return false;
    }
    word = static_cast<std::int32_t>(static_cast<std::uint32_t>(value & 0xFFFFFFFFLL));
    return true;
}

bool readWords(Cursor& cur, std::int32_t (&words)[kConfigWords], std::string& error) {
    for (int i = 0; i < kConfigWords; ++i) {
        if (i > 0 && !cur.accept(',')) {
            error = "expected 4 integers separated by commas, found " + std::to_string(i) +
                    " then " + tokenAt(cur.p);
            return false;
        }
        if (!readWord(cur, words[i], error)) return false;
    }
    return true;
}

}  // namespace

bool parseConfigText(const char* text, FilterSettings& out, std::string& error) {
    if (text == nullptr) {
        error = "no settings line given";
        return false;
    }
    Cursor cur{text};
    const bool call = cur.acceptWord("Config");
    if (call && !cur.accept('(')) {
        error = "expected '(' after Config";
        return false;
    }
    std::int32_t words[kConfigWords] = {};
    if (!readWords(cur, words, error)) return false;
    if (call && !cur.accept(')')) {
        error = "expected ')' after the 4th integer, found " + tokenAt(cur.p);
        return false;
    }
    cur.accept(';');
    cur.skipSpace();
    if (*cur.p != '\0') {
        error = "unexpected text after the settings: " + tokenAt(cur.p);
        return false;
    }
    parseConfig(out, words[0], words[1], words[2], words[3]);
    return true;
}

}  // namespace lintra
