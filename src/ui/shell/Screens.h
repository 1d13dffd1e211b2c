#pragma once

#include <QString>

class TForm;
class TfrmPassword;
class TfrmAvvio;
class TfrmCambiaPassword;
class TfrmGuida;
class TfrmInfo;
class TfrmSplash;
class TfrmMenuServizi;
class TfrmBibliografie;
class TfrmAllegaCartella;
class TfrmTrovaBibliografie;
class TfrmCreaRTF;
class TfrmExpBibliografie;
class TfrmLibri;
class TfrmCodici_Dewey;
class TfrmTrovaLibri;
class TfrmExpLibri;
class TfrmTrovaDisponibili;
class TfrmStampaLibro;
class TfrmDVD;
class TfrmExpDVD;
class TfrmStampaDVD;
class TfrmTrovaDVD;
class TfrmTrovaDisponibiliDVD;

// The start-up instances of the 23 screens, created once in registry order
// and kept for the whole run. Screens reach each other through them; the
// registry (ui/registry) creates and destroys them.
namespace Screens {

enum class Id {
    Password, Avvio, CambiaPassword, Guida, Info, Splash, MenuServizi, Bibliografie, AllegaCartella,
    TrovaBibliografie, CreaRTF, ExpBibliografie, Libri, Codici_Dewey, TrovaLibri, ExpLibri, TrovaDisponibili,
    StampaLibro, DVD, ExpDVD, StampaDVD, TrovaDVD, TrovaDisponibiliDVD,
    Count
};

// The start-up instance of a screen; nullptr before creation.
TForm* get(Id id);
// The card screen that answers to a caller tag ("libri", "dvd",
// "bibliografie", trimmed); nullptr for any other tag.
TForm* cardFor(const QString& callerTag);
// Used by the registry as it creates and destroys the screens.
void setInstance(Id id, TForm* screen);

extern TfrmPassword* frmPassword; // the main window, the first one shown
extern TfrmAvvio* frmAvvio;
extern TfrmCambiaPassword* frmCambiaPassword;
extern TfrmGuida* frmGuida;
extern TfrmInfo* frmInfo;
extern TfrmSplash* frmSplash;
extern TfrmMenuServizi* frmMenuServizi;
extern TfrmBibliografie* frmBibliografie;
extern TfrmAllegaCartella* frmAllegaCartella;
extern TfrmTrovaBibliografie* frmTrovaBibliografie;
extern TfrmCreaRTF* frmCreaRTF;
extern TfrmExpBibliografie* frmExpBibliografie;
extern TfrmLibri* frmLibri;
extern TfrmCodici_Dewey* frmCodici_Dewey;
extern TfrmTrovaLibri* frmTrovaLibri;
extern TfrmExpLibri* frmExpLibri;
extern TfrmTrovaDisponibili* frmTrovaDisponibili;
extern TfrmStampaLibro* frmStampaLibro;
extern TfrmDVD* frmDVD;
extern TfrmExpDVD* frmExpDVD;
extern TfrmStampaDVD* frmStampaDVD;
extern TfrmTrovaDVD* frmTrovaDVD;
extern TfrmTrovaDisponibiliDVD* frmTrovaDisponibiliDVD;

// Ends the application (the event loop stops; every screen is destroyed
// with the process). Tests replace it to observe the request.
void endApplication();
void setEndHandler(void (*handler)());

} // namespace Screens
