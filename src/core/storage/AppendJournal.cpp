#include "AppendJournal.h"

#include "core/storage/DiskFile.h"
#include "core/storage/SideFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr char kMagic[] = "tomaria-journal 2 ";
// The first format named no file; still read, and applied only with care.
constexpr char kFirstMagic[] = "tomaria-journal 1 ";

// What the signal handler needs, set up before the first appended byte.
struct Armed {
    volatile std::sig_atomic_t active = 0;
    int fd = -1;
    long long length = 0;
    char tail[16384] = {};
    long tailSize = 0;
    char journal[4096] = {};
};
Armed g_armed;

#ifndef Q_OS_WIN
extern "C" void cutBack(int signal)
{
    if (g_armed.active) {
        // Only calls that are safe in a signal handler.
        const off_t at = static_cast<off_t>(g_armed.length - g_armed.tailSize);
        if (::ftruncate(g_armed.fd, static_cast<off_t>(g_armed.length)) == 0
            && (g_armed.tailSize == 0 || ::pwrite(g_armed.fd, g_armed.tail, static_cast<size_t>(g_armed.tailSize), at) == g_armed.tailSize)
            && ::fsync(g_armed.fd) == 0)
            ::unlink(g_armed.journal);
        g_armed.active = 0;
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
#endif

} // namespace

namespace AppendJournal {

QString pathFor(const QString& archive)
{
    return archive + kSuffix;
}

bool begin(const QString& archive, const Before& before, QString* reason)
{
    const DiskFile::Identity of = before.of.valid ? before.of : DiskFile::identityOf(archive);
    if (!of.valid) {
        if (reason)
            *reason = QStringLiteral("impossibile sapere quale file è l'archivio");
        return false;
    }
    const QByteArray text = QByteArray(kMagic) + QByteArray::number(of.device) + ' ' + QByteArray::number(of.inode) + ' '
        + QByteArray::number(of.bornMs) + ' ' + QByteArray::number(before.length) + ' ' + before.tail.toBase64() + "\n";
    // A leftover is recovered before any append starts, so it is stale
    // here. The journal is a new file renamed over its name, never written
    // through a link or into a special file standing there: then no append.
    return SideFile::replace(
        pathFor(archive), [&](QFileDevice& journal, QString*) { return DiskFile::writeAll(journal, text.constData(), text.size()); },
        reason);
}

std::optional<Before> pending(const QString& archive)
{
    // A link or special file standing at the journal's name is never
    // opened or followed, only said; like a journal that cannot be read, it
    // may stand for an append that was never undone, so writers stop.
    QByteArray text;
    Before unreadable;
    switch (SideFile::read(pathFor(archive), &text, 64 * 1024)) {
    case SideFile::Got::Absent:
        return std::nullopt;
    case SideFile::Got::Foreign:
    case SideFile::Got::Unreadable:
        return unreadable;
    case SideFile::Got::Read:
        break;
    }
    const bool first = text.startsWith(kFirstMagic);
    if ((!first && !text.startsWith(kMagic)) || !text.endsWith('\n'))
        return unreadable;
    QList<QByteArray> parts = text.mid(sizeof(kMagic) - 1).trimmed().split(' ');
    Before before;
    if (!first) {
        // device, inode, birth, then as in the first format
        bool okDevice = false, okInode = false, okBorn = false;
        if (parts.size() < 4)
            return unreadable;
        before.of.device = parts[0].toULongLong(&okDevice);
        before.of.inode = parts[1].toULongLong(&okInode);
        before.of.bornMs = parts[2].toLongLong(&okBorn);
        if (!okDevice || !okInode || !okBorn)
            return unreadable;
        before.of.valid = true;
        parts = parts.mid(3);
    }
    bool ok = false;
    before.length = parts.value(0).toLongLong(&ok);
    if (!ok || before.length < 0 || parts.size() > 2)
        return unreadable;
    const auto tail = QByteArray::fromBase64Encoding(parts.value(1), QByteArray::AbortOnBase64DecodingErrors);
    if (!tail || tail.decoded.size() > before.length)
        return unreadable;
    before.tail = tail.decoded;
    const QDateTime written = QFileInfo(pathFor(archive)).lastModified();
    before.writtenMs = written.isValid() ? written.toMSecsSinceEpoch() : -1;
    return before;
}

bool guards(const Before& before, const QFileDevice& file, const QString& archive)
{
    if (before.length < 0 || before.length > file.size())
        return false;
    const DiskFile::Identity open = DiskFile::identityOf(file);
    const DiskFile::Identity named = DiskFile::identityOf(archive);
    if (!open.sameAs(named))
        return false;
    if (before.of.valid)
        return before.of.sameAs(open);
    // A journal of the first format: the file must have been there before
    // it, which a restored or copied-in archive (born later) was not.
    return open.bornMs >= 0 && before.writtenMs >= 0 && open.bornMs <= before.writtenMs;
}

bool end(const QString& archive)
{
    const QString path = pathFor(archive);
    // A link or special file at the name is left alone: the journal cannot
    // be known ended, and writers keep saying so.
    if (SideFile::standing(path) == SideFile::Standing::Foreign) {
        SideFile::noticeForeign(path);
        return false;
    }
    if (QFile::exists(path) && !QFile::remove(path))
        return false;
    DiskFile::syncFolder(QFileInfo(archive).absolutePath());
    return true;
}

bool recover(QFileDevice& file, const QString& archive, QString* notice)
{
    const std::optional<Before> before = pending(archive);
    if (!before)
        return true;
    if (before->length >= 0 && !guards(*before, file, archive)) {
        // Applying it would cut another file's cards, or grow this one
        // with zeros: the archive stays as it is.
        const QString journal = pathFor(archive);
        const QString aside = archive + kSetAsideSuffix;
        // A link or special file standing where it is set aside stays.
        const bool foreign = SideFile::standing(aside) == SideFile::Standing::Foreign;
        if (foreign)
            SideFile::noticeForeign(aside);
        else
            QFile::remove(aside);
        const bool kept = (!foreign && QFile::rename(journal, aside)) || QFile::remove(journal);
        DiskFile::syncFolder(QFileInfo(archive).absolutePath());
        if (notice) {
            *notice = QStringLiteral("il giornale %1 non è dell'archivio che ora porta quel nome (sostituito da un "
                                     "ripristino o a mano): non è stato applicato, l'archivio resta com'è")
                          .arg(QFileInfo(journal).fileName());
            if (kept && QFileInfo::exists(aside))
                *notice += QStringLiteral(", e il giornale è stato messo da parte come %1").arg(QFileInfo(aside).fileName());
        }
        return true;
    }
    if (before->length >= 0) {
        if (file.size() != before->length && !file.resize(before->length))
            return false;
        if (!before->tail.isEmpty()
            && (!file.seek(before->length - before->tail.size())
                || !DiskFile::writeAll(file, before->tail.constData(), before->tail.size())))
            return false;
        if (!DiskFile::syncToDisk(file))
            return false;
    }
    return end(archive);
}

void cutBackOnSignals()
{
#ifndef Q_OS_WIN
    std::signal(SIGTERM, cutBack);
    std::signal(SIGINT, cutBack);
#endif
}

void armSignals(int fd, const Before& before, const QString& archive)
{
    const QByteArray path = QFile::encodeName(pathFor(archive));
    g_armed.active = 0;
    g_armed.fd = fd;
    g_armed.length = before.length;
    g_armed.tailSize = static_cast<long>(std::min<qsizetype>(before.tail.size(), qsizetype(sizeof g_armed.tail)));
    std::memcpy(g_armed.tail, before.tail.constData(), static_cast<std::size_t>(g_armed.tailSize));
    std::snprintf(g_armed.journal, sizeof g_armed.journal, "%s", path.constData());
    g_armed.active = path.size() < qsizetype(sizeof g_armed.journal) ? 1 : 0;
}

void disarmSignals()
{
    g_armed.active = 0;
}

void testPausePoint(int batchesWritten)
{
    static const int pauseAfter = qEnvironmentVariableIntValue("TOMARIA_TEST_PAUSE_AFTER_BATCHES");
    if (pauseAfter <= 0 || batchesWritten != pauseAfter)
        return;
    std::fprintf(stderr, "pausa dopo %d blocchi\n", batchesWritten);
    std::fflush(stderr);
#ifndef Q_OS_WIN
    for (;;)
        ::pause();
#endif
}

} // namespace AppendJournal
