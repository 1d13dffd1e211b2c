#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QXmlStreamReader;

// One bibliographic record in the form the card's mapping reads and
// writes: the leader, the control fields and the data fields with their
// subfields, in the record's order. Whatever a catalogue sends (ISO 2709 in
// MARC-8 or UTF-8, or MARCXML) is turned into MARCXML by YAZ first and read
// from there. The non-sorting marks around an article (U+0088/U+0089, as
// MARC-8's NSB/NSE U+0098/U+009C, or UNIMARC's ESC H/ESC I) are dropped on
// reading: they only tell a catalogue where to start sorting.
class MarcRecord {
public:
    struct Subfield {
        QChar code;
        QString value;
    };
    struct DataField {
        QString tag;
        QChar ind1 = u' ';
        QChar ind2 = u' ';
        QList<Subfield> subfields;

        QString first(QChar code) const; // empty when missing
        QStringList all(QChar code) const;
    };

    // Reads the first <record> of a MARCXML text (with or without the
    // MARC 21 slim name space, inside a collection or an SRU wrapper).
    // False when there is none or the XML is broken.
    bool readXml(const QByteArray& xml);
    // Reads the next <record> of a MARCXML file from `reader`, within
    // InputBudget. False at the end (reader.atEnd() and no error), or when
    // the XML is broken or a record goes beyond a budget (`error` says
    // which, in Italian).
    bool readNextXml(QXmlStreamReader& reader, QString* error = nullptr);

    // Turns an ISO 2709 record into this form through YAZ. `charset` is the
    // character set of the record's bytes ("marc-8" or "utf-8"); a MARC 21
    // record that says it is UTF-8 (leader position 9 "a") is read as such.
    bool readIso2709(const QByteArray& bytes, const char* charset);

    // Builds a record: the leader (24 characters), then the fields in order.
    void setLeader(const QString& leader) { m_leader = leader; }
    void addControl(const QString& tag, const QString& value) { m_controls.append({tag, value}); }
    void addField(DataField field) { m_fields.append(std::move(field)); }

    const QString& leader() const { return m_leader; }
    const QList<QPair<QString, QString>>& controls() const { return m_controls; }
    const QList<DataField>& dataFields() const { return m_fields; }
    QString control(QStringView tag) const;
    QList<const DataField*> fields(QStringView tag) const;
    const DataField* field(QStringView tag) const; // the first, or nullptr
    bool isEmpty() const { return m_leader.isEmpty() && m_fields.isEmpty() && m_controls.isEmpty(); }

private:
    bool readUtf8Iso2709(const QByteArray& bytes);

    QString m_leader;
    QList<QPair<QString, QString>> m_controls;
    QList<DataField> m_fields;
};
