#include "Screens.h"

#include "ui/shell/TForm.h"

#include <array>

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
std::array<TForm*, static_cast<std::size_t>(Id::Count)> instances{};
} // namespace

TForm* get(Id id)
{
    return instances.at(static_cast<std::size_t>(id));
}

void setInstance(Id id, TForm* screen)
{
    instances.at(static_cast<std::size_t>(id)) = screen;
}

} // namespace Screens
