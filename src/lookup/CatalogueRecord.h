#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringView>

// A record a catalogue sent, as the book card would hold it: the card's
// field names ("Titolo", "Autore", ...) with their values, in the card's
// order, each already cut and stored by the card's rules. Fields the
// record says nothing about are absent.
struct CatalogueRecord {
    QString catalogue;
    QList<QPair<QString, QString>> fields;

    QString value(QStringView field) const;
};
