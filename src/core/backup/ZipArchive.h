#pragma once

#include <QString>

#include <memory>

#include <zip.h>

// The little that the safety copies share about libzip: an open zip that
// is discarded when it goes out of scope, and libzip's failures said in
// Italian.
namespace ZipArchive {

struct Discard {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using Handle = std::unique_ptr<zip_t, Discard>;

struct CloseFile {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using File = std::unique_ptr<zip_file_t, CloseFile>;

// Opens `path` with libzip's `flags`; on failure `reason` says why.
Handle open(const QString& path, int flags, QString* reason);

// Why libzip failed, in Italian: the system's reason when the failure came
// from the system (a full disk, a file-size limit), else libzip's own.
QString reason(zip_error_t* error);
QString reason(zip_t* zip);

// Unix file type bits of an entry (S_IFREG, S_IFDIR, S_IFLNK, ...); 0 when
// the zip was made elsewhere and says nothing of them.
unsigned fileType(zip_t* zip, zip_uint64_t index);

} // namespace ZipArchive
