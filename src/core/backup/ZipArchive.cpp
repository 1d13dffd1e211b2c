#include "ZipArchive.h"

#include "core/storage/DiskFile.h"

#include <QFile>

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
