#pragma once

#include "CoreSupport.h"

#include "ui/shell/Msg.h"

#include "print/report/PreparedReport.h"

#include <QApplication>
#include <QPointer>
#include <QStringList>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <deque>
#include <functional>
#include <memory>

// Replaces the message boxes while it lives: records each one and answers
// confirmations from a script (No when the script is empty).
class MessageLog {
public:
    struct Entry {
        Msg::Kind kind;
        QString text;
    };
    MessageLog();
    ~MessageLog();
    QList<Entry> entries;
    std::deque<bool> answers;

    void clear() { entries.clear(); }
    QString lastText() const { return entries.isEmpty() ? QString() : entries.last().text; }
};

// Records what the document opener was asked to open.
class OpenLog {
public:
    explicit OpenLog(bool succeed = true);
    ~OpenLog();
    QList<QUrl> urls;
};

// Replaces the file-open dialog while it lives: each call takes the next
// answer (a path, or empty for Cancel) and records the title and filter.
class FileChoice {
public:
    FileChoice();
    ~FileChoice();
    std::deque<QString> answers;
    QStringList titles, filters;
};

// Replaces the print dialog while it lives: keeps what it was offered and
// accepts (printing into `pdf` when one is named) or cancels.
class PrintLog {
public:
    explicit PrintLog(bool accept, const QString& pdf = {});
    ~PrintLog();
    QList<PreparedReport> offered;
};

// Runs `drive` on the next modal window of class T as soon as it is shown,
// so a test can open a dialog and read top to bottom. A dialog the driver
// leaves open (a failed check returns early) is closed, so the test goes
// on to report the failure instead of waiting for ever.
// `intervalMs` spaces the looks for a window that comes only after some
// work (a catalogue's answer).
template <class T> void onNextModal(std::function<void(T*)> drive, int attempts = 200, int intervalMs = 0)
{
    QTimer::singleShot(intervalMs, [drive, attempts, intervalMs] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            QPointer<T> guard(w);
            drive(w);
            if (guard && guard->isVisible() && QApplication::activeModalWidget() == guard)
                guard->close();
            return;
        }
        if (attempts > 0)
            onNextModal<T>(drive, attempts - 1, intervalMs);
    });
}

class TfrmLibri;

// The 23 start-up screens over a fresh program folder, with the message
// boxes recorded and the book card shown; destroyed in reverse order.
struct BookCardSession {
    BookCardSession();
    ~BookCardSession();
    TestFolder folder;
    MessageLog log;
    TfrmLibri* card = nullptr;
};

// The book card on a fresh folder, shared by the tests of the card: a test
// class derives from it after QObject, opens it in init() and closes it in
// cleanup().
class BookCardFixture {
protected:
    // False when the card did not become the active window.
    bool openBookCard();
    void closeBookCard();

    TestFolder* m_folder = nullptr;
    MessageLog* m_log = nullptr;
    TfrmLibri* m_card = nullptr;

private:
    std::unique_ptr<BookCardSession> m_session;
};

// Sends Enter-key presses and mouse moves the way the window system would.
void pressEnter(QWidget* w);

// The text of a PDF as pdftotext lays it out, pages separated by form
// feeds; empty without pdftotext (the caller skips) or when it hangs.
QString pdfText(const QString& pdf);
void hover(QWidget* w);
// For a look at a screen: with TOMARIA_GRAB_DIR set, `w` is grabbed to
// `name`.png in that folder; otherwise nothing happens.
void grabForALook(QWidget* w, const QString& name);
