#pragma once

#include "RecordLayout.h"

// The three record types of the archives, described as field tables.
extern const RecordLayout TSchedaLibro;    // "Libri.pro", 3237 bytes
extern const RecordLayout TSchedaDVD;      // "DVD.pro", 3634 bytes
extern const RecordLayout TSchedaArticolo; // "YYYY.art", 7706 bytes
