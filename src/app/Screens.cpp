#include "Screens.h"

#include "app/TfrmAvvio.h"
#include "app/TfrmCambiaPassword.h"
#include "app/TfrmGuida.h"
#include "app/TfrmInfo.h"
#include "app/TfrmPassword.h"
#include "app/TfrmSplash.h"
#include "articles/TfrmBibliografie.h"
#include "articles/TfrmCreaRTF.h"
#include "articles/TfrmExpBibliografie.h"
#include "articles/TfrmMenuServizi.h"
#include "articles/TfrmTrovaBibliografie.h"
#include "books/TfrmCodici_Dewey.h"
#include "books/TfrmExpLibri.h"
#include "books/TfrmLibri.h"
#include "books/TfrmStampaLibro.h"
#include "books/TfrmTrovaDisponibili.h"
#include "books/TfrmTrovaLibri.h"
#include "dvd/TfrmDVD.h"
#include "dvd/TfrmExpDVD.h"
#include "dvd/TfrmStampaDVD.h"
#include "dvd/TfrmTrovaDisponibiliDVD.h"
#include "dvd/TfrmTrovaDVD.h"
#include "storage/TfrmAllegaCartella.h"

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
