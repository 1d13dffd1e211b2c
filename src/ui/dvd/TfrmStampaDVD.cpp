#include "TfrmStampaDVD.h"

TfrmStampaDVD::TfrmStampaDVD(QWidget* owner)
    : TfrmStampaScheda(owner, sheet())
{
    setObjectName(QStringLiteral("TfrmStampaDVD"));
}

CardSheet TfrmStampaDVD::sheet()
{
    CardSheet s;
    s.windowCaption = QStringLiteral(" Stampa scheda DVD");
    s.logoTop = 28;
    s.reportName = QStringLiteral("Scheda DVD");
    s.title = QStringLiteral("SCHEDA INFORMATIVA DVD");
    s.rows = {
        {QStringLiteral("Titolo DVD:"), QStringLiteral("txtTitolo")},
        {QStringLiteral("Codice identificativo:"), QStringLiteral("txtCodice")},
        {QStringLiteral("Scaffale:"), QStringLiteral("txtScaffale")},
        {QStringLiteral("Regia:"), QStringLiteral("txtRegia")},
        {QStringLiteral("Nazione:"), QStringLiteral("txtNazione")},
        {QStringLiteral("Protagonista:"), QStringLiteral("txtProtagonista")},
        {QStringLiteral("Anno:"), QStringLiteral("txtAnno")},
        {QStringLiteral("Durata:"), QStringLiteral("txtDurata")},
        {QStringLiteral("Genere:"), QStringLiteral("txtGenere")},
        {QStringLiteral("Giudizio:"), QStringLiteral("txtGiudizio")},
        {QStringLiteral("Distribuzione:"), QStringLiteral("txtDistribuzione")},
        {QStringLiteral("Sceneggiatura:"), QStringLiteral("txtSceneggiatura")},
        {QStringLiteral("Collana:"), QStringLiteral("txtCollana")},
        {QStringLiteral("Prezzo:"), QStringLiteral("txtPrezzo")},
        {QStringLiteral("Cast:"), QStringLiteral("txtCast")},
        {QStringLiteral("Contenuti:"), QStringLiteral("txtContenuti")},
        {QStringLiteral("Titolo originale:"), QStringLiteral("txtOriginale")},
        {QStringLiteral("Lingua originale:"), QStringLiteral("txtLingua")},
        {QStringLiteral("Altre lingue:"), QStringLiteral("txtAltreLingue")},
        {QStringLiteral("Sottotitoli:"), QStringLiteral("txtSottotitoli")},
        {QStringLiteral("Premi:"), QStringLiteral("txtPremi")},
        {QStringLiteral("Note:"), QStringLiteral("txtNote")},
        {QStringLiteral("Prestato a:"), QStringLiteral("txtPrestato")},
        {QStringLiteral("Scadenza prestito:"), QStringLiteral("txtScadenza")},
    };
    s.cardTag = QStringLiteral("dvd");
    return s;
}
