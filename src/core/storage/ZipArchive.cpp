#include "ZipArchive.h"

#include "core/storage/DiskFile.h"

#include <QFile>
#include <QIODevice>

namespace {

// libzip reads the device through this source, so that neither a file
// name nor the whole file in memory is needed.
zip_int64_t deviceSource(void* user, void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto* device = static_cast<QIODevice*>(user);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        return device->seek(0) ? 0 : -1;
    case ZIP_SOURCE_READ: {
        const qint64 got = device->read(static_cast<char*>(data), qint64(length));
        return got;
    }
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_STAT: {
        if (length < sizeof(zip_stat_t))
            return -1;
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->size = zip_uint64_t(device->size());
        st->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR: {
        zip_error_t error;
        zip_error_init_with_code(&error, ZIP_ER_READ);
        const zip_int64_t n = zip_error_to_data(&error, data, length);
        zip_error_fini(&error);
        return n;
    }
    case ZIP_SOURCE_SEEK: {
        const zip_int64_t to = zip_source_seek_compute_offset(
            zip_uint64_t(device->pos()), zip_uint64_t(device->size()), data, length, nullptr);
        if (to < 0 || !device->seek(to))
            return -1;
        return 0;
    }
    case ZIP_SOURCE_TELL:
        return device->pos();
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
            ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, -1);
    default:
        return -1;
    }
}

} // namespace

namespace ZipArchive {

Handle read(QIODevice& device)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_function_create(&deviceSource, &device, &error);
    zip_error_fini(&error);
    if (!source)
        return nullptr;
    zip_error_init(&error);
    zip_t* zip = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!zip) {
        zip_source_free(source);
        return nullptr;
    }
    return Handle(zip);
}

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
        return system.isEmpty() ? DiskFile::systemText(code) : system;
    }
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_NOZIP:
        return QStringLiteral("non è un file zip, o è troncato");
    case ZIP_ER_INCONS:
        return QStringLiteral("zip incoerente o danneggiato");
    case ZIP_ER_CRC:
        return QStringLiteral("i dati non corrispondono al loro controllo (CRC)");
    case ZIP_ER_NOENT:
        return QStringLiteral("il file non esiste");
    case ZIP_ER_EXISTS:
        return QStringLiteral("il file esiste già");
    case ZIP_ER_READ:
        return QStringLiteral("errore di lettura");
    case ZIP_ER_WRITE:
        return QStringLiteral("errore di scrittura");
    case ZIP_ER_EOF:
        return QStringLiteral("il file finisce prima del previsto");
    case ZIP_ER_COMPNOTSUPP:
        return QStringLiteral("metodo di compressione non supportato");
    case ZIP_ER_ENCRNOTSUPP:
        return QStringLiteral("metodo di cifratura non supportato");
    case ZIP_ER_NOPASSWD:
        return QStringLiteral("lo zip è cifrato con una password: una copia di Tomaria non lo è mai");
    case ZIP_ER_WRONGPASSWD:
        return QStringLiteral("password dello zip errata");
    case ZIP_ER_MULTIDISK:
        return QStringLiteral("zip diviso su più dischi, non supportato");
    case ZIP_ER_COMPRESSED_DATA:
        return QStringLiteral("dati compressi danneggiati");
    case ZIP_ER_ZLIB:
        return QStringLiteral("errore nella decompressione dei dati");
    case ZIP_ER_MEMORY:
        return QStringLiteral("memoria esaurita");
    case ZIP_ER_OPEN:
        return QStringLiteral("impossibile aprire il file");
    case ZIP_ER_TMPOPEN:
        return QStringLiteral("impossibile creare il file temporaneo");
    case ZIP_ER_RENAME:
        return QStringLiteral("impossibile rinominare il file temporaneo");
    case ZIP_ER_CLOSE:
        return QStringLiteral("impossibile chiudere il file");
    case ZIP_ER_SEEK:
        return QStringLiteral("errore di posizionamento nel file");
    case ZIP_ER_TELL:
        return QStringLiteral("errore di posizionamento nel file");
    case ZIP_ER_REMOVE:
        return QStringLiteral("impossibile togliere il file");
    case ZIP_ER_CHANGED:
        return QStringLiteral("lo zip è cambiato durante la lettura");
    case ZIP_ER_INVAL:
        return QStringLiteral("richiesta non valida");
    case ZIP_ER_RDONLY:
        return QStringLiteral("lo zip è di sola lettura");
    case ZIP_ER_DELETED:
        return QStringLiteral("la voce dello zip è stata tolta");
    case ZIP_ER_OPNOTSUPP:
        return QStringLiteral("operazione non supportata");
    case ZIP_ER_INUSE:
        return QStringLiteral("la risorsa è in uso");
    case ZIP_ER_CANCELLED:
        return QStringLiteral("operazione annullata");
    case ZIP_ER_ZIPCLOSED:
        return QStringLiteral("lo zip è già chiuso");
    case ZIP_ER_INTERNAL:
    default:
        return QStringLiteral("errore interno della libreria zip (codice %1)").arg(zip_error_code_zip(error));
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
