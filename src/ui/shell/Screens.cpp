#include "Screens.h"

#include "ui/shell/TfrmAvvio.h"
#include "ui/shell/TfrmCambiaPassword.h"
#include "ui/shell/TfrmGuida.h"
#include "ui/shell/TfrmInfo.h"
#include "ui/shell/TfrmPassword.h"
#include "ui/shell/TfrmSplash.h"
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
#include "ui/dvd/TfrmDVD.h"
#include "ui/dvd/TfrmExpDVD.h"
#include "ui/dvd/TfrmStampaDVD.h"
#include "ui/dvd/TfrmTrovaDisponibiliDVD.h"
#include "ui/dvd/TfrmTrovaDVD.h"
#include "ui/cards/TfrmAllegaCartella.h"

#include <QCoreApplication>
#include <QWidget>

namespace Screens {

TfrmPassword* frmPassword = nullptr;
TfrmAvvio* frmAvvio = nullptr;
TfrmCambiaPassword* frmCambiaPassword = nullptr;
TfrmGuida* frmGuida = nullptr;
TfrmInfo* frmInfo = nullptr;
TfrmSplash* frmSplash = nullptr;
TfrmMenuServizi* frmMenuServizi = nullptr;
TfrmBibliografie* frmBibliografie = nullptr;
TfrmAllegaCartella* frmAllegaCartella = nullptr;
TfrmTrovaBibliografie* frmTrovaBibliografie = nullptr;
TfrmCreaRTF* frmCreaRTF = nullptr;
TfrmExpBibliografie* frmExpBibliografie = nullptr;
TfrmLibri* frmLibri = nullptr;
TfrmCodici_Dewey* frmCodici_Dewey = nullptr;
TfrmTrovaLibri* frmTrovaLibri = nullptr;
TfrmExpLibri* frmExpLibri = nullptr;
TfrmTrovaDisponibili* frmTrovaDisponibili = nullptr;
TfrmStampaLibro* frmStampaLibro = nullptr;
TfrmDVD* frmDVD = nullptr;
TfrmExpDVD* frmExpDVD = nullptr;
TfrmStampaDVD* frmStampaDVD = nullptr;
TfrmTrovaDVD* frmTrovaDVD = nullptr;
TfrmTrovaDisponibiliDVD* frmTrovaDisponibiliDVD = nullptr;

namespace {
void (*endHandler)() = nullptr;
}

void endApplication()
{
    if (endHandler)
        endHandler();
    else
        QCoreApplication::quit();
}

void setEndHandler(void (*handler)())
{
    endHandler = handler;
}

void createAll()
{
    frmPassword = new TfrmPassword;
    frmAvvio = new TfrmAvvio;
    frmCambiaPassword = new TfrmCambiaPassword;
    frmGuida = new TfrmGuida;
    frmInfo = new TfrmInfo;
    frmSplash = new TfrmSplash;
    frmMenuServizi = new TfrmMenuServizi;
    frmBibliografie = new TfrmBibliografie;
    frmAllegaCartella = new TfrmAllegaCartella;
    frmTrovaBibliografie = new TfrmTrovaBibliografie;
    frmCreaRTF = new TfrmCreaRTF;
    frmExpBibliografie = new TfrmExpBibliografie;
    frmLibri = new TfrmLibri;
    frmCodici_Dewey = new TfrmCodici_Dewey;
    frmTrovaLibri = new TfrmTrovaLibri;
    frmExpLibri = new TfrmExpLibri;
    frmTrovaDisponibili = new TfrmTrovaDisponibili;
    frmStampaLibro = new TfrmStampaLibro;
    frmDVD = new TfrmDVD;
    frmExpDVD = new TfrmExpDVD;
    frmStampaDVD = new TfrmStampaDVD;
    frmTrovaDVD = new TfrmTrovaDVD;
    frmTrovaDisponibiliDVD = new TfrmTrovaDisponibiliDVD;
}

void destroyAll()
{
    // Reverse order of creation.
    QWidget* all[] = {frmTrovaDisponibiliDVD, frmTrovaDVD, frmStampaDVD, frmExpDVD, frmDVD,
        frmStampaLibro, frmTrovaDisponibili, frmExpLibri, frmTrovaLibri, frmCodici_Dewey, frmLibri,
        frmExpBibliografie, frmCreaRTF, frmTrovaBibliografie, frmAllegaCartella, frmBibliografie,
        frmMenuServizi, frmSplash, frmInfo, frmGuida, frmCambiaPassword, frmAvvio, frmPassword};
    for (QWidget* w : all)
        delete w;
    frmPassword = nullptr; frmAvvio = nullptr; frmCambiaPassword = nullptr; frmGuida = nullptr;
    frmInfo = nullptr; frmSplash = nullptr; frmMenuServizi = nullptr; frmBibliografie = nullptr;
    frmAllegaCartella = nullptr; frmTrovaBibliografie = nullptr; frmCreaRTF = nullptr;
    frmExpBibliografie = nullptr; frmLibri = nullptr; frmCodici_Dewey = nullptr; frmTrovaLibri = nullptr;
    frmExpLibri = nullptr; frmTrovaDisponibili = nullptr; frmStampaLibro = nullptr; frmDVD = nullptr;
    frmExpDVD = nullptr; frmStampaDVD = nullptr; frmTrovaDVD = nullptr; frmTrovaDisponibiliDVD = nullptr;
}

} // namespace Screens
