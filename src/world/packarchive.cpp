#include "world/packarchive.h"

#include "core/printable.h"
#include "core/safefile.h"

#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

struct PackArchive::Handle {
    zip_t* archive = nullptr;
    ~Handle()
    {
        if (archive != nullptr)
            zip_discard(archive);
    }
};

namespace {

// Packs made here all carry this time, so the same pack makes the same bytes (in one time zone).
const time_t MADE_AT = 946684800; // 2000-01-01
const unsigned FILE_MODE = S_IFREG | 0644;

std::string errorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

std::string errorText(zip_t* archive) { return zip_error_strerror(zip_get_error(archive)); }

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// Any step up, however the parts are separated.
bool climbs(const std::string& name)
{
    std::size_t from = 0;
    while (from <= name.size()) {
        std::size_t to = from;
        while (to < name.size() && !isSeparator(name[to]))
            ++to;
        if (name.compare(from, to - from, "..") == 0 && to - from == 2)
            return true;
        from = to + 1;
    }
    return false;
}

bool fromRoot(const std::string& name)
{
    return isSeparator(name[0]) || (name.size() >= 2 && name[1] == ':'); // a drive letter
}

bool isFolder(const std::string& name) { return !name.empty() && name.back() == '/'; }

} // namespace

std::string PackArchive::problem(const Entry& e)
{
    const unsigned type = e.unixMode & S_IFMT;
    if (e.name.empty())
        return "an entry without a name";
    if (fromRoot(e.name))
        return "an absolute name";
    if (climbs(e.name))
        return "a name that climbs out with ..";
    if (type == S_IFLNK)
        return "a link";
    if (type != 0 && type != S_IFREG && !(type == S_IFDIR && isFolder(e.name)))
        return "not a plain file";
    if (e.encrypted)
        return "encrypted";
    if (e.size > MAX_ENTRY_BYTES)
        return "would expand to " + std::to_string(e.size) + " bytes, past " + std::to_string(MAX_ENTRY_BYTES);
    // size > MAX_RATIO x packedSize, without the product (packedSize comes from the archive).
    if (e.packedSize < e.size / MAX_RATIO + (e.size % MAX_RATIO != 0 ? 1 : 0))
        return "would expand " + std::to_string(e.size) + " bytes from " + std::to_string(e.packedSize)
             + ", more than " + std::to_string(MAX_RATIO) + " times";
    return std::string();
}

PackArchive::PackArchive() : handle(new Handle) {}

PackArchive::~PackArchive() = default;

bool PackArchive::open(const std::string& path, std::string& why)
{
    handle.reset(new Handle);
    names.clear();
    int fd = -1;
    if (safefile::open(path, fd, why) != safefile::Found::FILE)
        return false;
    int code = 0;
    zip_t* archive = zip_fdopen(fd, ZIP_CHECKCONS, &code);
    if (archive == nullptr) {
        ::close(fd);
        why = "not a readable .zip (" + errorText(code) + ")";
        return false;
    }
    Handle opened;
    opened.archive = archive;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count > MAX_ENTRIES) {
        why = std::to_string(count) + " entries, more than " + std::to_string(MAX_ENTRIES);
        return false;
    }
    std::vector<std::string> found;
    std::set<std::string> seen;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) != 0
            || zip_file_get_external_attributes(archive, static_cast<zip_uint64_t>(i), 0, &system, &attributes) != 0) {
            why = "entry " + std::to_string(i) + " cannot be read (" + errorText(archive) + ")";
            return false;
        }
        Entry e;
        e.name = (stat.valid & ZIP_STAT_NAME) ? stat.name : "";
        e.size = static_cast<long long>(stat.size);
        e.packedSize = static_cast<long long>(stat.comp_size);
        e.unixMode = system == ZIP_OPSYS_UNIX ? attributes >> 16 : 0;
        e.encrypted = stat.encryption_method != ZIP_EM_NONE;
        // Sizes past what a signed count holds are past every limit.
        if (stat.size > static_cast<zip_uint64_t>(MAX_ENTRY_BYTES) * 2)
            e.size = MAX_ENTRY_BYTES + 1;
        std::string wrong = problem(e);
        if (wrong.empty() && !seen.insert(e.name).second)
            wrong = "named twice";
        if (!wrong.empty()) {
            why = "entry \"" + printable(e.name) + "\": " + wrong;
            return false;
        }
        if (!isFolder(e.name))
            found.push_back(e.name);
    }
    std::swap(handle->archive, opened.archive);
    names.swap(found);
    return true;
}

bool PackArchive::has(const std::string& name) const
{
    return handle->archive != nullptr && zip_name_locate(handle->archive, name.c_str(), 0) >= 0;
}

bool PackArchive::read(const std::string& name, std::string& bytes, std::string& why, long long maxBytes) const
{
    zip_t* archive = handle->archive;
    const zip_int64_t index = archive != nullptr ? zip_name_locate(archive, name.c_str(), 0) : -1;
    zip_stat_t stat;
    if (index < 0 || zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0) {
        why = "not in the archive";
        return false;
    }
    const long long promised = static_cast<long long>(stat.size);
    if (promised > maxBytes) {
        why = std::to_string(promised) + " bytes, more than the " + std::to_string(maxBytes) + " it may hold";
        return false;
    }
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0);
    if (file == nullptr) {
        why = errorText(archive);
        return false;
    }
    std::string all;
    char buffer[1 << 16];
    bool ok = true;
    while (ok) {
        const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
        if (got < 0) {
            why = zip_error_strerror(zip_file_get_error(file));
            ok = false;
        } else if (got == 0) {
            break;
        } else if (static_cast<long long>(all.size()) + got > promised) {
            why = "expands past the " + std::to_string(promised) + " bytes its header gives";
            ok = false;
        } else {
            all.append(buffer, static_cast<std::size_t>(got));
        }
    }
    const int closed = zip_fclose(file);
    if (ok && closed != 0) {
        why = errorText(closed);
        ok = false;
    }
    if (ok && static_cast<long long>(all.size()) != promised) {
        why = "ends after " + std::to_string(all.size()) + " of the " + std::to_string(promised)
            + " bytes its header gives";
        ok = false;
    }
    if (ok)
        bytes.swap(all);
    return ok;
}

bool PackArchive::make(const std::vector<std::pair<std::string, std::string>>& content, std::string& archive,
                       std::string& why)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* zip = memory != nullptr ? zip_open_from_source(memory, ZIP_TRUNCATE, &error) : nullptr;
    if (zip == nullptr) {
        why = zip_error_strerror(&error);
        zip_error_fini(&error);
        if (memory != nullptr)
            zip_source_free(memory);
        return false;
    }
    zip_error_fini(&error);
    // Kept past zip_close, which would otherwise free it with the archive.
    zip_source_keep(memory);
    bool ok = true;
    for (const auto& file : content) {
        zip_source_t* data = zip_source_buffer(zip, file.second.data(), file.second.size(), 0);
        const zip_int64_t index = data != nullptr ? zip_file_add(zip, file.first.c_str(), data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (data != nullptr)
                zip_source_free(data);
            ok = false;
            break;
        }
        const zip_uint64_t at = static_cast<zip_uint64_t>(index);
        ok = zip_file_set_mtime(zip, at, MADE_AT, 0) == 0
          && zip_file_set_external_attributes(zip, at, 0, ZIP_OPSYS_UNIX, FILE_MODE << 16) == 0;
        if (!ok)
            break;
    }
    if (!ok || zip_close(zip) != 0) {
        why = errorText(zip);
        zip_discard(zip);
        zip_source_free(memory);
        return false;
    }
    zip_stat_t stat;
    std::string bytes;
    if (zip_source_stat(memory, &stat) == 0 && zip_source_open(memory) == 0) {
        bytes.resize(static_cast<std::size_t>(stat.size));
        const zip_int64_t got = bytes.empty() ? 0 : zip_source_read(memory, &bytes[0], bytes.size());
        ok = got == static_cast<zip_int64_t>(bytes.size());
        zip_source_close(memory);
    } else {
        ok = false;
    }
    if (!ok)
        why = zip_error_strerror(zip_source_error(memory));
    zip_source_free(memory);
    if (ok)
        archive.swap(bytes);
    return ok;
}
