#include "Layouts.h"

namespace {

constexpr FieldDef kBookFields[] = {
    {"Titolo", 0, 250},       {"Codice", 251, 24},      {"Convalida", 276, 2},
    {"Scaffale", 279, 50},    {"Autore", 330, 50},      {"Nazione", 381, 50},
    {"Curatore", 432, 50},    {"Dewey", 483, 3},        {"Pagine", 487, 12},
    {"Genere", 500, 50},      {"Giudizio", 551, 50},    {"Editore", 602, 50},
    {"Isbn", 653, 50},        {"Citta", 704, 50},       {"Anno", 755, 30},
    {"Volumi", 786, 30},      {"Prezzo", 817, 30},      {"Collana", 848, 50},
    {"Formato", 899, 50},     {"Originale", 950, 250},  {"Lingua", 1201, 30},
    {"Prima", 1232, 30},      {"Traduttore", 1263, 50}, {"Versione", 1314, 30},
    {"Prestato", 1345, 120},  {"Scadenza", 1466, 10},   {"Note", 1477, 250},
    {"Annullata", 1728, 2},   {"File01", 1731, 250},    {"File02", 1982, 250},
    {"File03", 2233, 250},    {"Desc01", 2484, 250},    {"Desc02", 2735, 250},
    {"Desc03", 2986, 250},
};

constexpr FieldDef kDvdFields[] = {
    {"Titolo", 0, 250},           {"Codice", 251, 24},         {"Convalida", 276, 2},
    {"Scaffale", 279, 50},        {"Regia", 330, 50},          {"Nazione", 381, 50},
    {"Protagonista", 432, 50},    {"Anno", 483, 4},            {"Durata", 488, 30},
    {"Genere", 519, 50},          {"Giudizio", 570, 50},       {"Distribuzione", 621, 50},
    {"Sceneggiatura", 672, 50},   {"Collana", 723, 50},        {"Prezzo", 774, 30},
    {"Cast", 805, 250},           {"Contenuti", 1056, 250},    {"Originale", 1307, 250},
    {"Lingua", 1558, 30},         {"AltreLingue", 1589, 50},   {"Sottotitoli", 1640, 50},
    {"Premi", 1691, 50},          {"Note", 1742, 250},         {"Prestato", 1993, 120},
    {"Scadenza", 2114, 10},       {"Annullata", 2125, 2},      {"File01", 2128, 250},
    {"File02", 2379, 250},        {"File03", 2630, 250},       {"Desc01", 2881, 250},
    {"Desc02", 3132, 250},        {"Desc03", 3383, 250},
};

constexpr FieldDef kArticleFields[] = {
    {"Titolo", 0, 250},      {"DataPub", 251, 10},    {"Genere", 262, 50},
    {"Autore", 313, 50},     {"Testata", 364, 50},    {"NumTestata", 415, 30},
    {"Testo", 446, 5000},    {"Sintesi", 5447, 250},  {"Valutazione", 5698, 250},
    {"Note", 5949, 250},     {"File01", 6200, 250},   {"File02", 6451, 250},
    {"File03", 6702, 250},   {"Desc01", 6953, 250},   {"Desc02", 7204, 250},
    {"Desc03", 7455, 250},
};

constexpr RecordLayout kBook{"TSchedaLibro", 3237, SlotKind::LengthByte, kBookFields};
constexpr RecordLayout kDvd{"TSchedaDVD", 3634, SlotKind::LengthByte, kDvdFields};
constexpr RecordLayout kArticle{"TSchedaArticolo", 7706, SlotKind::ZeroTerminated, kArticleFields};

static_assert(std::size(kBookFields) == 34 && kBook.isContiguous(), "book record must be 3237 bytes of slots");
static_assert(std::size(kDvdFields) == 32 && kDvd.isContiguous(), "DVD record must be 3634 bytes of slots");
static_assert(std::size(kArticleFields) == 16 && kArticle.isContiguous(), "article record must be 7706 bytes of slots");

} // namespace

const RecordLayout TSchedaLibro = kBook;
const RecordLayout TSchedaDVD = kDvd;
const RecordLayout TSchedaArticolo = kArticle;
