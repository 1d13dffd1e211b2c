#pragma once

#include "ui/shell/ScreenDirectory.h"

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

// The start-up instances of the program's 23 screens by their classes,
// kept for the whole run: the program's vocabulary for tests and tools.
// The registry creates every screen, those of the collections from their
// list, and fills these in.
namespace Screens {

enum class Id {
    Password,
    Avvio,
    CambiaPassword,
    Guida,
    Info,
    Splash,
    MenuServizi,
    Bibliografie,
    AllegaCartella,
    TrovaBibliografie,
    CreaRTF,
    ExpBibliografie,
    Libri,
    Codici_Dewey,
    TrovaLibri,
    ExpLibri,
    TrovaDisponibili,
    StampaLibro,
    DVD,
    ExpDVD,
    StampaDVD,
    TrovaDVD,
    TrovaDisponibiliDVD,
    Count
};

// The start-up instance of a screen; nullptr before creation.
TForm* get(Id id);
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

} // namespace Screens
