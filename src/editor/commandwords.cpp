#include "editor/commandwords.h"

#include "core/globals.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

bool isCommandSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The position after any digits from `at`.
std::size_t skipDigits(const std::string& word, std::size_t at)
{
    while (at < word.size() && isDigit(word[at]))
        ++at;
    return at;
}

std::size_t skipSign(const std::string& word, std::size_t at)
{
    return at < word.size() && (word[at] == '+' || word[at] == '-') ? at + 1 : at;
}

bool digitAt(const std::string& word, std::size_t at) { return at < word.size() && isDigit(word[at]); }

} // namespace

bool tokenizeCommand(const std::string& line, std::vector<std::string>& tokens)
{
    tokens.clear();
    std::string text = line;
    trim(text);
    if (text.empty())
        return true;
    bool quoted = false;
    std::string token;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (isCommandSpace(c) && !quoted) {
            if (!token.empty()) {
                tokens.push_back(token);
                token.clear();
            }
        } else {
            token += c;
        }
    }
    // Kept even when empty: `dialogtext ""` must clear a line, not lose its argument.
    tokens.push_back(token);
    return !quoted;
}

NumberWord readWholeNumber(const std::string& word, int& value)
{
    const std::size_t digits = skipSign(word, 0);
    if (!digitAt(word, digits))
        return NumberWord::NO_NUMBER;
    if (skipDigits(word, digits) != word.size())
        return NumberWord::NOT_PLAIN;
    errno = 0;
    const long long read = std::strtoll(word.c_str(), nullptr, 10);
    if (errno == ERANGE || read < INT_MIN || read > INT_MAX)
        return NumberWord::OUT_OF_RANGE;
    value = static_cast<int>(read);
    return NumberWord::NUMBER;
}

NumberWord readDecimalNumber(const std::string& word, double& value)
{
    const std::size_t start = skipSign(word, 0);
    const std::size_t point = skipDigits(word, start);
    std::size_t end = point;
    if (end < word.size() && word[end] == '.')
        end = skipDigits(word, end + 1);
    // At least one digit before or after the point.
    if (point == start && end <= point + 1)
        return NumberWord::NO_NUMBER;
    if (end < word.size() && (word[end] == 'e' || word[end] == 'E')) {
        const std::size_t exponent = skipSign(word, end + 1);
        if (!digitAt(word, exponent))
            return NumberWord::NOT_PLAIN;
        end = skipDigits(word, exponent);
    }
    if (end != word.size())
        return NumberWord::NOT_PLAIN;
    // strtod follows the C locale, which the game never changes: the point is '.'.
    errno = 0;
    const double read = std::strtod(word.c_str(), nullptr);
    if (errno == ERANGE || !std::isfinite(read))
        return NumberWord::OUT_OF_RANGE;
    value = read;
    return NumberWord::NUMBER;
}
