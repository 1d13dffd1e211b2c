#include "TfrmStampaLibro.h"


TfrmStampaLibro::TfrmStampaLibro(QWidget* owner)
    : TfrmStampaScheda(owner, sheet())
{
    setObjectName(QStringLiteral("TfrmStampaLibro"));
}

CardSheet TfrmStampaLibro::sheet()
{
    CardSheet s;
    s.windowCaption = QStringLiteral(" Stampa scheda libro");
    s.logoTop = 26;
    s.reportName = QStringLiteral("Scheda Libro");
    s.title = QStringLiteral("SCHEDA INFORMATIVA LIBRO");
    s.rows = {
        {QStringLiteral("Titolo libro:"), QStringLiteral("txtTitolo")},
        {QStringLiteral("Codice identificativo:"), QStringLiteral("txtCodice")},
        {QStringLiteral("Scaffale:"), QStringLiteral("txtScaffale")},
        {QStringLiteral("Autore:"), QStringLiteral("txtAutore")},
        {QStringLiteral("Nazione:"), QStringLiteral("txtNazione")},
        {QStringLiteral("Curatore:"), QStringLiteral("txtCuratore")},
        {QStringLiteral("Codice Dewey:"), QStringLiteral("txtDewey")},
        {QStringLiteral("Pagine:"), QStringLiteral("txtPagine")},
        {QStringLiteral("Genere:"), QStringLiteral("txtGenere")},
        {QStringLiteral("Giudizio:"), QStringLiteral("txtGiudizio")},
        {QStringLiteral("Casa editrice:"), QStringLiteral("txtEditore")},
        {QStringLiteral("ISBN:"), QStringLiteral("txtIsbn")},
        {QStringLiteral("Città pubblicazione:"), QStringLiteral("txtCitta")},
        {QStringLiteral("Anno pubblicazione:"), QStringLiteral("txtAnno")},
        {QStringLiteral("Volumi:"), QStringLiteral("txtVolumi")},
        {QStringLiteral("Prezzo:"), QStringLiteral("txtPrezzo")},
        {QStringLiteral("Collana:"), QStringLiteral("txtCollana")},
        {QStringLiteral("Formato:"), QStringLiteral("txtFormato")},
        {QStringLiteral("Titolo originale:"), QStringLiteral("txtOriginale")},
        {QStringLiteral("Lingua:"), QStringLiteral("txtLingua")},
        {QStringLiteral("Prima pubblicazione:"), QStringLiteral("txtPrima")},
        {QStringLiteral("Traduttore:"), QStringLiteral("txtTraduttore")},
        {QStringLiteral("Versione:"), QStringLiteral("txtVersione")},
        {QStringLiteral("Note:"), QStringLiteral("txtNote")},
        {QStringLiteral("Prestato a:"), QStringLiteral("txtPrestato")},
        {QStringLiteral("Data prestito:"), QStringLiteral("txtScadenza")},
    };
    s.cardTag = QStringLiteral("libri");
    return s;
}
