#pragma once

// Standard input and output for the console front end: raw bytes (no line-end
// translation) and whether the input is a terminal.

namespace ui {

// Puts the standard streams into the state the console front end needs and tells
// whether standard input is a terminal.
bool PrepareStandardStreams();

} // namespace ui
