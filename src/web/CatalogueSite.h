#pragma once

#include "web/PublicSearch.h"
#include "web/WebReply.h"

#include <QByteArrayView>
#include <QString>

#include <memory>

class PublicFields;
class SruService;
class WebQuery;
struct Collection;

// The web catalogue's pages, in Italian, without script: the search page
// at "/", its results (paged, in the search screens' order), an item's page
// at "/scheda" and the SRU service at "/sru". Every answer is built here
// from the request's method and target as sent; the server around it only
// carries bytes. Read-only: nothing here opens a file for writing, and only
// the archives of the program folder are read, never served.
class CatalogueSite {
public:
    explicit CatalogueSite(const QString& folder);
    ~CatalogueSite();

    // `target` is the request's path and query as sent ("/?q=calvino");
    // `form` the body of a POST, form-encoded, which only "/sru" takes.
    WebReply answer(QByteArrayView method, QByteArrayView target, QByteArrayView form = {});

    // A plain page in Italian for `status`, with `message`.
    static WebReply errorPage(int status, const QString& message);

    // The collections the catalogue shows, by the name its addresses use:
    // "libri", "dvd", "articoli".
    static const Collection* collectionNamed(const QString& name);
    static QString nameOf(const Collection& collection);

    PublicSearch& search() { return m_search; }
    SruService& sru() { return *m_sru; }
    // The public fields of `collection`, read from Tomaria.ini at each
    // request's start, so a change of the settings shows at once.
    const PublicFields& publicFields(const Collection& collection);

private:
    WebReply searchPage(const WebQuery& query);
    WebReply cardPage(const WebQuery& query);

    PublicSearch m_search;
    QString m_ini;
    std::vector<std::unique_ptr<PublicFields>> m_fields;
    std::unique_ptr<SruService> m_sru;
};
