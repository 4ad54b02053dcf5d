// The commands of every window by identity: one entry per command with the
// band and tool name it answers to in the tool bar control, its English
// caption (translated where shown; the caption tables give the specified
// captions), its icon on the tool bar, its key, whether it is checkable and
// the setting its checked state is kept in. The tool bar control builds its
// menus and buttons from these entries, other windows their actions
// (CommandActions), and code names a command as Command::Export rather than
// by band, name or caption.
//
// Clicks still arrive as the tool clicked (band and name); commandOf() tells
// which command that is.
#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>
#include <QStyle>
#include <functional>
#include <optional>
#include <span>
#include <vector>

class QAction;
class QWidget;

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
    // Every language of the table (language.h) in the band "Lang1": one tool
    // per language, named by its stored code, captioned with its own name.
    Language,
    Connect,
    Disconnect,
    CrossLine,
    Refresh,
    // Added to the menus after the specified ones, in their order.
    CaptureLine,     // File, before Exit
    AlarmSound,      // View > Alarms
    AlarmRules,      // View
    AllChannels,     // View
    NetworkList,     // View
    WatchCharger,    // View
    PublishLine,     // View
    Share,           // View
    Database,        // View
    WhitePaper,      // View
    Emulator,        // Help, before About
    CellDifference,  // a viewer's tool bar
};

// The tool name of Command::Language's entry: it stands for one tool per
// language of the table, each named by the language's stored code.
inline constexpr const char* kLanguageTools = "*";

struct CommandEntry {
    Command id;
    const char* band;     // the menu band ("file1", "View1", "Help1", "Lang1") or "Tools"
    const char* tool;     // the tool's name in that band
    const char* caption;  // English, in the context commandContext(); before SetCaptions
    bool onToolBar;       // also a button of the tool bar ("Tools" band)
    int icon;             // a QStyle::StandardPixmap on the tool bar; -1 for none
    QKeySequence::StandardKey standardKey;
    int key;  // a key combination where there is no standard key; 0 for none
    bool checkable;
    // The setting its checked state is kept in, "section/key" of the
    // application's settings; nullptr for none. The command's owner reads
    // and writes it.
    const char* setting = nullptr;
    const char* tooltip = nullptr;  // English, in the same context; nullptr for none
    // Within its menu band, a separator stands between commands of
    // different groups.
    int group = 0;
};

// A menu inside a menu band: its tool ("file1" "Lang") opens the band of its
// own ("Lang1"), in the group of `group` before the command `before`.
struct SubmenuEntry {
    const char* parentBand;
    const char* tool;
    const char* band;
    const char* caption;  // English, in the context "Menu"
    Command before;
    int group;
};
std::span<const SubmenuEntry> submenuCatalogue();

// "Menu" for the menu bands, "ToolBar" for "Tools" and "Viewer" for the
// commands only a viewer has.
const char* commandContext(const CommandEntry& entry);

std::span<const CommandEntry> commandCatalogue();
const CommandEntry& commandEntry(Command command);
// The command a tool of the tool bar control stands for; nothing for the
// tools that are no commands (the port box, lamps, texts, menus). Every
// language's tool in "Lang1" stands for Command::Language.
std::optional<Command> commandOf(const QString& band, const QString& tool);
QKeySequence commandKey(Command command);
// The command's caption and tooltip in the language installed, as the tool
// bar shows them: the caption tables' where they have one, else the
// catalogue's.
QString commandCaption(Command command);
QString commandTooltip(Command command);

// The actions of a window's commands made from the catalogue: each with its
// caption, tooltip, key and checkability, named "band.tool", written again in
// the language installed whenever the window hears of a language change.
// `run` gets the checked state (false for commands that are not checkable).
class CommandActions final : public QObject {
    Q_OBJECT
public:
    explicit CommandActions(QWidget& window);
    QAction* add(Command command, const std::function<void(bool)>& run);
    QAction* action(Command command) const;  // nullptr when not added
    void retranslate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    std::vector<std::pair<Command, QAction*>> actions_;
};

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
