#include "frontend/settings_text.h"

#include <vector>

#include "frontend/settings_line_text.h"
#include "frontend/settings_options.h"

namespace lintra {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Whitespace-separated words; quotes group a word and are dropped. False for an open quote.
bool splitWords(const char* text, std::vector<std::string>& words, std::string& error) {
    for (const char* p = text; *p != '\0';) {
        if (isSpace(*p)) {
            ++p;
            continue;
        }
        std::string word;
        while (*p != '\0' && !isSpace(*p)) {
            if (*p != '\'' && *p != '"') {
                word += *p++;
                continue;
            }
            const char quote = *p++;
            while (*p != '\0' && *p != quote) word += *p++;
            if (*p == '\0') {
                error = std::string("settings: a quote ") + quote + " is not closed";
                return false;
            }
            ++p;
        }
        words.push_back(word);
    }
    return true;
}

bool applyOptionWords(const std::vector<std::string>& words, FilterSettings& s,
                      std::string& error) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const std::size_t eq = word.find('=');
        const std::string name = word.substr(0, eq);
        const SettingsOption kind = settingsOptionKind(name);
        if (word.rfind("--", 0) != 0 || kind == SettingsOption::none) {
            error = word.rfind("--", 0) == 0
                        ? "settings: unknown option '" + name + "'"
                        : "settings: unexpected '" + word + "' (options start with --)";
            return false;
        }
        std::string value;
        if (kind == SettingsOption::valued && eq != std::string::npos) {
            value = word.substr(eq + 1);
        } else if (kind == SettingsOption::valued && i + 1 < words.size()) {
            value = words[++i];
        } else if (kind == SettingsOption::valued) {
            error = "settings: " + name + " needs a value";
            return false;
        } else if (eq != std::string::npos) {
            error = "settings: " + name + " takes no value";
            return false;
        }
        if (!applySettingsOption(name, value.c_str(), s, error)) {
            error = "settings: " + error;
            return false;
        }
    }
    return true;
}

}  // namespace

bool isBlankSettingsText(const char* text) {
    return isBlankLine(text);
}

bool settingsFromText(const char* text, FilterSettings& out, std::string& error) {
    std::vector<std::string> words;
    std::string splitError;
    const bool split = text != nullptr && splitWords(text, words, splitError);
    if (!split || words.empty() || words.front().rfind("--", 0) != 0) {
        if (settingsFromLine(text, out, error)) return true;
        error = split || text == nullptr
                    ? error + ", or settings options such as --luma-threshold 8"
                    : splitError;
        return false;
    }
    FilterSettings settings{};
    setDefaults(settings);
    if (!applyOptionWords(words, settings, error)) {
        error = oneLine(error);
        return false;
    }
    out = settings;
    return true;
}

}  // namespace lintra
