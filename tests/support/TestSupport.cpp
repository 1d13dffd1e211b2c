#include "TestSupport.h"

#include "ui/report/PrintDialog.h"
#include "ui/shell/FileChooser.h"

#include <QPrinter>

#include <algorithm>

#include "ui/registry/ScreenRegistry.h"
#include "ui/shell/Screens.h"
#include "ui/shell/TMisc.h"
#include "ui/books/TfrmLibri.h"
#include "core/storage/ProgramFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TestFolder::TestFolder()
{
    ProgramFolder::setPath(m_dir.path());
}

TestFolder::~TestFolder()
{
    ProgramFolder::setPath(QString());
}

QString TestFolder::path() const
{
    return m_dir.path() + QLatin1Char('/');
}

QByteArray TestFolder::read(const QString& name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestFolder::write(const QString& name, const QByteArray& bytes) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

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

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit limit = m_old;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_handler);
}

FifoWatch::FifoWatch(const QString& path)
    : m_path(QFile::encodeName(path))
{
    m_created = ::mkfifo(m_path.constData(), 0600) == 0;
    if (!m_created)
        return;
    m_watcher = std::thread([this] {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_done.wait_for(lock, std::chrono::seconds(10), [this] { return m_stop; }))
            return;
        m_hung = true;
        // Non-blocking: succeeds only while a reader waits, and then frees it.
        const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
}

FifoWatch::~FifoWatch()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_done.notify_all();
    if (m_watcher.joinable())
        m_watcher.join();
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

qint64 FailingDevice::writeData(const char* data, qint64 size)
{
    const qint64 room = m_limit - written.size();
    if (room <= 0)
        return -1;
    const qint64 taken = std::min(room, size);
    written.append(data, taken);
    return taken;
}
