#pragma once

#include "windows/RtfDocument.h"

class QTextDocument;

// Moves pages between the RTF model and the text document a rich-text view shows.
namespace ondrix::windows {

// Replaces the content of target with the document (Arial, bullets as disc lists).
void FillTextDocument(const RtfDocument& document, QTextDocument& target);

// The paragraphs, sizes, weights, alignments and bullets of a text document.
RtfDocument FromTextDocument(const QTextDocument& source);

} // namespace ondrix::windows
