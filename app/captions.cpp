#include "app/captions.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLocale>
#include <utility>

#include "app/status_list.h"
#include "app/toolbar.h"

namespace cellwatch {
namespace {

const ToolCaption kToolCaptions[] = {
    {"Main_Menu", "File", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "File")},
    {"Main_Menu", "View", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "View")},
    {"Main_Menu", "Help", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Help")},
    {"file1", "Open", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Open…")},
    {"file1", "Records", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Recordings…")},
    {"file1", "Export", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Export")},
    {"file1", "Print", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Print")},
    {"file1", "Lang", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Language")},
    {"file1", "Exit", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Exit")},
    {"View1", "Save", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Graph save as.")},
    {"View1", "Copy", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Copy")},
    {"View1", "Reconnect", ToolProperty::Caption,
     QT_TRANSLATE_NOOP("Menu", "Reconnect to the same adapter")},
    {"View1", "Summary", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Summary…")},
    {"View1", "ZoomPan", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Zoom and pan")},
    {"View1", "CellCurves", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Cell curves")},
    {"View1", "RangeCursors", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Range cursors")},
    {"View1", "ExportRange", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Export range…")},
    {"View1", "Pack", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Pack…")},
    {"View1", "Pack", ToolProperty::Tooltip,
     QT_TRANSLATE_NOOP("Menu", "The pack and a note for the present and following recordings")},
    {"Help1", "Guid", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "Guid")},
    {"Help1", "About", ToolProperty::Caption, QT_TRANSLATE_NOOP("Menu", "About")},
    {"Tools", "Link", ToolProperty::Caption, QT_TRANSLATE_NOOP("ToolBar", "Connect")},
    {"Tools", "Link", ToolProperty::Tooltip,
     QT_TRANSLATE_NOOP("ToolBar",
                       "Through real or virtual serial port to connect to the charger Brontel")},
    {"Tools", "com", ToolProperty::Caption, QT_TRANSLATE_NOOP("ToolBar", "Serial Port")},
    {"Tools", "com", ToolProperty::Tooltip,
     QT_TRANSLATE_NOOP(
         "ToolBar", "Please choose a port, such as the connection is USB, it is generally Com 3")},
    {"Tools", "charger", ToolProperty::Caption, QT_TRANSLATE_NOOP("ToolBar", "Charger")},
    {"Tools", "charger", ToolProperty::Tooltip,
     QT_TRANSLATE_NOOP("ToolBar", "The kind of charger on this port (remembered for each port)")},
    {"Tools", "Off", ToolProperty::Caption, QT_TRANSLATE_NOOP("ToolBar", "Disconnect")},
    {"Tools", "Off", ToolProperty::Tooltip,
     QT_TRANSLATE_NOOP("ToolBar", "Disconnected communication")},
    {"Tools", "Export", ToolProperty::Caption, QT_TRANSLATE_NOOP("ToolBar", "Export")},
    {"Tools", "CrossLine", ToolProperty::Caption, QT_TRANSLATE_NOOP("ToolBar", "CrossLine")},
    {"Tools", "CrossLine", ToolProperty::Tooltip,
     QT_TRANSLATE_NOOP("ToolBar", "Show/Hide cross line")},
    {"Tools", "Refresh", ToolProperty::Caption, QT_TRANSLATE_NOOP("ToolBar", "Refresh")},
    {"Tools", "Refresh", ToolProperty::Tooltip,
     QT_TRANSLATE_NOOP("ToolBar", "Refresh serial port or graph ")},
    {"Tools", "Print", ToolProperty::Caption, QT_TRANSLATE_NOOP("ToolBar", "Print")},
    {"Tools", "Language", ToolProperty::Caption, QT_TRANSLATE_NOOP("ToolBar", "Language")},
    {"Tools", "Language", ToolProperty::Tooltip,
     QT_TRANSLATE_NOOP("ToolBar", "Please select a language on the right")},
    {"state", "Link_state", ToolProperty::Caption, ""},
    {"state", "USBL1", ToolProperty::Tooltip, QT_TRANSLATE_NOOP("StatusBand", "Connected.")},
    {"state", "Light2", ToolProperty::Tooltip, QT_TRANSLATE_NOOP("StatusBand", "Capture data...")},
    {"state", "Model", ToolProperty::Caption, QT_TRANSLATE_NOOP("StatusBand", "Charger Model")},
};

const ControlText kReadoutTitles[] = {
    {"A001", QT_TRANSLATE_NOOP("ReadoutTitles", "Voltage(V)")},
    {"A002", QT_TRANSLATE_NOOP("ReadoutTitles", "Current(A)")},
    {"A003", QT_TRANSLATE_NOOP("ReadoutTitles", "Capacity(mAh)")},
    {"A004", QT_TRANSLATE_NOOP("ReadoutTitles", "External(℃)")},
    {"A005", QT_TRANSLATE_NOOP("ReadoutTitles", "In.Voltage(V)")},
    {"A006", QT_TRANSLATE_NOOP("ReadoutTitles", "Status")},
    {"A007", QT_TRANSLATE_NOOP("ReadoutTitles", "Batt.Type")},
    {"A008", QT_TRANSLATE_NOOP("ReadoutTitles", "Batt.Count")},
    {"A009", QT_TRANSLATE_NOOP("ReadoutTitles", "Voltage(V)")},
    {"A010", QT_TRANSLATE_NOOP("ReadoutTitles", "Current(A)")},
    {"A011", QT_TRANSLATE_NOOP("ReadoutTitles", "Inner(℃)")},
    {"a012", QT_TRANSLATE_NOOP("ReadoutTitles", "Power(W)")},
    {"a013", QT_TRANSLATE_NOOP("ReadoutTitles", "Elapsed time")},
    {"a014", QT_TRANSLATE_NOOP("CellReadoutTitles", "Average(V)")},
    {"A015", QT_TRANSLATE_NOOP("CellReadoutTitles", "Maximum(V)")},
    {"A016", QT_TRANSLATE_NOOP("CellReadoutTitles", "Minimum(V)")},
    {"A017", QT_TRANSLATE_NOOP("CellReadoutTitles", "D.Peak(V)")},
    {"a018", QT_TRANSLATE_NOOP("CellReadoutTitles", "Capacity(mAh)")},
    {"A019", QT_TRANSLATE_NOOP("CellReadoutTitles", "External(℃)")},
};

const ControlText kControlTooltips[] = {
    {"Check1_0", QT_TRANSLATE_NOOP("ControlTooltips", "Show / Hide voltage curve")},
    {"Check1_1", QT_TRANSLATE_NOOP("ControlTooltips", "Show / Hide current curve")},
    {"Check1_2", QT_TRANSLATE_NOOP("ControlTooltips", "Show / Hide capacity curve")},
    {"Check1_3",
     QT_TRANSLATE_NOOP("ControlTooltips", "Show / hide the internal temperature curve")},
    {"Label3_22",
     QT_TRANSLATE_NOOP("ControlTooltips",
                       "Support the type of battery Li-ion/Poly/NiMH/NiCD/Pb/LiFe/LiLo etc")},
    {"Label3_23", QT_TRANSLATE_NOOP("ControlTooltips",
                                    "Charging + CHG + \\ discharge -DSC-\\ standby Idle 3 states")},
    {"Label3_16", QT_TRANSLATE_NOOP("ControlTooltips", "Input voltage battery charger")},
    {"Label3_24", QT_TRANSLATE_NOOP("ControlTooltips", "Over time")},
    {"Label3_20", QT_TRANSLATE_NOOP("ControlTooltips", "Current battery voltage")},
    {"Label3_19", QT_TRANSLATE_NOOP("ControlTooltips", "current charge / discharge current")},
    {"Label3_17", QT_TRANSLATE_NOOP("ControlTooltips", "Output power of charger")},
    {"Label3_0", QT_TRANSLATE_NOOP("ControlTooltips", "The charge / discharge capacity")},
    {"Label3_18", QT_TRANSLATE_NOOP("ControlTooltips", "Charger internal temperature")},
    {"Label3_3", QT_TRANSLATE_NOOP("ControlTooltips", "External temperature")},
};

}  // namespace

std::span<const ToolCaption> toolCaptions() {
    return kToolCaptions;
}
std::span<const ControlText> readoutTitles() {
    return kReadoutTitles;
}
std::span<const ControlText> controlTooltips() {
    return kControlTooltips;
}

const char* captionContext(const char* band) {
    if (qstrcmp(band, "Tools") == 0) {
        return "ToolBar";
    }
    return qstrcmp(band, "state") == 0 ? "StatusBand" : "Menu";
}

QString ToolCaption::translated() const {
    return *text == '\0' ? QString() : QCoreApplication::translate(captionContext(band), text);
}

QString ControlText::translated() const {
    return QCoreApplication::translate(context(), text);
}

const char* ControlText::context() const {
    if (qstrncmp(control, "Check", 5) == 0 || qstrncmp(control, "Label", 5) == 0) {
        return "ControlTooltips";
    }
    const int number = QByteArray(control + 1).toInt();
    return number >= 14 ? "CellReadoutTitles" : "ReadoutTitles";
}

QString toolCaption(const char* band, const char* tool, ToolProperty property) {
    for (const ToolCaption& c : kToolCaptions) {
        if (qstrcmp(c.band, band) == 0 && qstrcmp(c.tool, tool) == 0 && c.property == property) {
            return c.translated();
        }
    }
    return {};
}

QString groupedCount(qint64 count) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(count);
}

void PostStatusMessage(Tool& stateText, const QString& message, const QTime& at) {
    if (stateText.itemCount() >= kStatusListLimit) {
        stateText.clearItems();
    }
    stateText.addItem(message);
    if (QComboBox* list = stateText.comboBox()) {
        stampLastStatus(*list, at.isValid() ? at : QTime::currentTime());
    }
    stateText.setText(message);
}

}  // namespace cellwatch
