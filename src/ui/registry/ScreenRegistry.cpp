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
#include "ui/registry/CollectionList.h"
#include "ui/registry/Screens.h"
#include "ui/registry/TfrmAvvio.h"
#include "ui/shell/TfrmCambiaPassword.h"
#include "ui/shell/TfrmGuida.h"
#include "ui/shell/TfrmInfo.h"
#include "ui/shell/TfrmPassword.h"
#include "ui/shell/TfrmSplash.h"

#include <iterator>
#include <type_traits>
#include <vector>

namespace Screens {

namespace {

// A screen of the program's vocabulary: its id and typed start-up pointer,
// filled in when the registry creates a screen of its class.
struct Typed {
    Id id;
    const QMetaObject* meta;
    void (*set)(TForm* screen);
};

template <auto& Slot> using SlotType = std::remove_pointer_t<std::remove_reference_t<decltype(Slot)>>;

template <auto& Slot> void assign(TForm* screen)
{
    Slot = static_cast<SlotType<Slot>*>(screen);
}

template <auto& Slot> constexpr Typed typed(Id id)
{
    return {id, &SlotType<Slot>::staticMetaObject, &assign<Slot>};
}

const Typed kTyped[] = {
    typed<frmPassword>(Id::Password),
    typed<frmAvvio>(Id::Avvio),
    typed<frmCambiaPassword>(Id::CambiaPassword),
    typed<frmGuida>(Id::Guida),
    typed<frmInfo>(Id::Info),
    typed<frmSplash>(Id::Splash),
    typed<frmMenuServizi>(Id::MenuServizi),
    typed<frmBibliografie>(Id::Bibliografie),
    typed<frmAllegaCartella>(Id::AllegaCartella),
    typed<frmTrovaBibliografie>(Id::TrovaBibliografie),
    typed<frmCreaRTF>(Id::CreaRTF),
    typed<frmExpBibliografie>(Id::ExpBibliografie),
    typed<frmLibri>(Id::Libri),
    typed<frmCodici_Dewey>(Id::Codici_Dewey),
    typed<frmTrovaLibri>(Id::TrovaLibri),
    typed<frmExpLibri>(Id::ExpLibri),
    typed<frmTrovaDisponibili>(Id::TrovaDisponibili),
    typed<frmStampaLibro>(Id::StampaLibro),
    typed<frmDVD>(Id::DVD),
    typed<frmExpDVD>(Id::ExpDVD),
    typed<frmStampaDVD>(Id::StampaDVD),
    typed<frmTrovaDVD>(Id::TrovaDVD),
    typed<frmTrovaDisponibiliDVD>(Id::TrovaDisponibiliDVD),
};
static_assert(std::size(kTyped) == static_cast<std::size_t>(Id::Count), "every screen of the vocabulary is typed once");

// The screens that belong to no collection, the login screen first so that
// it becomes the main window; the collections' screens follow, list order.
const CollectionScreens::Maker kShell[] = {
    &CollectionScreens::make<TfrmPassword>,
    &CollectionScreens::make<TfrmAvvio>,
    &CollectionScreens::make<TfrmCambiaPassword>,
    &CollectionScreens::make<TfrmGuida>,
    &CollectionScreens::make<TfrmInfo>,
    &CollectionScreens::make<TfrmSplash>,
    &CollectionScreens::make<TfrmAllegaCartella>,
};

std::vector<TForm*> created;

void bind(TForm* screen, bool on)
{
    for (const Typed& t : kTyped) {
        if (screen->metaObject() == t.meta) {
            t.set(on ? screen : nullptr);
            setInstance(t.id, on ? screen : nullptr);
        }
    }
}

void create(CollectionScreens::Maker make)
{
    TForm* screen = make();
    created.push_back(screen);
    enlist(screen);
    bind(screen, true);
}

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
    for (CollectionScreens::Maker make : kShell)
        create(make);
    for (const CollectionScreens* entry : CollectionList::all()) {
        for (CollectionScreens::Maker make : entry->screens)
            create(make);
    }
    setRole(Role::Login, frmPassword);
    setRole(Role::MainMenu, frmAvvio);
    setRole(Role::ChangePassword, frmCambiaPassword);
}

void destroyAll()
{
    while (!created.empty()) {
        TForm* screen = created.back();
        created.pop_back();
        dismiss(screen);
        bind(screen, false);
        delete screen;
    }
}

} // namespace Screens
