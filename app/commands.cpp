#include "app/commands.h"

#include <QCoreApplication>
#include <algorithm>
#include <stdexcept>

#include "app/captions.h"

namespace cellwatch {
namespace {

constexpr int kNoIcon = -1;
constexpr auto kNoStandardKey = QKeySequence::UnknownKey;
constexpr int ctrl(Qt::Key key) {
    return static_cast<int>(Qt::CTRL) | static_cast<int>(key);
}

// In the order of the menus and the tool bar.
constexpr CommandEntry kCatalogue[] = {
    {Command::Open, "file1", "Open", "Open…", false, kNoIcon, QKeySequence::Open, 0, false},
    {Command::Recordings, "file1", "Records", "Recordings…", false, kNoIcon, kNoStandardKey, 0,
     false},
    {Command::Import, "file1", "Import", QT_TRANSLATE_NOOP("Commands", "Import…"), false, kNoIcon,
     kNoStandardKey, 0, false},
    {Command::Export, "file1", "Export", "Export", true, QStyle::SP_DialogSaveButton,
     kNoStandardKey, ctrl(Qt::Key_E), false},
    {Command::Print, "file1", "Print", "Print", true, QStyle::SP_FileDialogDetailedView,
     QKeySequence::Print, 0, false},
    {Command::Exit, "file1", "Exit", "Exit", false, kNoIcon, kNoStandardKey, ctrl(Qt::Key_Q),
     false},
    {Command::Save, "View1", "Save", "Save", false, kNoIcon, QKeySequence::Save, 0, false},
    {Command::Copy, "View1", "Copy", "Copy", false, kNoIcon, QKeySequence::Copy, 0, false},
    {Command::Reconnect, "View1", "Reconnect", "Reconnect to the same adapter", false, kNoIcon,
     kNoStandardKey, 0, true},
    {Command::Summary, "View1", "Summary", "Summary…", false, kNoIcon, kNoStandardKey, 0, false},
    {Command::ZoomPan, "View1", "ZoomPan", "Zoom and pan", false, kNoIcon, kNoStandardKey, 0, true},
    {Command::CellCurves, "View1", "CellCurves", "Cell curves", false, kNoIcon, kNoStandardKey, 0,
     true},
    {Command::RangeCursors, "View1", "RangeCursors", "Range cursors", false, kNoIcon,
     kNoStandardKey, 0, true},
    {Command::ExportRange, "View1", "ExportRange", "Export range…", false, kNoIcon, kNoStandardKey,
     0, false},
    {Command::Pack, "View1", "Pack", "Pack…", false, kNoIcon, kNoStandardKey, 0, false},
    {Command::Guide, "Help1", "Guid", "Guid", false, kNoIcon, kNoStandardKey, 0, false},
    {Command::About, "Help1", "About", "About", false, kNoIcon, kNoStandardKey, 0, false},
    {Command::English, "Lang1", "ENG", "English", false, kNoIcon, kNoStandardKey, 0, false},
    {Command::Chinese, "Lang1", "CHT", "\u6b63\u9ad4\u4e2d\u6587", false, kNoIcon, kNoStandardKey,
     0, false},
    {Command::German, "Lang1", "DEU", "Deutsch", false, kNoIcon, kNoStandardKey, 0, false},
    {Command::Connect, "Tools", "Link", "Connect", true, QStyle::SP_MediaPlay, kNoStandardKey, 0,
     false},
    {Command::Disconnect, "Tools", "Off", "Disconnect", true, QStyle::SP_MediaStop, kNoStandardKey,
     0, false},
    {Command::CrossLine, "Tools", "CrossLine", "CrossLine", true, QStyle::SP_DialogHelpButton,
     kNoStandardKey, 0, true},
    {Command::Refresh, "Tools", "Refresh", "Refresh", true, QStyle::SP_BrowserReload,
     kNoStandardKey, static_cast<int>(Qt::Key_F5), false},
};

QString captionText(Command command, ToolProperty property, bool chinese) {
    const CommandEntry& e = commandEntry(command);
    for (const ToolCaption& c : toolCaptions()) {
        if (c.property == property && qstrcmp(c.tool, e.tool) == 0 &&
            (qstrcmp(c.band, e.band) == 0 || (e.onToolBar && qstrcmp(c.band, "Tools") == 0))) {
            return QString::fromUtf8(chinese ? c.chinese : c.english);
        }
    }
    // A caption the tables do not have is translated as the window's new texts are.
    return property == ToolProperty::Caption ? QCoreApplication::translate("Commands", e.caption)
                                             : QString();
}

}  // namespace

std::span<const CommandEntry> commandCatalogue() {
    return kCatalogue;
}

const CommandEntry& commandEntry(Command command) {
    const auto* e = std::find_if(std::begin(kCatalogue), std::end(kCatalogue),
                                 [command](const CommandEntry& x) { return x.id == command; });
    if (e == std::end(kCatalogue)) {
        throw std::logic_error("a command without its entry in the catalogue");
    }
    return *e;
}

std::optional<Command> commandOf(const QString& band, const QString& tool) {
    for (const CommandEntry& e : kCatalogue) {
        const bool inBand =
            band == QLatin1String(e.band) || (e.onToolBar && band == QLatin1String("Tools"));
        if (inBand && tool == QLatin1String(e.tool)) {
            return e.id;
        }
    }
    return std::nullopt;
}

QKeySequence commandKey(Command command) {
    const CommandEntry& e = commandEntry(command);
    if (e.standardKey != QKeySequence::UnknownKey) {
        return QKeySequence(e.standardKey);
    }
    return e.key != 0 ? QKeySequence(e.key) : QKeySequence();
}

QString commandCaption(Command command, bool chinese) {
    return captionText(command, ToolProperty::Caption, chinese);
}

QString commandTooltip(Command command, bool chinese) {
    return captionText(command, ToolProperty::Tooltip, chinese);
}

ToolName toolName(StatusTool tool) {
    switch (tool) {
        case StatusTool::Port:
            return {"Tools", "com"};
        case StatusTool::Language:
            return {"Tools", "Language"};
        case StatusTool::PortLamp:
            return {"state", "USBL1"};
        case StatusTool::ReceiveLamp:
            return {"state", "Light2"};
        case StatusTool::LinkState:
            return {"state", "Link_state"};
        case StatusTool::Message:
            return {"state", "state_text"};
        case StatusTool::Model:
            return {"state", "Model"};
        case StatusTool::Charger:
            return {"Tools", "charger"};
    }
    return {"", ""};
}

}  // namespace cellwatch
