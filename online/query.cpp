#include "online/query.h"

#include "crypto/codec.h"

std::string buildRequest(const std::string& script, std::initializer_list<QueryField> fields)
{
    std::string text = script;
    for (const QueryField& f : fields) {
        text += f.key;
        text += urlEncode(f.value);
    }
    return text;
}
