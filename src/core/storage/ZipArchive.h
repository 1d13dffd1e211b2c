#pragma once

#include <QString>

#include <memory>

#include <zip.h>

class QIODevice;

// The one wrapper of libzip: an open zip that is discarded when it goes out
// of scope and an entry closed likewise, a zip read from a file or from any
// device, and libzip's failures said in Italian. The safety copies, the
// restore and the workbook reader all go through it.
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

// Opens the zip held by `device` (open for reading, seekable) without
// reading it whole; null when it is no zip. The device must outlive the
// handle.
Handle read(QIODevice& device);

// Why libzip failed, in Italian: the system's reason when the failure came
// from the system (a full disk, a file-size limit), else libzip's own.
QString reason(zip_error_t* error);
QString reason(zip_t* zip);

// Unix file type bits of an entry (S_IFREG, S_IFDIR, S_IFLNK, ...); 0 when
// the zip was made elsewhere and says nothing of them.
unsigned fileType(zip_t* zip, zip_uint64_t index);

} // namespace ZipArchive
