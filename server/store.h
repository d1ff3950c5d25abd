// The stand-in service's SQLite database: users, sessions, achievements, scores, deaths, news
// and patch offers, in one file that outlives the process.
#pragma once
#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

struct Store {
    sqlite3* db = nullptr;
    // One connection serves every worker thread; each script holds this for its whole work.
    std::mutex mutex;
    // Told the database's own words (sqlite3_errmsg) whenever a statement or a transaction fails.
    std::function<void(const std::string&)> onError;
};

// Opens (creating when missing) the database and its tables; false with a reason in *error.
bool openStore(Store& store, const std::string& path, std::string* error);
void closeStore(Store& store);

// One prepared statement, finalised when it goes out of scope. Parameters count from 1.
struct Statement {
    Statement(Store& store, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, const std::string& value);
    Statement& bindBlob(int index, const std::string& bytes);
    // True while a row is ready; false when done (or on an error, which ok() then reports).
    bool step();
    bool ok() const { return good; }
    std::int64_t integer(int column) const;
    std::string text(int column) const;

    Store& store;
    sqlite3_stmt* statement = nullptr;
    bool good = true;

private:
    void fail();
};

// A write transaction: committed by commit(), rolled back when left without it.
struct Transaction {
    explicit Transaction(Store& store);
    ~Transaction();
    bool commit();
    Store& store;
    bool open = false;
};

// Copies the blob (or text) in table.column of a row to the start of file, a piece at a time with
// incremental blob I/O, the store taken for each piece only; its size, or -1 when the row is
// missing or a piece cannot be read or written.
std::int64_t copyBlob(Store& store, const char* table, const char* column, std::int64_t row, int file);

// The row id of the last insert.
std::int64_t lastInsertId(Store& store);
// Rows changed by the last statement.
int changedRows(Store& store);
