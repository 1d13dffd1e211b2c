#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class QIODevice;

// Lays the help topics out as a printed booklet: a title page, a table of
// contents, then one chapter per topic, with running heads and page numbers.
class GuidaPdf {
public:
    struct Topic {
        QString title;
        QStringList paragraphs;
    };

    explicit GuidaPdf(std::vector<Topic> topics);

    // Writes the PDF; false when the device refused it.
    bool write(QIODevice* device, const QString& version) const;

private:
    std::vector<Topic> m_topics;
};
