#include "server/scripts.h"

#include "crypto/codec.h"
#include "crypto/digest.h"
#include "crypto/patch_signature.h"
#include "crypto/seal.h"

#include <openssl/rand.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <ctime>

namespace {

const std::vector<std::string> achievementKeys = {
    "lightheaded", "chainreaction", "personalgrowth", "epic", "legendary", "tessarine",
    "massaddict", "learnedtoplay", "zorvicpro", "zorvicmaster", "zorvicexpert", "zorvicallyinsane",
    "holdstill", "quicksave", "ambidextrous", "elitist", "betatester", "classicallytrained",
    "quorvane", "killstreak", "buttonmasher", "zenmaster", "intothevoid", "enlightenment",
    "survivalist", "youvegotredonyou", "lastmanstanding",
};
// What the game awards by itself and uploads; the service grants the rest with a score, or never.
const std::vector<std::string> uploadableKeys = {"lightheaded", "chainreaction", "personalgrowth", "quicksave",
                                                 "zenmaster", "killstreak", "survivalist", "youvegotredonyou"};
constexpr int epicNumber = 4;
constexpr int classicCompleteNumbers[3] = {8, 9, 11};   // Casual, Normal, Expert at level 10

std::int64_t now() { return static_cast<std::int64_t>(std::time(nullptr)); }

// A whole decimal number: an optional "-" and 1 to 18 digits, nothing else.
bool parseNumber(const std::string& text, long long* out)
{
    std::size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
    if (i == text.size() || text.size() - i > 18)
        return false;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    *out = text[0] == '-' ? -value : value;
    return true;
}

bool numberIn(const Fields& fields, const char* key, long long low, long long high, long long* out)
{
    return parseNumber(fieldValue(fields, key), out) && *out >= low && *out <= high;
}

// Names travel in blank-separated replies and comma-separated ranking rows.
bool validName(const std::string& name)
{
    if (name.empty() || name.size() > 32)
        return false;
    for (char c : name)
        if (c <= ' ' || c > '~' || c == ',')
            return false;
    return true;
}

bool validEmail(const std::string& email)
{
    std::size_t at = email.find('@');
    if (email.size() < 3 || email.size() > 254 || at == 0 || at == std::string::npos || at + 1 == email.size())
        return false;
    for (char c : email)
        if (c <= ' ' || c > '~')
            return false;
    return true;
}

std::string randomHex(int bytes)
{
    std::vector<unsigned char> buffer(static_cast<std::size_t>(bytes));
    if (RAND_bytes(buffer.data(), bytes) != 1)
        return hashString(std::to_string(now()) + std::to_string(reinterpret_cast<std::uintptr_t>(&buffer)));
    return toHexString(buffer.data(), buffer.size());
}

// The user whose id and password digest the request names, or 0.
long long checkedUser(Store& store, const Fields& fields)
{
    long long id = 0;
    if (!numberIn(fields, "userid", 1, LLONG_MAX, &id))
        return 0;
    Statement s(store, "SELECT password_digest FROM users WHERE id = ?1");
    s.bind(1, static_cast<std::int64_t>(id));
    if (!s.step() || s.text(0) != fieldValue(fields, "passwordHash"))
        return 0;
    return id;
}

// What a script records beside its columns: the request without its secrets.
std::string details(const Fields& fields)
{
    std::string text;
    for (const auto& f : fields) {
        if (f.first == "password" || f.first == "passwordHash")
            continue;
        if (!text.empty())
            text += '&';
        text += f.first + "=" + urlEncode(f.second);
    }
    return text;
}

long long skillPoints(Store& store, long long user, long long mode)
{
    Statement s(store, "SELECT COALESCE(SUM(MAX(best, 0) / 100), 0) FROM (SELECT MAX(score) AS best FROM scores "
                       "WHERE user_id = ?1 AND (?2 = 0 OR mode = ?2) GROUP BY mode, level)");
    s.bind(1, static_cast<std::int64_t>(user)).bind(2, static_cast<std::int64_t>(mode));
    return s.step() ? s.integer(0) : 0;
}

struct RankedPlayer {
    long long id;
    std::string name;
    long long points;
    long long games;
};

std::vector<RankedPlayer> rankedPlayers(Store& store, long long mode)
{
    Statement s(store, "SELECT u.id, u.name, SUM(MAX(b.best, 0) / 100) AS points, SUM(b.games) FROM "
                       "(SELECT user_id, MAX(score) AS best, COUNT(*) AS games FROM scores "
                       " WHERE (?1 = 0 OR mode = ?1) GROUP BY user_id, mode, level) b "
                       "JOIN users u ON u.id = b.user_id GROUP BY u.id ORDER BY points DESC, u.id ASC");
    s.bind(1, static_cast<std::int64_t>(mode));
    std::vector<RankedPlayer> players;
    while (s.step())
        players.push_back({s.integer(0), s.text(1), s.integer(2), s.integer(3)});
    return players;
}

long long rankOf(Store& store, long long user, long long mode)
{
    std::vector<RankedPlayer> players = rankedPlayers(store, mode);
    for (std::size_t i = 0; i < players.size(); ++i)
        if (players[i].id == user)
            return static_cast<long long>(i) + 1;
    return 0;
}

std::string joinNumbers(const std::vector<long long>& numbers)
{
    std::string text;
    for (long long n : numbers) {
        if (!text.empty())
            text += ' ';
        text += std::to_string(n);
    }
    return text;
}

bool grant(Store& store, long long user, int number)
{
    Statement s(store, "INSERT OR IGNORE INTO achievements(user_id, number, earned) VALUES(?1, ?2, ?3)");
    s.bind(1, static_cast<std::int64_t>(user)).bind(2, static_cast<std::int64_t>(number)).bind(3, now());
    s.step();
    return s.ok() && changedRows(store) == 1;
}

bool hasNews(Store& store)
{
    Statement s(store, "SELECT COUNT(*) FROM news");
    return s.step() && s.integer(0) > 0;
}

struct StoredPatch {
    std::string version;   // "" when no signed patch is stored
    std::string offer;     // the login's reply that offers it
};

// The newest signed patch: the highest version, the latest stored among equals. Only one patch is
// ever on offer: with two, games between them would be sent back and forth at every start.
StoredPatch newestPatch(Store& store)
{
    Statement s(store, "SELECT id, kind, version, size, digest, signature FROM patches WHERE signature <> '' "
                       "ORDER BY id");
    StoredPatch newest;
    while (s.step()) {
        std::string version = s.text(2);
        if (versionNumber(version).empty() || isNewerVersion(newest.version, version))
            continue;
        newest.version = version;
        newest.offer = s.text(1) + " patch.php?id=" + std::to_string(s.integer(0)) + " " +
                       std::to_string(s.integer(3)) + " " + s.text(4) + " " + version + " " + s.text(5);
    }
    return newest;
}

std::string patchOffer(Store& store, const std::string& gameVersion)
{
    StoredPatch newest = newestPatch(store);
    return isNewerVersion(newest.version, gameVersion) ? newest.offer : std::string();
}

std::string login(ScriptContext& c, const Fields& fields)
{
    Store& store = *c.store;
    std::string offer = patchOffer(store, fieldValue(fields, "gameversion"));
    if (!offer.empty())
        return offer;

    std::string password = fieldValue(fields, "password");
    Statement user(store, "SELECT id, password_digest FROM users WHERE name = ?1");
    user.bind(1, fieldValue(fields, "username"));
    if (password.empty() || !user.step() || user.text(1) != hashString(password))
        return "fail";
    long long id = user.integer(0);
    std::string playHash = randomHex(16);
    Statement session(store, "INSERT INTO sessions(play_hash, user_id, machine, started) VALUES(?1, ?2, ?3, ?4)");
    session.bind(1, playHash).bind(2, static_cast<std::int64_t>(id)).bind(3, details(fields)).bind(4, now());
    session.step();
    if (!session.ok())
        return "fail";
    return "success " + std::to_string(id) + " " + playHash + " " + storedPasswordOf(password, c.privateKeyPem) +
           " 0 " + (hasNews(store) ? "1" : "0");
}

std::string logout(ScriptContext& c, const Fields& fields)
{
    long long id = 0;
    if (numberIn(fields, "userid", 1, LLONG_MAX, &id)) {
        Statement s(*c.store, "DELETE FROM sessions WHERE user_id = ?1 AND play_hash = ?2");
        s.bind(1, static_cast<std::int64_t>(id)).bind(2, fieldValue(fields, "playhash"));
        s.step();
    }
    return "ok";
}

std::string checkName(ScriptContext& c, const Fields& fields)
{
    std::string name = fieldValue(fields, "username");
    if (!validName(name))
        return "error";
    Statement s(*c.store, "SELECT 1 FROM users WHERE name = ?1");
    s.bind(1, name);
    bool taken = s.step();
    if (!s.ok())
        return "error";
    return taken ? "unavailable" : "available";
}

std::string registerUser(ScriptContext& c, const Fields& fields)
{
    std::string name = fieldValue(fields, "username");
    std::string password = fieldValue(fields, "password");
    std::string email = fieldValue(fields, "email");
    if (!validName(name) || password.empty() || password.size() > 256 || !validEmail(email) ||
        fieldValue(fields, "passwordHash") != hashString(password))
        return "error";
    Statement s(*c.store, "INSERT INTO users(name, password_digest, email, created) VALUES(?1, ?2, ?3, ?4)");
    s.bind(1, name).bind(2, hashString(password)).bind(3, email).bind(4, now());
    s.step();
    if (!s.ok())
        return "error";   // the name is taken
    return "success " + storedPasswordOf(password, c.privateKeyPem);
}

std::string uploadAchievement(ScriptContext& c, const Fields& fields)
{
    long long user = checkedUser(*c.store, fields);
    std::string key = fieldValue(fields, "cheeve");
    int number = 0;
    for (std::size_t i = 0; i < achievementKeys.size(); ++i)
        if (achievementKeys[i] == key)
            number = static_cast<int>(i) + 1;
    if (user == 0 || number == 0 ||
        std::find(uploadableKeys.begin(), uploadableKeys.end(), key) == uploadableKeys.end())
        return "fail";
    grant(*c.store, user, number);
    return std::to_string(number);
}

std::string syncAchievements(ScriptContext& c, const Fields& fields)
{
    long long user = checkedUser(*c.store, fields);
    if (user == 0)
        return "fail";
    Statement s(*c.store, "SELECT number FROM achievements WHERE user_id = ?1 ORDER BY number");
    s.bind(1, static_cast<std::int64_t>(user));
    std::vector<long long> numbers;
    while (s.step())
        numbers.push_back(s.integer(0));
    return numbers.empty() ? "0" : joinNumbers(numbers);
}

std::string news(ScriptContext& c)
{
    Statement s(*c.store, "SELECT text FROM news ORDER BY id DESC");
    std::string text;
    while (s.step())
        text += s.text(0) + "\n";
    return text;
}

// Five numbers: scores on record here, the player's best here, the mean and spread of every
// score here (the grading band) and the player's rank in the mode.
std::string highscore(ScriptContext& c, const Fields& fields)
{
    Store& store = *c.store;
    long long mode = 0, level = 0, user = 0;
    if (!numberIn(fields, "gamemode", 1, 6, &mode) || !numberIn(fields, "level", 1, 1000, &level))
        return "fail";
    numberIn(fields, "userid", 1, LLONG_MAX, &user);
    Statement all(store, "SELECT COUNT(*), AVG(score), AVG(CAST(score AS REAL) * score) FROM scores "
                         "WHERE mode = ?1 AND level = ?2");
    all.bind(1, static_cast<std::int64_t>(mode)).bind(2, static_cast<std::int64_t>(level));
    long long count = all.step() ? all.integer(0) : 0;
    long long mean = 1000 * level, spread = 250 * level;
    if (count >= 2) {
        double average = sqlite3_column_double(all.statement, 1);
        double square = sqlite3_column_double(all.statement, 2);
        mean = std::llround(average);
        spread = std::max(1LL, static_cast<long long>(std::llround(std::sqrt(std::max(0.0, square - average * average)))));
    }
    Statement best(store, "SELECT COALESCE(MAX(score), 0) FROM scores WHERE user_id = ?1 AND mode = ?2 AND level = ?3");
    best.bind(1, static_cast<std::int64_t>(user)).bind(2, static_cast<std::int64_t>(mode)).bind(3, static_cast<std::int64_t>(level));
    long long personal = best.step() ? best.integer(0) : 0;
    return joinNumbers({count, personal, mean, spread, rankOf(store, user, mode)});
}

std::string death(ScriptContext& c, const Fields& fields)
{
    long long user = checkedUser(*c.store, fields);
    long long mode = 0, level = 0, score = 0;
    if (user == 0 || !numberIn(fields, "gamemode", 1, 6, &mode) || !numberIn(fields, "level", 1, 1000, &level) ||
        !numberIn(fields, "score", INT_MIN, INT_MAX, &score))
        return "fail";
    Statement s(*c.store, "INSERT INTO deaths(user_id, mode, level, score, details, created) VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    s.bind(1, static_cast<std::int64_t>(user)).bind(2, static_cast<std::int64_t>(mode))
        .bind(3, static_cast<std::int64_t>(level)).bind(4, static_cast<std::int64_t>(score))
        .bind(5, details(fields)).bind(6, now());
    s.step();
    return s.ok() ? "ok" : "fail";
}

// "<id> <score> <best here> <scores here> <rank before> <rank after> <points before> <points after>"
// and the numbers of the achievements this score granted.
std::string score(ScriptContext& c, const Fields& fields)
{
    Store& store = *c.store;
    long long user = checkedUser(store, fields);
    long long mode = 0, level = 0, points = 0, performance = 0;
    if (user == 0 || !numberIn(fields, "gamemode", 1, 6, &mode) || !numberIn(fields, "level", 1, 1000, &level) ||
        !numberIn(fields, "score", INT_MIN, INT_MAX, &points) || !numberIn(fields, "performance", 0, 7, &performance))
        return "fail";
    Transaction transaction(store);
    long long before = skillPoints(store, user, mode);
    long long rankBefore = rankOf(store, user, mode);
    Statement insert(store, "INSERT INTO scores(user_id, mode, level, score, performance, details, created) "
                            "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    insert.bind(1, static_cast<std::int64_t>(user)).bind(2, static_cast<std::int64_t>(mode))
        .bind(3, static_cast<std::int64_t>(level)).bind(4, static_cast<std::int64_t>(points))
        .bind(5, static_cast<std::int64_t>(performance)).bind(6, details(fields)).bind(7, now());
    insert.step();
    if (!insert.ok())
        return "fail";
    long long id = lastInsertId(store);
    Statement here(store, "SELECT MAX(score), COUNT(*) FROM scores WHERE user_id = ?1 AND mode = ?2 AND level = ?3");
    here.bind(1, static_cast<std::int64_t>(user)).bind(2, static_cast<std::int64_t>(mode)).bind(3, static_cast<std::int64_t>(level));
    here.step();
    std::vector<long long> reply = {id, points, here.integer(0), here.integer(1), rankBefore, rankOf(store, user, mode),
                                    before, skillPoints(store, user, mode)};
    if (performance == 7 && grant(store, user, epicNumber))
        reply.push_back(epicNumber);
    if (level == 10 && mode <= 3 && grant(store, user, classicCompleteNumbers[mode - 1]))
        reply.push_back(classicCompleteNumbers[mode - 1]);
    if (!transaction.commit())
        return "fail";
    return joinNumbers(reply);
}

// "M EOF\r\n" past the end; else "M ROWS n\r\n" and n rows "M,name,rank,points,userid,games\r\n".
std::string rankingPage(ScriptContext& c, const Fields& fields)
{
    long long mode = 0, offset = 0;
    if (!numberIn(fields, "gamemode", 0, 6, &mode) || !numberIn(fields, "offset", 0, INT_MAX, &offset))
        return "fail";
    std::vector<RankedPlayer> players = rankedPlayers(*c.store, mode);
    std::string digit = std::to_string(mode);
    if (offset >= static_cast<long long>(players.size()))
        return digit + " EOF\r\n";
    std::size_t first = static_cast<std::size_t>(offset);
    std::size_t count = std::min(players.size() - first, static_cast<std::size_t>(rankingPageRows));
    std::string text = digit + " ROWS " + std::to_string(count) + "\r\n";
    for (std::size_t i = first; i < first + count; ++i) {
        const RankedPlayer& p = players[i];
        text += digit + "," + p.name + "," + std::to_string(i + 1) + "," + std::to_string(p.points) + "," +
                std::to_string(p.id) + "," + std::to_string(p.games) + "\r\n";
    }
    return text;
}

std::string patch(ScriptContext& c, const Fields& fields)
{
    Statement s(*c.store, "SELECT data FROM patches WHERE id = ?1");
    s.bind(1, static_cast<std::int64_t>(requestedPatch(fields)));
    return s.step() ? s.text(0) : "fail";
}

}

std::string fieldValue(const Fields& fields, const std::string& key)
{
    for (const auto& f : fields)
        if (f.first == key)
            return f.second;
    return std::string();
}

const std::vector<std::string>& serviceAchievementKeys()
{
    return achievementKeys;
}

std::string storedPasswordOf(const std::string& password, const std::string& privateKeyPem)
{
    return stripLineBreaks(toBase64(rsaSeal(password, 2, privateKeyPem)));
}

std::string escaped(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c >= ' ' && c <= '~' && c != '\\')
            out += static_cast<char>(c);
        else
            out += "\\x" + toHexString(&c, 1);
    }
    return out;
}

std::string patchVersionRefusal(const std::string& version)
{
    std::string fault = versionFault(version);
    if (fault.empty())
        return fault;
    return "\"" + escaped(version) + "\" is no version (dotted numbers of 0 to " + std::to_string(maxVersionNumber) +
           ", such as 0.1.1): " + fault;
}

long long requestedPatch(const Fields& fields)
{
    long long id = 0;
    return numberIn(fields, "id", 1, LLONG_MAX, &id) ? id : 0;
}

long long offerPatch(ScriptContext& c, const std::string& kind, const std::string& version, const std::string& bytes,
                     const std::string& patchKeyPem, std::string* error)
{
    auto refuse = [error](const std::string& reason) {
        if (error)
            *error = reason;
        return -1;
    };
    std::string number = versionNumber(version), size = std::to_string(bytes.size());
    if (number.empty())
        return refuse(patchVersionRefusal(version));
    // What a game would not download is never offered.
    if (bytes.empty() || bytes.size() > maxPatchBytes)
        return refuse("a patch holds 1 to " + std::to_string(maxPatchBytes) + " bytes, not " + size);
    std::string digest = hashString(bytes), statement = patchStatement(kind, number, size, digest);
    if (statement.empty())
        return refuse("\"" + kind + "\" is no patch kind (update or update_exe)");
    std::string signature = signPatchStatement(statement, patchKeyPem);
    if (signature.empty())
        return refuse("the patch cannot be signed: the key is no Ed25519 private key in PEM");
    std::lock_guard<std::mutex> lock(c.store->mutex);
    Transaction transaction(*c.store);
    if (!transaction.open)
        return refuse(std::string("the database is busy: ") + sqlite3_errmsg(c.store->db));
    // Only a newer version changes the offer: an equal one would silently replace what that
    // version installs (its kind included), and an older one would never be offered.
    StoredPatch newest = newestPatch(*c.store);
    if (!newest.version.empty() && !isNewerVersion(number, newest.version))
        return refuse("version " + number + " is not newer than " + newest.version + ", the patch on offer");
    Statement s(*c.store, "INSERT INTO patches(kind, version, size, digest, signature, data) "
                          "VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    s.bind(1, kind).bind(2, number).bind(3, static_cast<std::int64_t>(bytes.size())).bind(4, digest)
        .bind(5, signature).bindBlob(6, bytes);
    s.step();
    long long id = lastInsertId(*c.store);
    if (!s.ok() || !transaction.commit())
        return refuse(std::string("the patch could not be stored: ") + sqlite3_errmsg(c.store->db));
    return id;
}

std::string runScript(ScriptContext& c, const std::string& script, const Fields& fields)
{
    std::lock_guard<std::mutex> lock(c.store->mutex);
    if (script == "which_server.php")
        return c.securePrefix;
    if (script == "login.php")
        return login(c, fields);
    if (script == "logout.php")
        return logout(c, fields);
    if (script == "checkname.php")
        return checkName(c, fields);
    if (script == "reg.php")
        return registerUser(c, fields);
    if (script == "client_cheeve.php")
        return uploadAchievement(c, fields);
    if (script == "sync_cheeves.php")
        return syncAchievements(c, fields);
    if (script == "news.php")
        return news(c);
    if (script == "highscore.php")
        return highscore(c, fields);
    if (script == "death.php")
        return death(c, fields);
    if (script == "score.php")
        return score(c, fields);
    if (script == "world_ranking_staggered.php")
        return rankingPage(c, fields);
    if (script == "patch.php")
        return patch(c, fields);
    return "fail";
}
