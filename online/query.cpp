#include "online/query.h"

#include "crypto/codec.h"
#include "engine/util.h"

#include <climits>

std::string buildRequest(const std::string& script, std::initializer_list<QueryField> fields)
{
    std::string text = script;
    for (const QueryField& f : fields) {
        text += f.key;
        text += urlEncode(f.value);
    }
    return text;
}

std::string userId;
std::string playHash;

int readNumber(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

std::vector<std::string> replyFields(const std::string& reply)
{
    std::vector<std::string> fields;
    split(reply, " ", &fields);
    return fields;
}
