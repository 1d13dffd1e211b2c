#include "ScreenRegistry.h"

#include "core/collections/Collection.h"
#include "ui/articles/TfrmBibliografie.h"
#include "ui/articles/TfrmCreaRTF.h"
#include "ui/articles/TfrmExpBibliografie.h"
#include "ui/articles/TfrmMenuServizi.h"
#include "ui/articles/TfrmTrovaBibliografie.h"
#include "ui/books/TfrmCodici_Dewey.h"
#include "ui/books/TfrmExpLibri.h"
#include "ui/books/TfrmLibri.h"
#include "ui/books/TfrmStampaLibro.h"
#include "ui/books/TfrmTrovaDisponibili.h"
#include "ui/books/TfrmTrovaLibri.h"
#include "ui/cards/TfrmAllegaCartella.h"
#include "ui/dvd/TfrmDVD.h"
#include "ui/dvd/TfrmExpDVD.h"
#include "ui/dvd/TfrmStampaDVD.h"
#include "ui/dvd/TfrmTrovaDVD.h"
#include "ui/dvd/TfrmTrovaDisponibiliDVD.h"
#include "ui/shell/Screens.h"
#include "ui/shell/TfrmAvvio.h"
#include "ui/shell/TfrmCambiaPassword.h"
#include "ui/shell/TfrmGuida.h"
#include "ui/shell/TfrmInfo.h"
#include "ui/shell/TfrmPassword.h"
#include "ui/shell/TfrmSplash.h"

#include <iterator>
#include <type_traits>

namespace Screens {

namespace {

// One registry line: the screen's id and its typed start-up pointer.
struct Entry {
    Id id;
    TForm* (*create)();
    void (*forget)();
};

template <auto& Slot>
TForm* create()
{
    using T = std::remove_pointer_t<std::remove_reference_t<decltype(Slot)>>;
    Slot = new T;
    return Slot;
}

template <auto& Slot>
void forget()
{
    delete Slot;
    Slot = nullptr;
}

template <auto& Slot>
constexpr Entry entry(Id id)
{
    return {id, &create<Slot>, &forget<Slot>};
}

// The creation order; destruction runs it backwards.
const Entry kRegistry[] = {
    entry<frmPassword>(Id::Password),
    entry<frmAvvio>(Id::Avvio),
    entry<frmCambiaPassword>(Id::CambiaPassword),
    entry<frmGuida>(Id::Guida),
    entry<frmInfo>(Id::Info),
    entry<frmSplash>(Id::Splash),
    entry<frmMenuServizi>(Id::MenuServizi),
    entry<frmBibliografie>(Id::Bibliografie),
    entry<frmAllegaCartella>(Id::AllegaCartella),
    entry<frmTrovaBibliografie>(Id::TrovaBibliografie),
    entry<frmCreaRTF>(Id::CreaRTF),
    entry<frmExpBibliografie>(Id::ExpBibliografie),
    entry<frmLibri>(Id::Libri),
    entry<frmCodici_Dewey>(Id::Codici_Dewey),
    entry<frmTrovaLibri>(Id::TrovaLibri),
    entry<frmExpLibri>(Id::ExpLibri),
    entry<frmTrovaDisponibili>(Id::TrovaDisponibili),
    entry<frmStampaLibro>(Id::StampaLibro),
    entry<frmDVD>(Id::DVD),
    entry<frmExpDVD>(Id::ExpDVD),
    entry<frmStampaDVD>(Id::StampaDVD),
    entry<frmTrovaDVD>(Id::TrovaDVD),
    entry<frmTrovaDisponibiliDVD>(Id::TrovaDisponibiliDVD),
};
static_assert(std::size(kRegistry) == static_cast<std::size_t>(Id::Count), "every screen is in the registry once");

} // namespace

void createAll()
{
    // A table that names a field its record lacks is the program's fault:
    // stop here rather than at a user's click.
    for (const Collection* c : Collection::all()) {
        const QStringList faults = c->tableFaults();
        if (!faults.isEmpty())
            qFatal("%s: %s", c->key.data(), qPrintable(faults.join(QStringLiteral(", "))));
    }
    for (const Entry& e : kRegistry)
        setInstance(e.id, e.create());
}

void destroyAll()
{
    for (auto e = std::rbegin(kRegistry); e != std::rend(kRegistry); ++e) {
        setInstance(e->id, nullptr);
        e->forget();
    }
}

} // namespace Screens
