#include "Catalogue.h"

#include "core/access/IniFile.h"

#include <QUrl>

namespace {

const QString kSection = QStringLiteral("Cataloghi");

} // namespace

QString Catalogue::zoomAddress() const
{
    if (protocol == Protocol::Sru)
        return address;
    return QStringLiteral("tcp:") + address + (database.isEmpty() ? QString() : QLatin1Char('/') + database);
}

bool Catalogue::fromAddress(const QString& text, Syntax syntax, Catalogue* out)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    Catalogue c;
    c.name = text.trimmed();
    c.syntax = syntax;
    if (scheme == QLatin1String("z3950")) {
        if (url.port() <= 0)
            return false;
        c.protocol = Protocol::Z3950;
        c.address = url.host() + QLatin1Char(':') + QString::number(url.port());
        c.database = url.path().mid(1);
        if (c.database.isEmpty() || c.database.contains(QLatin1Char('/')))
            return false;
    } else if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
        c.protocol = Protocol::Sru;
        c.address = url.toString();
    } else {
        return false;
    }
    *out = c;
    return true;
}

bool Catalogue::syntaxFromName(const QString& name, Syntax* out)
{
    QString n = name.trimmed().toLower();
    n.remove(QLatin1Char(' '));
    if (n == QLatin1String("marc21") || n == QLatin1String("usmarc")) {
        *out = Syntax::Marc21;
        return true;
    }
    if (n == QLatin1String("unimarc")) {
        *out = Syntax::Unimarc;
        return true;
    }
    return false;
}

QString Catalogue::syntaxName(Syntax syntax)
{
    return syntax == Syntax::Marc21 ? QStringLiteral("MARC 21") : QStringLiteral("UNIMARC");
}

QList<Catalogue> CatalogueSettings::defaults()
{
    // The Italian national catalogue (the SBN union catalogue of the ICCU)
    // first, then the Library of Congress; neither asks for an account.
    return {
        {QStringLiteral("OPAC SBN"), Catalogue::Protocol::Z3950, QStringLiteral("opac.sbn.it:2100"), QStringLiteral("nopac"),
            Catalogue::Syntax::Unimarc},
        {QStringLiteral("Library of Congress"), Catalogue::Protocol::Z3950, QStringLiteral("lx2.loc.gov:210"), QStringLiteral("LCDB"),
            Catalogue::Syntax::Marc21},
    };
}

CatalogueSettings CatalogueSettings::read(const QString& iniPath)
{
    CatalogueSettings s;
    const IniFile ini(iniPath);
    bool ok = false;
    const int seconds = ini.value(kSection, u"Attesa").toInt(&ok);
    if (ok && seconds > 0 && seconds <= 600)
        s.timeoutMs = seconds * 1000;
    for (int i = 1;; ++i) {
        const QString n = QString::number(i);
        const QString name = ini.value(kSection, QString(QStringLiteral("Nome") + n));
        if (name.isEmpty())
            break;
        Catalogue c;
        c.name = name;
        const QString protocol = ini.value(kSection, QString(QStringLiteral("Protocollo") + n)).toUpper().remove(QLatin1Char(' '));
        const QString address = ini.value(kSection, QString(QStringLiteral("Indirizzo") + n));
        c.database = ini.value(kSection, QString(QStringLiteral("Database") + n));
        const QString syntax = ini.value(kSection, QString(QStringLiteral("Sintassi") + n));
        bool good = !address.isEmpty();
        if (protocol == QLatin1String("SRU")) {
            c.protocol = Catalogue::Protocol::Sru;
            c.address = address;
            const QUrl url(address);
            good = good && url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
        } else if (protocol == QLatin1String("Z39.50") || protocol == QLatin1String("Z3950")) {
            c.protocol = Catalogue::Protocol::Z3950;
            c.address = address;
            good = good && !c.database.isEmpty();
        } else {
            good = false;
        }
        good = good && Catalogue::syntaxFromName(syntax, &c.syntax);
        if (good)
            s.catalogues << c;
        else
            s.faults << name;
    }
    if (s.catalogues.isEmpty() && s.faults.isEmpty())
        s.catalogues = defaults();
    return s;
}
