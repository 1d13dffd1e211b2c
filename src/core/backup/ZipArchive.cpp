#include "ZipArchive.h"

#include "core/storage/DiskFile.h"

#include <QFile>

#include <cstring>

namespace ZipArchive {

Handle open(const QString& path, int flags, QString* why)
{
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), flags, &code);
    if (!z && why) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        *why = reason(&error);
        zip_error_fini(&error);
    }
    return Handle(z);
}

QString reason(zip_error_t* error)
{
    if (zip_error_system_type(error) == ZIP_ET_SYS && zip_error_code_system(error) != 0) {
        const int code = zip_error_code_system(error);
        const QString system = DiskFile::systemReason(code);
        return system.isEmpty() ? QString::fromLocal8Bit(std::strerror(code)) : system;
    }
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_NOZIP: return QStringLiteral("non è un file zip, o è troncato");
    case ZIP_ER_INCONS: return QStringLiteral("zip incoerente o danneggiato");
    case ZIP_ER_CRC: return QStringLiteral("i dati non corrispondono al loro controllo (CRC)");
    case ZIP_ER_NOENT: return QStringLiteral("il file non esiste");
    case ZIP_ER_EXISTS: return QStringLiteral("il file esiste già");
    case ZIP_ER_READ: return QStringLiteral("errore di lettura");
    case ZIP_ER_WRITE: return QStringLiteral("errore di scrittura");
    case ZIP_ER_EOF: return QStringLiteral("il file finisce prima del previsto");
    default: return QString::fromUtf8(zip_error_strerror(error));
    }
}

QString reason(zip_t* zip)
{
    return reason(zip_get_error(zip));
}

unsigned fileType(zip_t* zip, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(zip, index, 0, &system, &attributes) != 0 || system != ZIP_OPSYS_UNIX)
        return 0;
    return (attributes >> 16) & 0170000u;
}

} // namespace ZipArchive
