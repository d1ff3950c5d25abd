// The service's texts: request texts (a script and its fields, each value URL-escaped so that no
// value can add a field), the reply fields they bring back, and the account they are sent for.
#pragma once
#include <initializer_list>
#include <string>
#include <vector>

// One field: its key with the separator as the request writes it ("&level=") and its value.
struct QueryField {
    QueryField(const char* k, std::string v) : key(k), value(std::move(v)) {}
    QueryField(const char* k, const char* v) : key(k), value(v) {}
    QueryField(const char* k, int v) : key(k), value(std::to_string(v)) {}
    QueryField(const char* k, long long v) : key(k), value(std::to_string(v)) {}
    const char* key;
    std::string value;
};

// script + every key followed by urlEncode of its value, in the order given:
// buildRequest("checkname.php?", {{"username=", name}}).
std::string buildRequest(const std::string& script, std::initializer_list<QueryField> fields);

extern std::string userId;     // the account id of this login, sent as "&userid="
extern std::string playHash;   // this login's play hash, sent by logout

// The blank-separated fields of a reply (runs of blanks make no empty field).
std::vector<std::string> replyFields(const std::string& reply);
