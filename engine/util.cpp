#include "engine/util.h"

#include "platform/system.h"

void split(std::string text, std::string delimiter, std::vector<std::string>* pieces)
{
    if (delimiter.empty()) {
        if (!text.empty())
            pieces->push_back(text);
        return;
    }
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t found = text.find(delimiter, start);
        std::size_t stop = found == std::string::npos ? text.size() : found;
        if (stop > start)
            pieces->push_back(text.substr(start, stop - start));
        if (found == std::string::npos)
            break;
        start = found + delimiter.size();
    }
}

std::string replaceAll(const std::string& pattern, const std::string& replacement, std::string& text)
{
    if (pattern.empty())
        return text;
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (i + pattern.size() <= text.size() && text.compare(i, pattern.size(), pattern) == 0) {
            result += replacement;
            i += pattern.size();
        } else {
            result += text[i];
            i++;
        }
    }
    text = result;
    return text;
}

std::string formatSeconds(int seconds)
{
    // A countdown that ran past zero shows "-0:05" rather than a garbled "0:0-5".
    std::string sign;
    long long value = seconds;
    if (value < 0) {
        sign = "-";
        value = -value;
    }
    long long minutes = value / 60;
    long long rest = value % 60;
    return sign + std::to_string(minutes) + ":" + (rest < 10 ? "0" : "") + std::to_string(rest);
}

std::string groupDigits(const std::string& digits)
{
    // A leading sign is no digit: "-123" stays "-123", not "-,123".
    const std::size_t first = !digits.empty() && (digits[0] == '-' || digits[0] == '+') ? 1 : 0;
    std::string result = digits.substr(0, first);
    const std::size_t n = digits.size();
    for (std::size_t i = first; i < n; i++) {
        if (i > first && (n - i) % 3 == 0)
            result += ',';
        result += digits[i];
    }
    return result;
}

int fibonacci(int n)
{
    if (n < 2)
        return n;
    return fibonacci(n - 1) + fibonacci(n - 2);
}

std::string getClipboardText()
{
    return platformClipboardText();
}

std::string unsignedToString(unsigned value)
{
    return std::to_string(value);
}
