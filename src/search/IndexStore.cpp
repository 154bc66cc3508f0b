#include "search/IndexStore.h"

#include "common/Error.h"
#include "common/Files.h"

#include <sqlite3.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <utility>

namespace fs = std::filesystem;

namespace qs {

namespace {

// "QSIX": an index of ours, and no other program's database.
constexpr int kApplicationId = 0x51534958;
constexpr int kSchemaVersion = 3;
// A write transaction is committed after this many changes, or this long:
// another run waits no longer than that for its own.
constexpr std::size_t kChangesPerCommit = 2000;
constexpr auto kCommitEvery = std::chrono::milliseconds(250);
// How long a run waits for another run's transaction.
constexpr int kBusyMilliseconds = 10000;

const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value BLOB) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS folders(
    id INTEGER PRIMARY KEY, path BLOB NOT NULL UNIQUE, read_at INTEGER NOT NULL,
    listing BLOB NOT NULL);
-- Readings may be megabytes (an archive of many members): they stay out of
-- the b-tree that finds a file, whose every step would otherwise copy them.
CREATE TABLE IF NOT EXISTS files(
    id INTEGER PRIMARY KEY,
    folder INTEGER NOT NULL REFERENCES folders(id) ON DELETE CASCADE, name BLOB NOT NULL,
    size INTEGER NOT NULL, mtime INTEGER NOT NULL, ctime INTEGER NOT NULL,
    inode INTEGER NOT NULL, reading BLOB NOT NULL, passed BLOB NOT NULL,
    UNIQUE(folder, name));
)";

// What the program's readers are: an index made by a program whose readers
// differ is emptied (a reader may read differently in another version).
std::string generation() {
    return std::string("quillsift ") + QUILLSIFT_INDEX_GENERATION + " schema " +
           std::to_string(kSchemaVersion);
}

void putNumber(std::string& out, std::uint64_t n) {
    while (n >= 0x80) {
        out += static_cast<char>(0x80 | (n & 0x7f));
        n >>= 7;
    }
    out += static_cast<char>(n);
}
void putText(std::string& out, const std::string& text) {
    putNumber(out, text.size());
    out += text;
}
struct Bytes {
    std::string_view rest;
    std::uint64_t number() {
        std::uint64_t n = 0;
        for (int shift = 0; shift < 64 && !rest.empty(); shift += 7) {
            const auto b = static_cast<std::uint8_t>(rest.front());
            rest.remove_prefix(1);
            n |= std::uint64_t{b & 0x7fu} << shift;
            if ((b & 0x80) == 0)
                return n;
        }
        throw IndexDamaged{"a folder listing cannot be read"};
    }
    std::string text() {
        const std::uint64_t n = number();
        if (n > rest.size())
            throw IndexDamaged{"a folder listing cannot be read"};
        std::string t(rest.substr(0, n));
        rest.remove_prefix(n);
        return t;
    }
};

std::string encodeListing(const KeptFolder& f) {
    std::string out;
    putNumber(out, f.id.first);
    putNumber(out, f.id.second);
    putNumber(out, f.files.size());
    for (const std::string& name : f.files)
        putText(out, name);
    putNumber(out, f.subfolders.size());
    for (const auto& [name, id] : f.subfolders) {
        putText(out, name);
        putNumber(out, id.first);
        putNumber(out, id.second);
    }
    return out;
}

KeptFolder decodeListing(std::string_view bytes, std::int64_t readAt) {
    Bytes in{bytes};
    KeptFolder f;
    f.readAt = readAt;
    f.id.first = in.number();
    f.id.second = in.number();
    for (std::uint64_t n = in.number(); n > 0; --n)
        f.files.push_back(in.text());
    for (std::uint64_t n = in.number(); n > 0; --n) {
        std::string name = in.text();
        const std::uint64_t dev = in.number();
        f.subfolders.push_back({std::move(name), {dev, in.number()}});
    }
    return f;
}

std::string stampText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

bool startsLikeSqlite(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[16] = {};
    in.read(head, sizeof head);
    return in.gcount() == 0 ||
           std::string_view(head, 16) == std::string_view("SQLite format 3\0", 16);
}

} // namespace

// One prepared statement, reset for each use.
class IndexStore::Statement {
  public:
    Statement(const IndexStore& store, const char* sql) : store_(store) {
        const int rc = sqlite3_prepare_v2(store.db_, sql, -1, &stmt_, nullptr);
        if (rc != SQLITE_OK)
            store.fail(rc, "prepare");
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement& bind(int at, std::string_view bytes) {
        if (at == 1)
            sqlite3_reset(stmt_);
        sqlite3_bind_blob(stmt_, at, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
        return *this;
    }
    Statement& bind(int at, std::int64_t n) {
        if (at == 1)
            sqlite3_reset(stmt_);
        sqlite3_bind_int64(stmt_, at, n);
        return *this;
    }
    // True while there is a row.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        sqlite3_reset(stmt_);
        if (rc != SQLITE_DONE)
            store_.fail(rc, "step");
        return false;
    }
    // Done with the row read: the statement holds no snapshot of the index.
    void reset() { sqlite3_reset(stmt_); }
    std::int64_t number(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::string_view bytes(int column) const {
        const void* data = sqlite3_column_blob(stmt_, column);
        const int size = sqlite3_column_bytes(stmt_, column);
        return data == nullptr ? std::string_view{}
                               : std::string_view(static_cast<const char*>(data),
                                                  static_cast<std::size_t>(size));
    }

  private:
    const IndexStore& store_;
    sqlite3_stmt* stmt_ = nullptr;
};

IndexStore::Statement& IndexStore::cached(const char* sql) {
    std::unique_ptr<Statement>& kept = statements_[sql];
    if (!kept)
        kept = std::make_unique<Statement>(*this, sql);
    return *kept;
}

IndexStore::IndexStore(const std::string& path, Mode mode, std::vector<IndexNotice>& notices)
    : path_(path), mode_(mode) {
    try {
        open();
    } catch (...) {
        notices = takeNotices();
        throw;
    }
    notices = takeNotices();
}

std::vector<IndexNotice> IndexStore::takeNotices() {
    return std::exchange(notices_, {});
}

IndexStore::~IndexStore() {
    try {
        commit();
    } catch (...) {
        // What was not committed is not in the index; the next run reads it.
    }
    statements_.clear();
    sqlite3_close_v2(db_);
}

void IndexStore::fail(int code, const std::string& what) const {
    const std::string reason = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    if ((code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB)
        throw IndexDamaged{reason};
    raise(err::PathFileAccess, "the index " + path_ + ": " + what + ": " + reason);
}

void IndexStore::exec(const char* sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    if (message != nullptr)
        sqlite3_free(message);
    if (rc != SQLITE_OK)
        fail(rc, sql);
}

void IndexStore::open() {
    std::error_code ec;
    const bool exists = fs::exists(path_, ec);
    if (mode_ == Mode::Read && !exists)
        raise(err::FileNotFound, "no index at " + path_ + "; search with --index first");
    if (!exists) {
        const std::string folder = fs::path(path_).parent_path().string();
        if (!folder.empty())
            CreateFolderPath(folder).orRaise();
    }
    if (exists && !startsLikeSqlite(path_)) {
        notices_.push_back(setAside("it is not an index"));
        return open();
    }
    const int flags = SQLITE_OPEN_READWRITE | (mode_ == Mode::Write ? SQLITE_OPEN_CREATE : 0) |
                      SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(path_.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK)
        fail(rc, "open");
    sqlite3_busy_timeout(db_, kBusyMilliseconds);
    try {
        prepareSchema();
    } catch (const IndexDamaged& damage) {
        if (mode_ == Mode::Read)
            raise(err::PathFileAccess, "the index " + path_ + " is damaged: " + damage.reason);
        notices_.push_back(setAside("it is damaged: " + damage.reason));
        return open();
    }
}

void IndexStore::prepareSchema() {
    std::int64_t app = 0, count = 0;
    {
        Statement id(*this, "PRAGMA application_id");
        app = id.step() ? id.number(0) : 0;
        Statement tables(*this, "SELECT count(*) FROM sqlite_master");
        count = tables.step() ? tables.number(0) : 0;
    }
    if (app != kApplicationId && count > 0)
        throw IndexDamaged{"it is another program's database"};
    exec("PRAGMA journal_mode=WAL");
    exec("PRAGMA synchronous=NORMAL");
    exec("PRAGMA foreign_keys=ON");
    bool same = false;
    if (app == kApplicationId) {
        Statement gen(*this, "SELECT value FROM meta WHERE key='generation'");
        same = gen.step() && gen.bytes(0) == generation();
    }
    if (same)
        return; // an index of this program, ready as it is
    if (mode_ == Mode::Read)
        raise(err::PathFileAccess, "the index " + path_ +
                                       " was made by another version of the program; "
                                       "search with --index first");
    if (!beginWrite())
        raise(err::PathFileAccess, "the index " + path_ + " is held by another run");
    // Made anew, tables and all: another version may have laid them out
    // otherwise.
    exec("DROP TABLE IF EXISTS files; DROP TABLE IF EXISTS folders;");
    exec(kSchema);
    exec(("PRAGMA application_id=" + std::to_string(kApplicationId)).c_str());
    exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
    if (count > 0)
        notices_.push_back("The index " + path_ +
                           " was made by another version of the program: it is made anew.");
    {
        Statement put(*this, "INSERT OR REPLACE INTO meta(key, value) VALUES('generation', ?1)");
        const std::string value = generation();
        put.bind(1, value).step();
    }
    commit();
}

bool IndexStore::beginWrite() {
    if (inWrite_)
        return true;
    if (!writable_ || mode_ == Mode::Read)
        return false;
    const int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        writable_ = false;
        notices_.push_back("The index " + path_ +
                           " is held by another run: this search does not add to it.");
        return false;
    }
    if (rc != SQLITE_OK)
        fail(rc, "begin");
    inWrite_ = true;
    pending_ = 0;
    begun_ = std::chrono::steady_clock::now();
    return true;
}

void IndexStore::wrote() {
    if (++pending_ >= kChangesPerCommit || std::chrono::steady_clock::now() - begun_ > kCommitEvery)
        commit();
}

void IndexStore::commit() {
    if (!inWrite_)
        return;
    inWrite_ = false;
    const int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        fail(rc, "commit");
    }
}

void IndexStore::dropAll() {
    if (!beginWrite())
        return;
    exec("DELETE FROM files; DELETE FROM folders;");
    folderIds_.clear();
    commit();
}

std::int64_t IndexStore::folderId(const std::string& path, bool create) {
    if (const auto it = folderIds_.find(path); it != folderIds_.end())
        return it->second;
    Statement& find = cached("SELECT id FROM folders WHERE path=?1");
    find.bind(1, path);
    if (find.step()) {
        const std::int64_t id = find.number(0);
        find.reset();
        return folderIds_[path] = id;
    }
    if (!create)
        return 0;
    Statement& add = cached("INSERT INTO folders(path, read_at, listing) VALUES(?1, 0, x'')");
    add.bind(1, path).step();
    return folderIds_[path] = sqlite3_last_insert_rowid(db_);
}

std::optional<KeptFolder> IndexStore::folder(const std::string& path) {
    Statement& find = cached("SELECT read_at, listing FROM folders WHERE path=?1");
    find.bind(1, path);
    if (!find.step())
        return std::nullopt;
    const std::string listing(find.bytes(1));
    const std::int64_t readAt = find.number(0);
    find.reset();
    if (listing.empty())
        return std::nullopt;
    return decodeListing(listing, readAt);
}

void IndexStore::keepFolder(const std::string& path, const KeptFolder& folder) {
    const std::string listing = encodeListing(folder);
    {
        // Found as kept within the same minute (the time is told to the
        // minute): nothing is written, so that a search of a collection
        // that did not change leaves the index as it was, with no commit
        // to make safe on the disk.
        Statement& find = cached("SELECT read_at, listing FROM folders WHERE path=?1");
        find.bind(1, path);
        const bool same =
            find.step() && find.number(0) / 60 == folder.readAt / 60 && find.bytes(1) == listing;
        find.reset();
        if (same)
            return;
    }
    if (!beginWrite())
        return;
    const std::optional<KeptFolder> before = this->folder(path);
    const std::int64_t id = folderId(path, true);
    Statement put(*this, "UPDATE folders SET read_at=?2, listing=?3 WHERE id=?1");
    put.bind(1, id).bind(2, folder.readAt).bind(3, listing).step();
    if (before) {
        std::unordered_map<std::string, bool> now;
        for (const std::string& name : folder.files)
            now.emplace(name, true);
        Statement drop(*this, "DELETE FROM files WHERE folder=?1 AND name=?2");
        for (const std::string& name : before->files)
            if (!now.contains(name))
                drop.bind(1, id).bind(2, name).step();
        std::unordered_map<std::string, bool> subs;
        for (const auto& sub : folder.subfolders)
            subs.emplace(sub.first, true);
        const std::string base = TrailingSlash(path);
        for (const auto& sub : before->subfolders)
            if (!subs.contains(sub.first)) {
                // The folder, and everything below it ("X/" up to "X0").
                const std::string gone = base + sub.first;
                Statement under(*this, "DELETE FROM folders WHERE path=?1 OR "
                                       "(path>?2 AND path<?3)");
                under.bind(1, gone).bind(2, gone + "/").bind(3, gone + "0").step();
                folderIds_.clear();
            }
    }
    wrote();
}

std::unordered_map<std::string, KeptFile> IndexStore::files(const std::string& folder,
                                                            bool withPassed) {
    std::unordered_map<std::string, KeptFile> out;
    const std::int64_t id = folderId(folder, false);
    if (id == 0)
        return out;
    Statement& rows =
        withPassed ? cached("SELECT name, size, mtime, ctime, inode, reading, passed FROM files "
                            "WHERE folder=?1")
                   : cached("SELECT name, size, mtime, ctime, inode, reading FROM files "
                            "WHERE folder=?1");
    rows.bind(1, id);
    while (rows.step()) {
        KeptFile file{{rows.number(1), rows.number(2), rows.number(3), rows.number(4)},
                      std::string(rows.bytes(5)),
                      std::nullopt};
        if (withPassed)
            file.passed = std::string(rows.bytes(6));
        out.emplace(std::string(rows.bytes(0)), std::move(file));
    }
    return out;
}

void IndexStore::keepFile(const std::string& folder, const std::string& name,
                          const KeptFile& file) {
    if (!beginWrite())
        return;
    // A large reading is written in pieces into room made for it: bound
    // whole, the database would build the row in memory beside it.
    constexpr std::size_t kPiece = 1 << 20;
    // Bound, not copied: an archive's passed names may be megabytes.
    static const std::string none;
    const std::string& passed = file.passed ? *file.passed : none;
    const bool inPieces = file.reading.size() > kPiece || passed.size() > kPiece;
    Statement& put = cached(
        inPieces ? "INSERT OR REPLACE INTO files(folder, name, size, mtime, ctime, inode, "
                   "reading, passed) VALUES(?1, ?2, ?3, ?4, ?5, ?6, zeroblob(?7), zeroblob(?8))"
                 : "INSERT OR REPLACE INTO files(folder, name, size, mtime, ctime, inode, "
                   "reading, passed) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    put.bind(1, folderId(folder, true))
        .bind(2, name)
        .bind(3, file.stamp.size)
        .bind(4, file.stamp.mtime)
        .bind(5, file.stamp.ctime)
        .bind(6, file.stamp.inode);
    if (inPieces)
        put.bind(7, static_cast<std::int64_t>(file.reading.size()))
            .bind(8, static_cast<std::int64_t>(passed.size()));
    else
        put.bind(7, file.reading).bind(8, passed);
    put.step();
    if (!inPieces)
        return wrote();
    const std::int64_t row = sqlite3_last_insert_rowid(db_);
    for (const auto& [column, bytes] : {std::pair{"reading", &file.reading}, {"passed", &passed}}) {
        if (bytes->empty())
            continue;
        sqlite3_blob* blob = nullptr;
        int rc = sqlite3_blob_open(db_, "main", "files", column, row, 1, &blob);
        for (std::size_t at = 0; rc == SQLITE_OK && at < bytes->size(); at += kPiece) {
            const std::size_t n = std::min(kPiece, bytes->size() - at);
            rc = sqlite3_blob_write(blob, bytes->data() + at, static_cast<int>(n),
                                    static_cast<int>(at));
        }
        sqlite3_blob_close(blob);
        if (rc != SQLITE_OK)
            fail(rc, "write");
    }
    wrote();
}

void IndexStore::dropFile(const std::string& folder, const std::string& name) {
    const std::int64_t id = folderId(folder, false);
    if (id == 0 || !beginWrite())
        return;
    Statement& drop = cached("DELETE FROM files WHERE folder=?1 AND name=?2");
    drop.bind(1, id).bind(2, name).step();
    wrote();
}

IndexNotice IndexStore::setAside(const std::string& reason) {
    statements_.clear();
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    inWrite_ = false;
    folderIds_.clear();
    std::string aside = path_ + ".damaged-" + stampText();
    std::error_code ec;
    for (int n = 2; fs::exists(aside, ec); ++n)
        aside = path_ + ".damaged-" + stampText() + "-" + std::to_string(n);
    fs::rename(path_, aside, ec);
    if (ec)
        raise(err::PathFileAccess,
              "the index " + path_ + " (" + reason + ") cannot be set aside: " + ec.message());
    // Its journal goes with it, so that it is not taken for the new index's.
    for (const char* part : {"-wal", "-shm"}) {
        std::error_code ignored;
        if (fs::exists(path_ + part, ignored))
            fs::rename(path_ + part, aside + part, ignored);
    }
    return "The index file " + path_ + " was set aside as " + aside + " (" + reason +
           "); a new index is made.";
}

} // namespace qs
