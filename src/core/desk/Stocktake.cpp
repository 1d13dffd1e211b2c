#include "Stocktake.h"

#include "core/collections/Collection.h"
#include "core/desk/DeskCard.h"
#include "core/storage/DiskFile.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/RecordStore.h"
#include "core/storage/SideFile.h"
#include "core/text/Text.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString kHeader = QStringLiteral("Inventario Tomaria");
const QString kCollection = QStringLiteral("raccolta=");
const QString kShelf = QStringLiteral("scaffale=");

QString path()
{
    return ProgramFolder::file(Stocktake::fileName());
}

QByteArray shelfKey(const QString& shelf)
{
    return Text::foldAZ(Text::trimmed(shelf)).toUtf8();
}

} // namespace

QString Stocktake::fileName()
{
    return SideFile::kStocktake;
}

QString Stocktake::verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Counted:
        return QStringLiteral("contato");
    case Verdict::Twice:
        return QStringLiteral("letto due volte");
    case Verdict::OtherShelf:
        return QStringLiteral("di un altro scaffale");
    case Verdict::Cancelled:
        return QStringLiteral("scheda annullata");
    case Verdict::NoCard:
        return QStringLiteral("di nessuna scheda");
    }
    return {};
}

bool Stocktake::onShelf(const Card& card) const
{
    return !card.cancelled && (Text::trimmed(m_shelf).isEmpty() || shelfKey(card.shelf) == shelfKey(m_shelf));
}

bool Stocktake::begin(const Collection& collection, const QString& shelf)
{
    m_collection = &collection;
    m_shelf = Text::trimmed(shelf);
    m_cards.clear();
    m_byCode.clear();
    m_scans.clear();
    m_error.clear();
    const QString archive = ProgramFolder::file(collection.archiveName());
    if (!QFileInfo::exists(archive))
        return true;
    RecordStore store;
    if (!store.open(archive, collection.layout->size, RecordStore::Mode::ReadExisting)) {
        m_error = store.errorString();
        return false;
    }
    const bool ok = store.scan([&](const char* record, qint64 index) {
        const DeskCard d = DeskCard::read(collection, index, QByteArray::fromRawData(record, collection.layout->size));
        m_cards.push_back({d.code, d.title, d.shelf, d.borrower, index, d.onLoan(), d.cancelled, false});
        return true;
    });
    if (!ok) {
        m_error = QStringLiteral("errore di lettura");
        return false;
    }
    for (int i = 0; i < static_cast<int>(m_cards.size()); ++i)
        m_byCode[DeskCard::key(m_cards[static_cast<std::size_t>(i)].code)].push_back(i);
    return true;
}

Stocktake::Scan Stocktake::scan(const QString& code)
{
    const QString typed = Text::trimmed(code);
    Scan s{typed, Verdict::NoCard, nullptr};
    const QByteArray key = DeskCard::key(typed);
    const std::vector<int> hits = key.isEmpty() ? std::vector<int>() : m_byCode.value(key);
    // The first unseen card of the shelf with the code counts; then one
    // already seen; then one elsewhere.
    Card* seen = nullptr;
    Card* elsewhere = nullptr;
    for (int i : hits) {
        Card& c = m_cards[static_cast<std::size_t>(i)];
        if (onShelf(c)) {
            if (!c.seen) {
                c.seen = true;
                s.verdict = Verdict::Counted;
                s.card = &c;
                m_scans.push_back(s);
                return s;
            }
            seen = seen ? seen : &c;
        } else if (!elsewhere || (elsewhere->cancelled && !c.cancelled)) {
            elsewhere = &c;
        }
    }
    if (seen) {
        s.verdict = Verdict::Twice;
        s.card = seen;
    } else if (elsewhere) {
        s.verdict = elsewhere->cancelled ? Verdict::Cancelled : Verdict::OtherShelf;
        s.card = elsewhere;
    }
    m_scans.push_back(s);
    return s;
}

int Stocktake::expected() const
{
    return static_cast<int>(std::count_if(m_cards.begin(), m_cards.end(), [this](const Card& c) { return onShelf(c); }));
}

int Stocktake::counted() const
{
    return static_cast<int>(std::count_if(m_scans.begin(), m_scans.end(), [](const Scan& s) { return s.verdict == Verdict::Counted; }));
}

std::vector<const Stocktake::Card*> Stocktake::missing() const
{
    std::vector<const Card*> out;
    for (const Card& c : m_cards) {
        if (onShelf(c) && !c.seen)
            out.push_back(&c);
    }
    return out;
}

QString Stocktake::title() const
{
    const QString what = m_collection ? Text::utf8(m_collection->plural) : QString();
    return m_shelf.isEmpty() ? QStringLiteral("Inventario %1: tutti gli scaffali").arg(what)
                             : QStringLiteral("Inventario %1: scaffale %2").arg(what, m_shelf);
}

QStringList Stocktake::report() const
{
    QStringList out;
    auto row = [&](const QString& what, const QString& code, const QString& title, const QString& last) {
        out << QStringList{what, code, title, last}.join(QLatin1Char('\t'));
    };
    for (const Card* c : missing()) {
        if (!c->onLoan)
            row(QStringLiteral("Mancante"), c->code, c->title, c->shelf);
    }
    for (const Card* c : missing()) {
        if (c->onLoan)
            row(QStringLiteral("In prestito"), c->code, c->title, c->borrower);
    }
    for (Verdict v : {Verdict::OtherShelf, Verdict::NoCard, Verdict::Twice, Verdict::Cancelled}) {
        for (const Scan& s : m_scans) {
            if (s.verdict != v)
                continue;
            QString what = verdictText(v);
            what[0] = what[0].toUpper();
            row(what, s.code, s.card ? s.card->title : QString(), s.card ? s.card->shelf : QString());
        }
    }
    return out;
}

bool Stocktake::save() const
{
    if (!m_collection)
        return false;
    QByteArray text = (kHeader + QLatin1Char('\n') + kCollection + Text::latin1(m_collection->key) + QLatin1Char('\n') + kShelf + m_shelf
        + QLatin1Char('\n'))
                          .toUtf8();
    for (const Scan& s : m_scans)
        text += s.code.toUtf8() + '\n';
    // A new file renamed over the old one, never through a link.
    return SideFile::replace(path(), [&](QFileDevice& file, QString*) { return DiskFile::writeAll(file, text.constData(), text.size()); });
}

bool Stocktake::record(const QString& code) const
{
    // One line added and flushed per scan: a stop at any moment loses at
    // most the scan being written, and a part line is read as no code.
    QFile file;
    if (!SideFile::open(file, path(), QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray line = Text::trimmed(code).toUtf8() + '\n';
    return file.write(line) == line.size() && file.flush() && DiskFile::syncToDisk(file);
}

bool Stocktake::pending()
{
    // A link or special file under the name is no stocktake: left alone.
    if (SideFile::standing(path()) == SideFile::Standing::Foreign)
        SideFile::noticeForeign(path());
    return SideFile::standing(path()) == SideFile::Standing::Regular;
}

bool Stocktake::load()
{
    QByteArray all;
    if (SideFile::read(path(), &all, qint64(256) << 20) != SideFile::Got::Read) {
        m_error = QStringLiteral("impossibile leggere %1").arg(fileName());
        return false;
    }
    QStringList lines = QString::fromUtf8(all).split(QLatin1Char('\n'));
    // The text after the last line break is a line not finished.
    lines.removeLast();
    if (lines.size() < 3 || lines[0].trimmed() != kHeader || !lines[1].startsWith(kCollection) || !lines[2].startsWith(kShelf)) {
        m_error = QStringLiteral("%1 non è un inventario di questo programma").arg(fileName());
        return false;
    }
    const Collection* c = Collection::find(lines[1].mid(kCollection.size()).trimmed().toStdString());
    if (!c) {
        m_error = QStringLiteral("%1 nomina una raccolta sconosciuta").arg(fileName());
        return false;
    }
    if (!begin(*c, lines[2].mid(kShelf.size())))
        return false;
    for (qsizetype i = 3; i < lines.size(); ++i) {
        if (!Text::trimmed(lines[i]).isEmpty())
            scan(lines[i]);
    }
    // Written anew without the unfinished line, so that the scans to come
    // are not added to it.
    if (!save()) {
        m_error = QStringLiteral("impossibile riscrivere %1").arg(fileName());
        return false;
    }
    return true;
}

QString Stocktake::pendingWhat()
{
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    lines.removeLast();
    if (lines.size() < 3 || lines[0].trimmed() != kHeader || !lines[1].startsWith(kCollection) || !lines[2].startsWith(kShelf))
        return {};
    const Collection* c = Collection::find(lines[1].mid(kCollection.size()).trimmed().toStdString());
    if (!c)
        return {};
    QString plural = Text::utf8(c->plural);
    if (!plural.isEmpty())
        plural[0] = plural[0].toUpper();
    const QString shelf = lines[2].mid(kShelf.size());
    qsizetype codes = 0;
    for (qsizetype i = 3; i < lines.size(); ++i)
        codes += Text::trimmed(lines[i]).isEmpty() ? 0 : 1;
    return QStringLiteral("%1, %2, %3")
        .arg(plural, shelf.isEmpty() ? QStringLiteral("tutti gli scaffali") : QStringLiteral("scaffale ") + shelf,
            codes == 1 ? QStringLiteral("1 codice letto") : QStringLiteral("%1 codici letti").arg(codes));
}

bool Stocktake::discard()
{
    return !pending() || QFile::remove(path());
}
