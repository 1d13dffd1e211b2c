#pragma once

#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>

// The query of a request's address, read strictly: pairs split on "&" and
// "=", "+" read as a blank, "%XX" decoded, the result UTF-8. A broken
// escape or bytes that are not UTF-8 make the whole query unreadable, and
// the request is refused rather than guessed at.
class WebQuery {
public:
    // False when `encoded` cannot be read.
    bool read(QByteArrayView encoded);

    // The first value of `key`; empty when it is missing.
    QString value(QStringView key) const;
    bool has(QStringView key) const;
    const QList<QPair<QString, QString>>& items() const { return m_items; }

    // Percent-decodes `encoded` (and "+" as a blank when `plusIsBlank`);
    // false on a broken escape or bytes that are not UTF-8.
    static bool decode(QByteArrayView encoded, QString& out, bool plusIsBlank = true);
    // The form's encoding of `text`, for an address.
    static QString encode(const QString& text);

private:
    QList<QPair<QString, QString>> m_items;
};
