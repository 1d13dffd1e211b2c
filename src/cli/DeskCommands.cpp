#include "DeskCommands.h"

#include "core/collections/Collection.h"
#include "core/desk/DeskSettings.h"
#include "core/desk/LendingDesk.h"
#include "core/desk/Stocktake.h"
#include "core/storage/CodesFile.h"
#include "core/loans/LoanList.h"
#include "core/loans/LoanSettings.h"
#include "core/text/Clock.h"
#include "core/text/Text.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <vector>

namespace {

constexpr int kRefused = 1;
constexpr int kTrouble = 2;

// The one card a code names, or the exit code that says why there is none.
int oneCard(LendingDesk& desk, const QString& code, DeskCard& card, QTextStream& err)
{
    std::vector<DeskCard> cards;
    if (!desk.find(code, cards)) {
        err << "tomaria-cli: " << desk.errorString() << "\n";
        return kTrouble;
    }
    if (cards.empty()) {
        err << "tomaria-cli: nessuna scheda ha il codice \"" << Text::trimmed(code) << "\"\n";
        return kRefused;
    }
    if (cards.size() > 1) {
        err << "tomaria-cli: il codice \"" << Text::trimmed(code) << "\" è di " << cards.size()
            << " schede; scegliere dalla schermata del banco prestiti:\n";
        for (const DeskCard& c : cards)
            err << "  " << c.line() << "\n";
        return kTrouble;
    }
    card = cards.front();
    return 0;
}

int refused(const LendingDesk& desk, QTextStream& err)
{
    err << "tomaria-cli: " << desk.errorString() << "\n";
    return desk.refused() ? kRefused : kTrouble;
}

} // namespace

namespace DeskCommands {

int lend(const QString& code, const QString& reader, const QString& date, QTextStream& out, QTextStream& err)
{
    QDate day = Clock::today();
    if (!date.isEmpty()) {
        day = LoanList::readDate(date);
        if (!day.isValid()) {
            err << "tomaria-cli: --date vuole una data gg/mm/aaaa\n";
            return kTrouble;
        }
    }
    if (Text::trimmed(reader).isEmpty()) {
        err << "tomaria-cli: lend vuole il lettore: --to NOME\n";
        return kTrouble;
    }
    // Refused before any archive is read: a name no card can hold as given.
    if (const QString why = LendingDesk::readerRefusal(reader); !why.isEmpty()) {
        err << "tomaria-cli: " << why << "\n";
        return kRefused;
    }
    LendingDesk desk(false);
    DeskCard card;
    if (const int code_ = oneCard(desk, code, card, err))
        return code_;
    if (!desk.lend(card, reader, day, DeskSettings::loanDays()))
        return refused(desk, err);
    const DeskMove& move = desk.moves().back();
    out << "Prestato: " << card.line() << " a " << move.reader << ", "
        << (card.collection->loans->dateIsDue ? "scadenza " : "data prestito ")
        << LendingDesk::loanDate(*card.collection, day, DeskSettings::loanDays()) << "\n";
    return 0;
}

int giveBack(const QString& code, QTextStream& out, QTextStream& err)
{
    LendingDesk desk(false);
    DeskCard card;
    if (const int code_ = oneCard(desk, code, card, err))
        return code_;
    if (!desk.giveBack(card))
        return refused(desk, err);
    out << "Restituito: " << card.line() << " da " << card.borrower << "\n";
    return 0;
}

int stocktake(const Collection& collection, const QString& shelf, const QString& codesFile, QTextStream& out, QTextStream& err)
{
    if (!LoanList::keepsLoans(collection)) {
        err << "tomaria-cli: l'inventario vale per " << LoanList::collections() << "\n";
        return kTrouble;
    }
    Stocktake count;
    if (!count.begin(collection, shelf)) {
        err << "tomaria-cli: " << count.errorString() << "\n";
        return kTrouble;
    }
    QString why;
    if (CodesFile::read(
            codesFile, [&count](const QString& code) { count.scan(code); }, &why)
        != CodesFile::Status::Done) {
        err << "tomaria-cli: impossibile leggere " << QDir::toNativeSeparators(codesFile) << ": " << why << "\n";
        return kTrouble;
    }
    out << count.title() << "\n"
        << QStringLiteral("Letti %1 codici; contate %2 schede su %3.\n")
               .arg(count.scans().size())
               .arg(count.counted())
               .arg(count.expected());
    for (const QString& row : count.report())
        out << row << "\n";
    return 0;
}

} // namespace DeskCommands
