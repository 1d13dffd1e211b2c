#include "DeskCommands.h"

#include "core/desk/Reminders.h"
#include "core/loans/LoanList.h"
#include "core/loans/LoanSettings.h"
#include "core/text/Clock.h"
#include "print/desk/DeskReport.h"
#include "print/labels/LabelReport.h"

#include <QDir>
#include <QTextStream>

#include <vector>

namespace {

constexpr int kTrouble = 2;

} // namespace

// The desk's letters, in the print plugin: the rest of the desk's verbs
// need neither Qt Gui nor the print library.
namespace DeskCommands {

int reminders(int days, const QString& pdf, QTextStream& out, QTextStream& err)
{
    if (pdf.isEmpty()) {
        err << "tomaria-cli: reminders vuole --out FILE.pdf\n";
        return kTrouble;
    }
    LoanList loans;
    if (!loans.load()) {
        err << "tomaria-cli: impossibile leggere " << QDir::toNativeSeparators(loans.failedArchive()) << "\n";
        return kTrouble;
    }
    loans.arrange(Clock::today(), days > 0 ? days : LoanSettings::days());
    const std::vector<ReminderLetter> letters = Reminders::letters(loans, Clock::today());
    if (letters.empty()) {
        out << "Nessun lettore ha prestiti in ritardo: nessuna lettera.\n";
        return 0;
    }
    QString why;
    if (!LabelReport::writePdf(DeskReport::letters(letters), pdf, &why)) {
        err << "tomaria-cli: impossibile scrivere " << QDir::toNativeSeparators(pdf) << ": " << why << "\n";
        return kTrouble;
    }
    for (const ReminderLetter& l : letters)
        out << l.reader << "\t" << l.items.size() << "\n";
    out << (letters.size() == 1 ? QStringLiteral("1 lettera") : QStringLiteral("%1 lettere").arg(letters.size())) << " in "
        << QDir::toNativeSeparators(pdf) << "\n";
    return 0;
}

} // namespace DeskCommands
