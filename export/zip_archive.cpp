#include "export/zip_archive.h"

#include <zip.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace {

struct SourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
struct ArchiveDiscard {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Source = std::unique_ptr<zip_source_t, SourceFree>;
using Archive = std::unique_ptr<zip_t, ArchiveDiscard>;

[[noreturn]] void fail(const std::string& what, zip_error_t* error)
{
    throw std::runtime_error("the zip archive " + what + ": " + zip_error_strerror(error));
}

}  // namespace

QByteArray ZipArchive(const std::vector<std::pair<QString, QByteArray>>& files)
{
    // The archive is written into this buffer, which outlives the archive.
    const Source buffer(zip_source_buffer_create(nullptr, 0, 0, nullptr));
    if (!buffer)
        throw std::runtime_error("the zip archive cannot be started: out of memory");
    Archive archive(zip_open_from_source(buffer.get(), ZIP_TRUNCATE, nullptr));
    if (!archive)
        fail("cannot be started", zip_source_error(buffer.get()));
    zip_source_keep(buffer.get());

    std::vector<QByteArray> names;  // alive until the archive is closed, as the files' bytes are
    names.reserve(files.size());
    for (const auto& [name, bytes] : files) {
        names.push_back(name.toUtf8());
        Source data(zip_source_buffer(archive.get(), bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0));
        if (!data)
            fail("cannot take " + names.back().toStdString(), zip_get_error(archive.get()));
        const zip_int64_t index = zip_file_add(archive.get(), names.back().constData(), data.get(), ZIP_FL_ENC_UTF_8);
        if (index < 0)
            fail("cannot take " + names.back().toStdString(), zip_get_error(archive.get()));
        static_cast<void>(data.release());  // the archive's now
        if (zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9) < 0)
            fail("cannot deflate " + names.back().toStdString(), zip_get_error(archive.get()));
    }
    if (zip_close(archive.get()) < 0)
        fail("cannot be written", zip_get_error(archive.get()));
    static_cast<void>(archive.release());  // closed, and freed by zip_close

    zip_stat_t written;
    zip_stat_init(&written);
    if (zip_source_stat(buffer.get(), &written) < 0 || zip_source_open(buffer.get()) < 0)
        fail("cannot be read back", zip_source_error(buffer.get()));
    QByteArray out(static_cast<qsizetype>(written.size), Qt::Uninitialized);
    const zip_int64_t read = zip_source_read(buffer.get(), out.data(), written.size);
    zip_source_close(buffer.get());
    if (read < 0 || static_cast<zip_uint64_t>(read) != written.size)
        fail("cannot be read back", zip_source_error(buffer.get()));
    return out;
}
