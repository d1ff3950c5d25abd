#include "server/store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

const char* const schema = R"(
CREATE TABLE IF NOT EXISTS users(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    name TEXT NOT NULL UNIQUE COLLATE NOCASE,
    password_digest TEXT NOT NULL,
    email TEXT NOT NULL,
    created INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS sessions(
    play_hash TEXT PRIMARY KEY,
    user_id INTEGER NOT NULL,
    machine TEXT NOT NULL,
    started INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS achievements(
    user_id INTEGER NOT NULL,
    number INTEGER NOT NULL,
    earned INTEGER NOT NULL,
    PRIMARY KEY(user_id, number));
CREATE TABLE IF NOT EXISTS scores(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    user_id INTEGER NOT NULL,
    mode INTEGER NOT NULL,
    level INTEGER NOT NULL,
    score INTEGER NOT NULL,
    performance INTEGER NOT NULL,
    details TEXT NOT NULL,
    created INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS scores_by_mode ON scores(mode, level);
CREATE TABLE IF NOT EXISTS deaths(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    user_id INTEGER NOT NULL,
    mode INTEGER NOT NULL,
    level INTEGER NOT NULL,
    score INTEGER NOT NULL,
    details TEXT NOT NULL,
    created INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS news(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    text TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS patches(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    kind TEXT NOT NULL,
    version TEXT NOT NULL,
    size INTEGER NOT NULL,
    digest TEXT NOT NULL,
    signature TEXT NOT NULL,
    data BLOB NOT NULL);
)";

// A database from before signed offers keeps its patches, but a sealed digest is no signature:
// the column becomes an empty signature, and such a patch is never offered.
bool hasSealedDigests(Store& store)
{
    Statement s(store, "SELECT 1 FROM pragma_table_info('patches') WHERE name = 'sealed_digest'");
    return s.step();
}
const char* const unsignPatches = "ALTER TABLE patches RENAME COLUMN sealed_digest TO signature; "
                                  "UPDATE patches SET signature = '';";

// In one transaction: a stop between the rename and the blanking would leave sealed digests that
// read as signatures, offered to every game and refused by all.
bool unsignOldPatches(Store& store, char** message)
{
    Transaction transaction(store);
    if (!transaction.open)
        return false;
    if (!hasSealedDigests(store))
        return true;
    return sqlite3_exec(store.db, unsignPatches, nullptr, nullptr, message) == SQLITE_OK && transaction.commit();
}

// A name or key already taken is the script's answer ("error"), not a failure of the database.
void reportFailure(Store& store)
{
    int code = sqlite3_extended_errcode(store.db);
    if (store.onError && code != SQLITE_CONSTRAINT_UNIQUE && code != SQLITE_CONSTRAINT_PRIMARYKEY)
        store.onError(sqlite3_errmsg(store.db));
}

// A new database greets its first players.
const char* const firstNews = "INSERT INTO news(text) SELECT 'Welcome to Tessarine!\nThe world rankings are open.' "
                              "WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = 'news');";

}

bool openStore(Store& store, const std::string& path, std::string* error)
{
    closeStore(store);
    // The database is the owner's only, one that older builds made readable by all included;
    // SQLite gives its journal the database's own mode.
    if (!path.empty() && path != ":memory:") {
        int file = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        // One that cannot be opened is SQLite's to report, below.
        bool ownerOnly = file < 0 || ::fchmod(file, 0600) == 0;
        if (file >= 0)
            ::close(file);
        if (!ownerOnly) {
            if (error)
                *error = "cannot make " + path + " readable by its owner only";
            return false;
        }
    }
    if (sqlite3_open_v2(path.c_str(), &store.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        if (error)
            *error = store.db ? sqlite3_errmsg(store.db) : "cannot open " + path;
        closeStore(store);
        return false;
    }
    sqlite3_busy_timeout(store.db, 5000);
    char* message = nullptr;
    if (sqlite3_exec(store.db, schema, nullptr, nullptr, &message) != SQLITE_OK || !unsignOldPatches(store, &message) ||
        sqlite3_exec(store.db, firstNews, nullptr, nullptr, &message) != SQLITE_OK) {
        if (error)
            *error = message ? message : "cannot create the tables";
        sqlite3_free(message);
        closeStore(store);
        return false;
    }
    return true;
}

void closeStore(Store& store)
{
    if (store.db)
        sqlite3_close_v2(store.db);
    store.db = nullptr;
}

Statement::Statement(Store& s, const char* sql) : store(s)
{
    if (sqlite3_prepare_v2(store.db, sql, -1, &statement, nullptr) != SQLITE_OK)
        fail();
}

Statement::~Statement()
{
    sqlite3_finalize(statement);
}

Statement& Statement::bind(int index, std::int64_t value)
{
    if (good && sqlite3_bind_int64(statement, index, value) != SQLITE_OK)
        fail();
    return *this;
}

Statement& Statement::bind(int index, const std::string& value)
{
    if (good && sqlite3_bind_text(statement, index, value.data(), static_cast<int>(value.size()),
                                  SQLITE_TRANSIENT) != SQLITE_OK)
        fail();
    return *this;
}

Statement& Statement::bindBlob(int index, const std::string& bytes)
{
    if (good && sqlite3_bind_blob(statement, index, bytes.data(), static_cast<int>(bytes.size()),
                                  SQLITE_TRANSIENT) != SQLITE_OK)
        fail();
    return *this;
}

bool Statement::step()
{
    if (!good)
        return false;
    int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        fail();
    return false;
}

void Statement::fail()
{
    good = false;
    reportFailure(store);
}

std::int64_t Statement::integer(int column) const
{
    return sqlite3_column_int64(statement, column);
}

std::string Statement::text(int column) const
{
    const void* bytes = sqlite3_column_blob(statement, column);
    int length = sqlite3_column_bytes(statement, column);
    return bytes ? std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(length)) : std::string();
}

Transaction::Transaction(Store& s) : store(s)
{
    open = sqlite3_exec(store.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!open)
        reportFailure(store);
}

Transaction::~Transaction()
{
    if (open)
        sqlite3_exec(store.db, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool Transaction::commit()
{
    if (!open)
        return false;
    open = false;
    if (sqlite3_exec(store.db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    reportFailure(store);
    return false;
}

std::int64_t lastInsertId(Store& store)
{
    return sqlite3_last_insert_rowid(store.db);
}

int changedRows(Store& store)
{
    return sqlite3_changes(store.db);
}

std::int64_t copyBlob(Store& store, const char* table, const char* column, std::int64_t row, int file)
{
    sqlite3_blob* blob = nullptr;
    int size = 0;
    {
        std::lock_guard<std::mutex> lock(store.mutex);
        if (sqlite3_blob_open(store.db, "main", table, column, row, 0, &blob) != SQLITE_OK) {
            sqlite3_blob_close(blob);
            return -1;
        }
        size = sqlite3_blob_bytes(blob);
    }
    std::vector<char> piece(std::size_t(1) << 20);
    bool ok = true;
    for (int at = 0; ok && at < size;) {
        int length = std::min(static_cast<int>(piece.size()), size - at);
        {
            std::lock_guard<std::mutex> lock(store.mutex);
            ok = sqlite3_blob_read(blob, piece.data(), length, at) == SQLITE_OK;
        }
        for (int written = 0; ok && written < length;) {
            ssize_t n = ::pwrite(file, piece.data() + written, static_cast<std::size_t>(length - written), at + written);
            ok = n > 0;
            written += ok ? static_cast<int>(n) : 0;
        }
        at += length;
    }
    std::lock_guard<std::mutex> lock(store.mutex);
    sqlite3_blob_close(blob);
    return ok ? size : -1;
}
