#pragma once

#include <QString>

#include <functional>

// A file of codes, one a line, as a scanner or an editor writes it (the
// stocktake's `--codes`). Only a regular file is read (a FIFO, a device or
// a folder is refused before anything waits on it), a line at a time, so
// that any file is read in a few kilobytes of memory; a line longer than
// InputBudget::kCodeLineBytes is no code and refuses the file, and so does
// a file of more than InputBudget::kCodes codes.
class CodesFile {
public:
    enum class Status {
        Done,
        NotFound,
        NotRegular, // a FIFO, a device, a folder
        LineTooLong,
        TooManyCodes,
        ReadError,
    };

    // Calls `onCode` with every line that is not blank, trimmed, in order.
    // On failure `why` says what was wrong in Italian (with the line when
    // there is one); nothing was handed over when the file is not regular
    // or could not be opened.
    static Status read(const QString& path, const std::function<void(const QString&)>& onCode, QString* why);
};
