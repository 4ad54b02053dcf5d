// The texts of the main window as tables of English source texts, marked for
// Qt's translation system and translated where they are shown, and the status
// list of the status band.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QTime>
#include <span>

#include "protocol/version.h"

namespace cellwatch {

class Tool;

enum class ToolProperty { Caption, Tooltip };

// A caption or tooltip of a tool; its English text is translated in the
// context of its band (captionContext()).
struct ToolCaption {
    const char* band;
    const char* tool;
    ToolProperty property;
    const char* text;  // "" for none
    QString translated() const;
};
// "Menu" for the menu bands, "ToolBar" for "Tools", "StatusBand" for "state".
const char* captionContext(const char* band);

// A caption or tooltip of a named control of the window.
struct ControlText {
    const char* control;  // objectName: "A001", "Check1_0", "Label3_22", ...
    const char* text;
    // "ControlTooltips", "ReadoutTitles" or, for A014 to A019 (the
    // cells' panel), "CellReadoutTitles".
    const char* context() const;
    QString translated() const;
};

// In the order they are written: bands "Main_Menu", "file1", "View1",
// "Help1", "Tools", then "state". (The languages of "Lang1" keep their own
// names: language.h.)
std::span<const ToolCaption> toolCaptions();
// Readout titles A001 to A019.
std::span<const ControlText> readoutTitles();
// Tooltips of the curve switches and the readout values.
std::span<const ControlText> controlTooltips();

// A text of the window in the context "Captions", translated where shown.
struct Phrase {
    const char* source;
    QString text() const { return QCoreApplication::translate("Captions", source); }
};

inline constexpr Phrase kTabGraph = {QT_TRANSLATE_NOOP("Captions", "Graph")};
inline constexpr Phrase kTabData = {QT_TRANSLATE_NOOP("Captions", "Real-time data")};
// The English title is "Cellwatch " followed by eight blanks.
inline constexpr Phrase kWindowTitle = {QT_TRANSLATE_NOOP("Captions", "Cellwatch         ")};
inline constexpr Phrase kLanguageSetMessage = {
    QT_TRANSLATE_NOOP("Captions", "The language has been set into English")};
inline constexpr Phrase kOnLine = {QT_TRANSLATE_NOOP("Captions", "On line")};
inline constexpr Phrase kDisconnected = {QT_TRANSLATE_NOOP("Captions", "Disconnected")};
inline constexpr Phrase kLinkLost = {
    QT_TRANSLATE_NOOP("Captions", "The link to the charger was lost")};
inline constexpr Phrase kAwaitingAdapter = {
    QT_TRANSLATE_NOOP("Captions", "waiting for the same adapter to come back")};
inline constexpr Phrase kReconnected = {QT_TRANSLATE_NOOP("Captions", "Reconnected to")};
inline constexpr Phrase kOpened = {QT_TRANSLATE_NOOP("Captions", "Opened")};
inline constexpr Phrase kReplayEnded = {
    QT_TRANSLATE_NOOP("Captions", "The capture has been played to its end")};
inline constexpr Phrase kJournalStopped = {
    QT_TRANSLATE_NOOP("Captions", "The recording's journal stopped")};
inline constexpr Phrase kJournalCaughtUp = {
    QT_TRANSLATE_NOOP("Captions", "The recording's journal caught up with every row")};
inline constexpr Phrase kJournalRecreated = {QT_TRANSLATE_NOOP(
    "Captions", "The recording's journal was deleted; written again with every row so far")};
// What Export (%1 rows, %2 the file), Save (%1 the file), Copy and Print did.
inline constexpr Phrase kExportedRows = {QT_TRANSLATE_NOOP("Captions", "Exported %1 rows to %2")};
inline constexpr Phrase kExportedRow = {QT_TRANSLATE_NOOP("Captions", "Exported %1 row to %2")};
inline constexpr Phrase kSavedChart = {QT_TRANSLATE_NOOP("Captions", "Saved the chart to %1")};
inline constexpr Phrase kCopiedChart = {QT_TRANSLATE_NOOP("Captions", "Copied the chart")};
inline constexpr Phrase kPrintedChart = {QT_TRANSLATE_NOOP("Captions", "Printed the chart")};

// The pause rule started a new recording (%1: the previous one's file).
inline constexpr Phrase kNewRecordingKept = {
    QT_TRANSLATE_NOOP("Captions", "A new recording began; the previous one is kept in %1")};
inline constexpr Phrase kNewRecording = {QT_TRANSLATE_NOOP("Captions", "A new recording began")};

// Packs: the status band.
// %1: the pack's name.
inline constexpr Phrase kPackChosen = {QT_TRANSLATE_NOOP("Captions", "Pack: %1")};
inline constexpr Phrase kPackCleared = {
    QT_TRANSLATE_NOOP("Captions", "Recordings no longer name a pack")};
inline constexpr Phrase kPackNotWritten = {
    QT_TRANSLATE_NOOP("Captions", "The pack could not be kept")};

// The progress of reading or writing a file ("%1": its name).
inline constexpr Phrase kOpeningFile = {QT_TRANSLATE_NOOP("Captions", "Opening %1")};
inline constexpr Phrase kExportingFile = {QT_TRANSLATE_NOOP("Captions", "Exporting %1")};

// The caption (or tooltip) of a tool in the language installed; "" for none.
QString toolCaption(const char* band, const char* tool, ToolProperty property);

// A count with its thousands grouped by commas (1,204), whatever the
// system's locale.
QString groupedCount(qint64 count);

// The program's version as the window title and the about box write it.
inline constexpr const char* kVersionText = kProgramVersion;

// Shows a message in the status band's list tool and keeps it in its list;
// a list of 50 or more is emptied first, so it holds 1 to 50, newest last.
// The entry keeps `at` (now when not given), which the open list shows.
void PostStatusMessage(Tool& stateText, const QString& message, const QTime& at = {});
inline constexpr int kStatusListLimit = 50;

}  // namespace cellwatch
