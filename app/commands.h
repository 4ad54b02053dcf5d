// The window's commands by identity: one entry per command with the band and
// tool name it answers to in the tool bar control, the caption it starts
// with (the texts of both languages come from the caption tables), its icon
// on the tool bar, its key and whether it is checkable. The tool bar control
// builds its menus and buttons from these entries, the viewer its actions,
// and code names a command as Command::Export rather than by band and name.
//
// Clicks still arrive as the tool clicked (band and name); commandOf() tells
// which command that is.
#pragma once

#include <QKeySequence>
#include <QString>
#include <QStyle>
#include <optional>
#include <span>

namespace cellwatch {

enum class Command {
    Open,
    Recordings,
    Import,
    Export,
    Print,
    Exit,
    Save,
    Copy,
    Reconnect,
    Summary,
    ZoomPan,
    CellCurves,
    RangeCursors,
    ExportRange,
    Pack,
    Guide,
    About,
    English,
    Chinese,
    German,
    Connect,
    Disconnect,
    CrossLine,
    Refresh,
};

struct CommandEntry {
    Command id;
    const char* band;     // the menu band ("file1", "View1", "Help1", "Lang1") or "Tools"
    const char* tool;     // the tool's name in that band
    const char* caption;  // as created, before the language's captions are set
    bool onToolBar;       // also a button of the tool bar ("Tools" band)
    int icon;             // a QStyle::StandardPixmap on the tool bar; -1 for none
    QKeySequence::StandardKey standardKey;
    int key;  // a key combination where there is no standard key; 0 for none
    bool checkable;
};

std::span<const CommandEntry> commandCatalogue();
const CommandEntry& commandEntry(Command command);
// The command a tool of the tool bar control stands for; nothing for the
// tools that are no commands (the port box, lamps, texts, menus).
std::optional<Command> commandOf(const QString& band, const QString& tool);
QKeySequence commandKey(Command command);
// The command's caption and tooltip in the language chosen, as the tool bar
// shows them; its name when the caption tables have none.
QString commandCaption(Command command, bool chinese);
QString commandTooltip(Command command, bool chinese);

// The tools of the tool bar control that are no commands.
enum class StatusTool {
    Port,         // the port box "com" on the tool bar
    Language,     // the tool bar's language menu
    PortLamp,     // "USBL1": lit while a port is open
    ReceiveLamp,  // "Light2": flips as bytes arrive
    LinkState,    // "Link_state": on line or disconnected
    Message,      // "state_text": the status list
    Model,        // the charger model box
    Charger,      // the charger's driver, beside the port box
};
struct ToolName {
    const char* band;
    const char* tool;
};
ToolName toolName(StatusTool tool);

}  // namespace cellwatch
