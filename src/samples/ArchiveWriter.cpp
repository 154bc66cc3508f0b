#include "samples/ArchiveWriter.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <stdexcept>

namespace qs::samples {

namespace {

struct Writer {
    struct Free {
        void operator()(archive* a) const { archive_write_free(a); }
    };
    std::unique_ptr<archive, Free> a{archive_write_new()};
    std::string out;

    static la_ssize_t append(archive*, void* data, const void* buffer, size_t length) {
        static_cast<std::string*>(data)->append(static_cast<const char*>(buffer), length);
        return static_cast<la_ssize_t>(length);
    }
    void check(int status) const {
        if (status < ARCHIVE_WARN)
            throw std::runtime_error(archive_error_string(a.get()));
    }
    void open() {
        // The file ends where its format or compression ends, as zip, 7z and
        // gzip write them: zeros padded after it are data past the end to
        // other readers.
        check(archive_write_set_bytes_in_last_block(a.get(), 1));
        check(archive_write_open(a.get(), &out, nullptr, append, nullptr));
    }
    void add(const std::string& name, const std::string& bytes) {
        const std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(),
                                                                             archive_entry_free);
        archive_entry_set_pathname(entry.get(), name.c_str());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        archive_entry_set_size(entry.get(), static_cast<la_int64_t>(bytes.size()));
        archive_entry_set_mtime(entry.get(), 946684800, 0); // fixed, so that bytes repeat
        check(archive_write_header(a.get(), entry.get()));
        if (!bytes.empty() && archive_write_data(a.get(), bytes.data(), bytes.size()) !=
                                  static_cast<la_ssize_t>(bytes.size()))
            check(ARCHIVE_FATAL);
    }
    std::string close() {
        check(archive_write_close(a.get()));
        return std::move(out);
    }
};

void addFilter(Writer& w, const std::string& method) {
    if (method == "gz")
        w.check(archive_write_add_filter_gzip(w.a.get()));
    else if (method == "bz2")
        w.check(archive_write_add_filter_bzip2(w.a.get()));
    else if (method == "xz")
        w.check(archive_write_add_filter_xz(w.a.get()));
    else
        throw std::invalid_argument("no compression " + method);
}

} // namespace

std::string WriteArchive(const std::string& kind, const Members& members) {
    Writer w;
    if (kind == "zip") {
        w.check(archive_write_set_format_zip(w.a.get()));
        // Fast rather than small: test collections are written at test time.
        w.check(archive_write_set_options(w.a.get(), "zip:compression-level=1"));
    } else if (kind == "7z") {
        w.check(archive_write_set_format_7zip(w.a.get()));
    } else if (kind.rfind("tar", 0) == 0) {
        w.check(archive_write_set_format_pax_restricted(w.a.get()));
        if (kind.size() > 4)
            addFilter(w, kind.substr(4));
    } else {
        throw std::invalid_argument("no archive kind " + kind);
    }
    w.open();
    for (const auto& [name, bytes] : members)
        w.add(name, bytes);
    return w.close();
}

std::string Compress(const std::string& method, const std::string& bytes) {
    Writer w;
    w.check(archive_write_set_format_raw(w.a.get()));
    addFilter(w, method);
    w.open();
    w.add("data", bytes);
    return w.close();
}

} // namespace qs::samples
