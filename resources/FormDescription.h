#pragma once

// The main window as designed: every control with its kind, parent, position, size and
// settings. The form builds its controls from this table and every front end lays the
// window out from it.

#include "platform/vcl/Controls.h"

#include <array>

struct ControlDescription {
    const char* Name;
    vcl::ControlKind Kind;
    const char* Parent; // nullptr for the form itself
    vcl::TBounds Bounds; // pixels relative to the parent, 96 pixels per inch
    int TabOrder;
    const char* Caption;
    bool Visible;
    bool Enabled;
    int ItemHeight; // lists only
};

inline constexpr std::array<ControlDescription, 8> FlashFormDescription = { {
    { "FlashForm", vcl::ControlKind::Form, nullptr, { 192, 128, 433, 235 }, 0, "", true, true, 0 },
    { "Panel1", vcl::ControlKind::Panel, "FlashForm", { 0, 0, 425, 201 }, 0, "", true, true, 0 },
    { "SelectDriveLabel", vcl::ControlKind::Label, "Panel1", { 16, 16, 369, 25 }, 0, "", true, true, 0 },
    { "ComboBox", vcl::ControlKind::ComboBox, "Panel1", { 16, 40, 385, 24 }, 0, "", true, true, 16 },
    { "FileListBox1", vcl::ControlKind::FileListBox, "Panel1", { 16, 72, 385, 41 }, 1, "", true, true, 16 },
    { "GroupBox2", vcl::ControlKind::GroupBox, "Panel1", { 16, 128, 385, 49 }, 2, "", true, true, 0 },
    { "ProgressBar", vcl::ControlKind::ProgressBar, "GroupBox2", { 8, 16, 305, 25 }, 0, "", true, true, 0 },
    { "FlashButton", vcl::ControlKind::Button, "GroupBox2", { 320, 16, 57, 25 }, 1, "FLASH", true, true, 0 },
} };

// The form's font, which every control takes: "System", bold, a height of -16 (16
// pixels without internal leading), character set Chinese Big5 (136).
inline constexpr const char* FlashFormFontName = "System";
inline constexpr int FlashFormFontHeight = -16;
inline constexpr bool FlashFormFontBold = true;
inline constexpr int FlashFormFontCharset = 136;

// The window fits itself around Panel1 and has the colour of button faces.
inline constexpr bool FlashFormAutoSize = true;

// The progress bar's range at design time, drawn smooth.
inline constexpr int ProgressBarMin = 0;
inline constexpr int ProgressBarMax = 100;
inline constexpr bool ProgressBarSmooth = true;

// Creates the controls of the table on the form and applies the form's own row and
// font, as loading the window's design does.
void LoadFlashFormDescription(vcl::TForm& form);
