#pragma once

#include <QByteArray>

// Whether a file is a library's MARC records, from its first bytes alone:
// the command line loads the look-up plugin, which reads them, only for
// such a file.
namespace MarcHead {

// ISO 2709 (a leader of MARC 21 or UNIMARC) or MARCXML.
bool recognised(const QByteArray& head);

} // namespace MarcHead
