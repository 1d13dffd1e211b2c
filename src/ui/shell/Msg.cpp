#include "Msg.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
Msg::Handler& handler()
{
    static Msg::Handler h;
    return h;
}
} // namespace

void Msg::setHandler(Handler h)
{
    handler() = std::move(h);
}

QString Msg::accessMessage()
{
    return QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.") + kLfCrLfCr
        + QStringLiteral("Accertarsi di possedere i privilegi di scrittura nella cartella di installazione del programma.");
}

bool Msg::show(QWidget* parent, Kind kind, const QString& text)
{
    if (handler())
        return handler()(kind, text);

    QMessageBox box(parent);
    box.setText(text);
    switch (kind) {
    case Kind::Warning:
        box.setIcon(QMessageBox::Warning);
        box.setWindowTitle(QStringLiteral("Avviso"));
        break;
    case Kind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setWindowTitle(QStringLiteral("Errore"));
        break;
    case Kind::Information:
        box.setIcon(QMessageBox::Information);
        box.setWindowTitle(QStringLiteral("Informazione"));
        break;
    case Kind::Confirmation:
        box.setIcon(QMessageBox::Question);
        box.setWindowTitle(QStringLiteral("Conferma"));
        break;
    case Kind::Plain:
        box.setIcon(QMessageBox::NoIcon);
        box.setWindowTitle(QApplication::applicationDisplayName());
        break;
    }
    // Italian button texts whatever the system language.
    if (kind == Kind::Confirmation) {
        QPushButton* yes = box.addButton(QStringLiteral("Sì"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.exec();
        return box.clickedButton() == yes;
    }
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    if (kind != Kind::Plain)
        box.addButton(QStringLiteral("Annulla"), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return true;
}
