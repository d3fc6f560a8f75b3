#include "workbook/number_format.h"

#include <string>
#include <vector>

namespace agrimor {

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The code without quoted text, escapes, fill and space items, and brackets, in lower case. An
// elapsed-time bracket sets `elapsed` and leaves its letter, except [m]: alone, an m run would
// read as a month.
std::string withoutLiterals(std::string_view code, bool& elapsed) {
    std::string out;
    out.reserve(code.size());
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '"') {
            const std::size_t close = code.find('"', i + 1);
            i = close == std::string_view::npos ? code.size() : close;
        } else if (c == '\\' || c == '*' || c == '_') {
            ++i;  // the next character is literal, a fill or a width
        } else if (c == '[') {
            const std::size_t close = code.find(']', i + 1);
            const std::string_view inside =
                code.substr(i + 1, (close == std::string_view::npos ? code.size() : close) - i - 1);
            i = close == std::string_view::npos ? code.size() : close;
            const char first = inside.empty() ? '\0' : lower(inside.front());
            const bool oneLetter =
                !inside.empty() &&
                inside.find_first_not_of(first == 'h'   ? "hH"
                                         : first == 's' ? "sS"
                                                        : "mM") == std::string_view::npos;
            elapsed = elapsed || (oneLetter && (first == 'h' || first == 'm' || first == 's'));
            if (oneLetter && (first == 'h' || first == 's'))
                out += first;
            out += ' ';
        } else {
            out += lower(c);
        }
    }
    return out;
}

// `text` with every `what` turned into one blank.
std::string withoutAll(std::string_view text, std::string_view what) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at, what.size()) == what) {
            out += ' ';
            at += what.size();
        } else {
            out += text[at++];
        }
    }
    return out;
}

}  // namespace

NumberFormatKind builtInFormatKind(int id) {
    if ((id >= 14 && id <= 17) || id == 22)
        return NumberFormatKind::Date;
    if ((id >= 18 && id <= 21) || (id >= 45 && id <= 47))
        return NumberFormatKind::Time;
    return NumberFormatKind::Number;
}

NumberFormatKind formatCodeKind(std::string_view code) {
    bool elapsed = false;
    const std::string text = withoutAll(withoutAll(withoutLiterals(code, elapsed), "am/pm"), "a/p");
    std::vector<char> runs;  // the letter of each run of d, y, m, h, s
    char previous = '\0';
    for (const char c : text) {
        const bool part = c == 'd' || c == 'y' || c == 'm' || c == 'h' || c == 's';
        if (part && c != previous)
            runs.push_back(c);
        previous = part ? c : '\0';
    }
    bool time = elapsed;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (runs[i] == 'd' || runs[i] == 'y')
            return NumberFormatKind::Date;
        if (runs[i] == 'm') {
            const bool minutes =
                (i > 0 && runs[i - 1] == 'h') || (i + 1 < runs.size() && runs[i + 1] == 's');
            if (!minutes)
                return NumberFormatKind::Date;
        }
        time = true;  // hours, minutes or seconds
    }
    return time ? NumberFormatKind::Time : NumberFormatKind::Number;
}

}  // namespace agrimor
