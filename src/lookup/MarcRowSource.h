#pragma once

#include "core/import/CardRowSource.h"
#include "lookup/Catalogue.h"

#include <QMap>

#include <optional>

class MarcRecord;

// A MARC file as rows for the card import: ISO 2709 (MARC 21 or UNIMARC,
// MARC-8 or UTF-8) or MARCXML, recognised by its first bytes. Each record
// becomes one card through MarcMapping, the same table the look-up and the
// export use. Its structure is checked before YAZ decodes it (lengths,
// directory, the budgets of InputBudget), so that a damaged or hostile file
// is refused with the record and the reason.
class MarcRowSource : public CardRowSource {
public:
    struct Options {
        std::optional<Catalogue::Syntax> syntax; // none: each record's own, by its title's tag
        // Where the code is ("001", or a tag and subfield such as "852p");
        // empty: `codes` numbers the cards from `firstCode` on.
        QString codeTag;
        QString codePrefix;
        qint64 firstCode = 1;
        int codeWidth = 6;
    };

    explicit MarcRowSource(const Options& options);

    bool recognises(const QByteArray& head) const override;
    CsvReader::Status read(QIODevice& file, const std::function<bool(CsvReader::Row&)>& onRow, int* errorLine, QString* error) override;
    QStringList notes() const override;
    QString rowName() const override { return QStringLiteral("record"); }
    QString formatName() const override;

    // The card's fields a row holds, in the header's order.
    static QStringList header();

private:
    bool addRow(const MarcRecord& record, Catalogue::Syntax syntax, int number, const std::function<bool(CsvReader::Row&)>& onRow);

    Options m_options;
    bool m_xml = false;
    QMap<QString, int> m_cut;
    QMap<QString, int> m_unwritable;
    QMap<QString, int> m_unmapped; // MARC tags the card has no field for: records that have them
    int m_marc21 = 0;
    int m_unimarc = 0;
    int m_marc8 = 0;
    int m_deleted = 0;
};
