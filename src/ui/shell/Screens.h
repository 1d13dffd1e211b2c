#pragma once

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

// The start-up instances of the 23 screens, created once in this order and
// kept for the whole run. Screens reach each other through them.
namespace Screens {

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

void createAll();
void destroyAll();

// Ends the application (the event loop stops; every screen is destroyed
// with the process). Tests replace it to observe the request.
void endApplication();
void setEndHandler(void (*handler)());

} // namespace Screens
