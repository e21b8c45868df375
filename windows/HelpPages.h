#pragma once

#include "windows/RtfDocument.h"

#include <QStringList>

// The manual's pages and its table of contents, compiled into the program.
namespace ondrix::windows::helppages {

// The titles, one per line of the contents resource; title n belongs to page n + 1.
QStringList ContentsTitles();

// Page id (1-based) as a document; throws std::runtime_error when there is no such page.
RtfDocument LoadPage(int id);

} // namespace ondrix::windows::helppages
