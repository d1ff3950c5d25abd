#include "online/query.h"

#include "crypto/codec.h"
#include "engine/util.h"

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

std::vector<std::string> replyFields(const std::string& reply)
{
    std::vector<std::string> fields;
    split(reply, " ", &fields);
    return fields;
}
