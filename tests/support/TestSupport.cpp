#include "TestSupport.h"

#include "ui/report/PrintDialog.h"
#include "ui/shell/FileChooser.h"

#include <QPrinter>

#include <algorithm>

#include "ui/registry/ScreenRegistry.h"
#include "ui/registry/Screens.h"
#include "ui/shell/TMisc.h"
#include "ui/books/TfrmLibri.h"
#include "core/storage/ProgramFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

MessageLog::MessageLog()
{
    Msg::setHandler([this](Msg::Kind kind, const QString& text) {
        entries.append({kind, text});
        if (kind != Msg::Kind::Confirmation)
            return true;
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    });
}

MessageLog::~MessageLog()
{
    Msg::setHandler({});
}

OpenLog::OpenLog(bool succeed)
{
    TMisc::setOpener([this, succeed](const QUrl& url) {
        urls.append(url);
        return succeed;
    });
}

OpenLog::~OpenLog()
{
    TMisc::setOpener({});
}

BookCardSession::BookCardSession()
{
    Screens::createAll();
    card = Screens::frmLibri;
    card->showScreen();
}

BookCardSession::~BookCardSession()
{
    Screens::destroyAll();
}

void pressEnter(QWidget* w)
{
    QTest::keyClick(w, Qt::Key_Return);
}

void hover(QWidget* w)
{
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(w, &enter);
    // The window system sends the move to the widget directly under the
    // pointer: a spot of w that none of its children covers.
    QPointF at(w->width() / 2.0, w->height() / 2.0);
    for (int y = 0; w->childAt(at.toPoint()) && y < w->height(); y += 4) {
        for (int x = 0; x < w->width(); x += 4) {
            if (!w->childAt(x, y)) {
                at = QPointF(x, y);
                break;
            }
        }
    }
    QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
}

FileChoice::FileChoice()
{
    FileChooser::setHandler([this](const QString& title, const QString& filter) {
        titles.append(title);
        filters.append(filter);
        if (answers.empty())
            return QString();
        const QString next = answers.front();
        answers.pop_front();
        return next;
    });
}

FileChoice::~FileChoice()
{
    FileChooser::setHandler({});
}

PrintLog::PrintLog(bool accept, const QString& pdf)
{
    PrintDialog::setHandler([this, accept, pdf](QPrinter& printer, const PreparedReport& report) {
        offered.append(report);
        if (!pdf.isEmpty()) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
        }
        return accept;
    });
}

PrintLog::~PrintLog()
{
    PrintDialog::setHandler({});
}

QString pdfText(const QString& pdf)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return {};
    QProcess p;
    p.start(tool, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

void grabForALook(QWidget* w, const QString& name)
{
    const QString folder = qEnvironmentVariable("TOMARIA_GRAB_DIR");
    if (!folder.isEmpty())
        w->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}
