// Renders the program's help topics into "Guida.pdf" at build time.
//   tomaria-guida OUTPUT.pdf VERSION
// Every topic embedded under ":/help" becomes a chapter, so a topic added
// with its screen joins the document at the next build.

#include "GuidaPdf.h"

#include "core/collections/Collection.h"
#include "core/text/HelpText.h"
#include "core/text/Text.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>
#include <vector>

namespace {

// Chapter titles and order: the titles the screens give their topics, the
// main menu's first, each collection's card and export in menu order, the
// book card filled from library catalogues, the loans last. A topic missing
// here still gets a chapter, after these, titled by name.
std::vector<HelpTopic> knownTopics()
{
    std::vector<HelpTopic> known{{"avvio", "Uno sguardo a Tomaria."}};
    for (const Collection* c : Collection::all()) {
        known.push_back(c->cardHelp);
        known.push_back(c->exportHelp);
    }
    known.push_back({"catalogo", "Compilare una scheda dai cataloghi delle biblioteche."});
    known.push_back({"prestiti", "Prestiti in corso."});
    known.push_back({"banco", "Banco prestiti."});
    known.push_back({"inventario", "Inventario."});
    return known;
}

QString titleFromName(const QString& name)
{
    QString t = name;
    t.replace(QLatin1Char('_'), QLatin1Char(' '));
    if (!t.isEmpty())
        t[0] = t[0].toUpper();
    return t + QLatin1Char('.');
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tomaria-guida OUTPUT.pdf VERSION\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QString version = QString::fromLocal8Bit(argv[2]);

    QStringList names;
    for (const QFileInfo& f : QDir(QStringLiteral(":/help")).entryInfoList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
        names << f.completeBaseName();

    std::vector<GuidaPdf::Topic> topics;
    auto add = [&topics](const QString& name, const QString& title) {
        const QString text = HelpText::topic(name);
        if (!text.isEmpty())
            topics.push_back({title, text.split(QStringLiteral("\r\n\r\n"))});
    };
    for (const HelpTopic& k : knownTopics()) {
        const QString name = Text::latin1(k.topic);
        if (names.removeOne(name))
            add(name, Text::utf8(k.title));
    }
    for (const QString& name : names)
        add(name, titleFromName(name));
    if (topics.empty()) {
        std::fprintf(stderr, "tomaria-guida: no help topics found\n");
        return 1;
    }

    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || !GuidaPdf(std::move(topics)).write(&file, version) || !file.commit()) {
        std::fprintf(stderr, "tomaria-guida: cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
