#include "Msg.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

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

std::unique_ptr<QMessageBox> Msg::build(QWidget* parent, Kind kind, const QString& text)
{
    auto box = std::make_unique<QMessageBox>(parent);
    // The sentence separators are CR and LF pairs in either order. A label
    // that fits the text on its lines breaks at a CR as well as at an LF, one
    // that wraps it does not: each pair shown as one break gives one empty
    // line in every box. The text handed over stays as it is.
    static const QRegularExpression pair(QStringLiteral("\\r\\n|\\n\\r|\\r"));
    box->setText(QString(text).replace(pair, QStringLiteral("\n")));
    switch (kind) {
    case Kind::Warning:
        box->setIcon(QMessageBox::Warning);
        box->setWindowTitle(QStringLiteral("Avviso"));
        break;
    case Kind::Error:
        box->setIcon(QMessageBox::Critical);
        box->setWindowTitle(QStringLiteral("Errore"));
        break;
    case Kind::Information:
        box->setIcon(QMessageBox::Information);
        box->setWindowTitle(QStringLiteral("Informazione"));
        break;
    case Kind::Confirmation:
        box->setIcon(QMessageBox::Question);
        box->setWindowTitle(QStringLiteral("Conferma"));
        break;
    case Kind::Plain:
        box->setIcon(QMessageBox::NoIcon);
        box->setWindowTitle(QCoreApplication::applicationName());
        break;
    }
    // Italian button texts whatever the system language.
    if (kind == Kind::Confirmation) {
        box->setDefaultButton(box->addButton(QStringLiteral("Sì"), QMessageBox::YesRole));
        box->addButton(QStringLiteral("No"), QMessageBox::NoRole);
        return box;
    }
    QPushButton* ok = box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    if (kind != Kind::Plain)
        box->addButton(QStringLiteral("Annulla"), QMessageBox::RejectRole);
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
    return box;
}

bool Msg::confirmDefaultNo(QWidget* parent, const QString& text)
{
    if (handler())
        return handler()(Kind::Confirmation, text);
    const std::unique_ptr<QMessageBox> box = build(parent, Kind::Confirmation, text);
    for (QAbstractButton* button : box->buttons()) {
        if (box->buttonRole(button) == QMessageBox::NoRole)
            box->setDefaultButton(qobject_cast<QPushButton*>(button));
    }
    box->exec();
    return box->clickedButton() && box->buttonRole(box->clickedButton()) == QMessageBox::YesRole;
}

bool Msg::show(QWidget* parent, Kind kind, const QString& text)
{
    if (handler())
        return handler()(kind, text);

    const std::unique_ptr<QMessageBox> box = build(parent, kind, text);
    box->exec();
    if (kind == Kind::Confirmation)
        return box->clickedButton() && box->buttonRole(box->clickedButton()) == QMessageBox::YesRole;
    return true;
}
