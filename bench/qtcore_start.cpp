// The start-up yardstick: a program that links Qt Core alone, makes a
// QCoreApplication and prints one line, as `tomaria-cli --version` does.
// bench/startup.sh times both, turn by turn, as whole processes.
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    out << "qtcore_start 1.0.0\n";
    return 0;
}
