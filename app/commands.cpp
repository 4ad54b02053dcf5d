#include "app/commands.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <stdexcept>

#include "app/captions.h"
#include "app/language.h"

namespace cellwatch {
namespace {

constexpr int kNoIcon = -1;
constexpr auto kNoStandardKey = QKeySequence::UnknownKey;
constexpr int ctrl(Qt::Key key) {
    return static_cast<int>(Qt::CTRL) | static_cast<int>(key);
}

// In the order of the menus and the tool bar.
constexpr CommandEntry kCatalogue[] = {
    {Command::Open, "file1", "Open", QT_TRANSLATE_NOOP("Menu", "Open…"), false, kNoIcon,
     QKeySequence::Open, 0, false},
    {Command::Recordings, "file1", "Records", QT_TRANSLATE_NOOP("Menu", "Recordings…"), false,
     kNoIcon, kNoStandardKey, 0, false},
    {Command::Import, "file1", "Import", QT_TRANSLATE_NOOP("Menu", "Import…"), false, kNoIcon,
     kNoStandardKey, 0, false},
    {Command::Export, "file1", "Export", QT_TRANSLATE_NOOP("Menu", "Export"), true,
     QStyle::SP_DialogSaveButton, kNoStandardKey, ctrl(Qt::Key_E), false, nullptr, nullptr, 1},
    {Command::Print, "file1", "Print", QT_TRANSLATE_NOOP("Menu", "Print"), true,
     QStyle::SP_FileDialogDetailedView, QKeySequence::Print, 0, false, nullptr, nullptr, 1},
    {Command::CaptureLine, "file1", "CaptureLine", QT_TRANSLATE_NOOP("Menu", "Capture the line…"),
     false, kNoIcon, kNoStandardKey, 0, true, nullptr, nullptr, 3},
    {Command::Exit, "file1", "Exit", QT_TRANSLATE_NOOP("Menu", "Exit"), false, kNoIcon,
     kNoStandardKey, ctrl(Qt::Key_Q), false, nullptr, nullptr, 3},
    {Command::Save, "View1", "Save", QT_TRANSLATE_NOOP("Menu", "Save"), false, kNoIcon,
     QKeySequence::Save, 0, false},
    {Command::Copy, "View1", "Copy", QT_TRANSLATE_NOOP("Menu", "Copy"), false, kNoIcon,
     QKeySequence::Copy, 0, false},
    {Command::Reconnect, "View1", "Reconnect",
     QT_TRANSLATE_NOOP("Menu", "Reconnect to the same adapter"), false, kNoIcon, kNoStandardKey, 0,
     true, nullptr, nullptr, 1},
    {Command::Summary, "View1", "Summary", QT_TRANSLATE_NOOP("Menu", "Summary…"), false, kNoIcon,
     kNoStandardKey, 0, false, nullptr, nullptr, 1},
    {Command::ZoomPan, "View1", "ZoomPan", QT_TRANSLATE_NOOP("Menu", "Zoom and pan"), false,
     kNoIcon, kNoStandardKey, 0, true, "ZoomPan/ZoomPan", nullptr, 1},
    {Command::CellCurves, "View1", "CellCurves", QT_TRANSLATE_NOOP("Menu", "Cell curves"), false,
     kNoIcon, kNoStandardKey, 0, true, "CellCurves/CellCurves", nullptr, 1},
    {Command::RangeCursors, "View1", "RangeCursors", QT_TRANSLATE_NOOP("Menu", "Range cursors"),
     false, kNoIcon, kNoStandardKey, 0, true, nullptr, nullptr, 1},
    {Command::ExportRange, "View1", "ExportRange", QT_TRANSLATE_NOOP("Menu", "Export range…"),
     false, kNoIcon, kNoStandardKey, 0, false, nullptr, nullptr, 1},
    {Command::Pack, "View1", "Pack", QT_TRANSLATE_NOOP("Menu", "Pack…"), false, kNoIcon,
     kNoStandardKey, 0, false, nullptr, nullptr, 1},
    {Command::AlarmSound, "Alarms1", "AlarmSound", QT_TRANSLATE_NOOP("Menu", "Sound"), false,
     kNoIcon, kNoStandardKey, 0, true, "Alarms/sound"},
    {Command::AlarmRules, "View1", "AlarmRules", QT_TRANSLATE_NOOP("Menu", "Alarms…"), false,
     kNoIcon, kNoStandardKey, 0, false, nullptr, nullptr, 1},
    {Command::AllChannels, "View1", "AllChannels", QT_TRANSLATE_NOOP("Menu", "All channels"), false,
     kNoIcon, kNoStandardKey, 0, true, "AllChannels/AllChannels", nullptr, 1},
    {Command::NetworkList, "View1", "NetworkList",
     QT_TRANSLATE_NOOP("Menu", "Chargers on the network…"), false, kNoIcon, kNoStandardKey, 0,
     false, nullptr, nullptr, 2},
    {Command::WatchCharger, "View1", "WatchCharger", QT_TRANSLATE_NOOP("Menu", "Watch a charger…"),
     false, kNoIcon, kNoStandardKey, 0, false, nullptr, nullptr, 2},
    {Command::PublishLine, "View1", "PublishLine",
     QT_TRANSLATE_NOOP("Menu", "Publish on the network…"), false, kNoIcon, kNoStandardKey, 0, false,
     nullptr, nullptr, 2},
    {Command::Share, "View1", "Share", QT_TRANSLATE_NOOP("Menu", "Share on the local network…"),
     false, kNoIcon, kNoStandardKey, 0, false, nullptr, nullptr, 2},
    {Command::Database, "View1", "Database", QT_TRANSLATE_NOOP("Menu", "Send to a database…"),
     false, kNoIcon, kNoStandardKey, 0, false, nullptr, nullptr, 2},
    {Command::WhitePaper, "View1", "WhitePaper",
     QT_TRANSLATE_NOOP("Menu", "Save and print on white paper"), false, kNoIcon, kNoStandardKey, 0,
     true, "Pictures/WhitePaper", nullptr, 2},
    {Command::Guide, "Help1", "Guid", QT_TRANSLATE_NOOP("Menu", "Guid"), false, kNoIcon,
     kNoStandardKey, 0, false},
    {Command::Emulator, "Help1", "Emulator", QT_TRANSLATE_NOOP("Menu", "Try the emulator"), false,
     kNoIcon, kNoStandardKey, 0, false},
    {Command::About, "Help1", "About", QT_TRANSLATE_NOOP("Menu", "About"), false, kNoIcon,
     kNoStandardKey, 0, false},
    {Command::Language, "Lang1", kLanguageTools, QT_TRANSLATE_NOOP("Menu", "Language"), false,
     kNoIcon, kNoStandardKey, 0, true},
    {Command::Connect, "Tools", "Link", QT_TRANSLATE_NOOP("ToolBar", "Connect"), true,
     QStyle::SP_MediaPlay, kNoStandardKey, 0, false},
    {Command::Disconnect, "Tools", "Off", QT_TRANSLATE_NOOP("ToolBar", "Disconnect"), true,
     QStyle::SP_MediaStop, kNoStandardKey, 0, false},
    {Command::CrossLine, "Tools", "CrossLine", QT_TRANSLATE_NOOP("ToolBar", "CrossLine"), true,
     QStyle::SP_DialogHelpButton, kNoStandardKey, 0, true, nullptr,
     QT_TRANSLATE_NOOP("ToolBar", "Show / Hide Cross Line")},
    {Command::Refresh, "Tools", "Refresh", QT_TRANSLATE_NOOP("ToolBar", "Refresh"), true,
     QStyle::SP_BrowserReload, kNoStandardKey, static_cast<int>(Qt::Key_F5), false},
    {Command::CellDifference, "Viewer", "CellDifference", QT_TRANSLATE_NOOP("Viewer", "Cells Δ mV"),
     false, kNoIcon, kNoStandardKey, 0, true, nullptr,
     QT_TRANSLATE_NOOP("Viewer", "Cell curves as the difference from the mean, in mV")},
};

constexpr SubmenuEntry kSubmenus[] = {
    {"file1", "Lang", "Lang1", QT_TRANSLATE_NOOP("Menu", "Language"), Command::CaptureLine, 2},
    {"View1", "Alarms", "Alarms1", QT_TRANSLATE_NOOP("Menu", "Alarms"), Command::AlarmRules, 1},
};

QString captionText(Command command, ToolProperty property) {
    const CommandEntry& e = commandEntry(command);
    for (const ToolCaption& c : toolCaptions()) {
        if (c.property == property && qstrcmp(c.tool, e.tool) == 0 &&
            (qstrcmp(c.band, e.band) == 0 || (e.onToolBar && qstrcmp(c.band, "Tools") == 0))) {
            return c.translated();
        }
    }
    const char* text = property == ToolProperty::Caption ? e.caption : e.tooltip;
    return text == nullptr ? QString() : QCoreApplication::translate(commandContext(e), text);
}

}  // namespace

std::span<const CommandEntry> commandCatalogue() {
    return kCatalogue;
}

std::span<const SubmenuEntry> submenuCatalogue() {
    return kSubmenus;
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
        const bool named = qstrcmp(e.tool, kLanguageTools) == 0 ? !languageCaption(tool).isEmpty()
                                                                : tool == QLatin1String(e.tool);
        if (inBand && named) {
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

const char* commandContext(const CommandEntry& entry) {
    if (qstrcmp(entry.band, "Tools") == 0) {
        return "ToolBar";
    }
    return qstrcmp(entry.band, "Viewer") == 0 ? "Viewer" : "Menu";
}

QString commandCaption(Command command) {
    return captionText(command, ToolProperty::Caption);
}

QString commandTooltip(Command command) {
    return captionText(command, ToolProperty::Tooltip);
}

CommandActions::CommandActions(QWidget& window) : QObject(&window), window_(window) {
    window.installEventFilter(this);
}

QAction* CommandActions::add(Command command, const std::function<void(bool)>& run) {
    const CommandEntry& e = commandEntry(command);
    auto* action = new QAction(&window_);
    action->setObjectName(QString::fromLatin1(e.band) + u'.' + QString::fromLatin1(e.tool));
    action->setCheckable(e.checkable);
    action->setShortcut(commandKey(command));
    connect(action, &QAction::triggered, this, [run](bool on) { run(on); });
    actions_.emplace_back(command, action);
    retranslate();
    return action;
}

QAction* CommandActions::action(Command command) const {
    for (const auto& [id, action] : actions_) {
        if (id == command) {
            return action;
        }
    }
    return nullptr;
}

void CommandActions::retranslate() {
    for (const auto& [id, action] : actions_) {
        action->setText(commandCaption(id));
        action->setToolTip(commandTooltip(id));
    }
}

bool CommandActions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    return QObject::eventFilter(watched, event);
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
