#include "app/captions.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLocale>
#include <QPushButton>
#include <utility>

#include "app/status_list.h"
#include "app/toolbar.h"

namespace cellwatch {
namespace {

const ToolCaption kToolCaptions[] = {
    {"Main_Menu", "File", ToolProperty::Caption, "文件", "File"},
    {"Main_Menu", "View", ToolProperty::Caption, "图表", "View"},
    {"Main_Menu", "Help", ToolProperty::Caption, "帮助", "Help"},
    {"file1", "Open", ToolProperty::Caption, "打开…", "Open…"},
    {"file1", "Records", ToolProperty::Caption, "记录…", "Recordings…"},
    {"file1", "Export", ToolProperty::Caption, "导出", "Export"},
    {"file1", "Print", ToolProperty::Caption, "打印", "Print"},
    {"file1", "Lang", ToolProperty::Caption, "中文", "Language"},
    {"file1", "Exit", ToolProperty::Caption, "退出", "Exit"},
    {"View1", "Save", ToolProperty::Caption, "图形另存", "Graph save as."},
    {"View1", "Copy", ToolProperty::Caption, "复制图形", "Copy"},
    {"View1", "Reconnect", ToolProperty::Caption, "自动重连", "Reconnect to the same adapter"},
    {"View1", "Summary", ToolProperty::Caption, "摘要…", "Summary…"},
    {"View1", "ZoomPan", ToolProperty::Caption, "缩放与平移", "Zoom and pan"},
    {"View1", "CellCurves", ToolProperty::Caption, "电芯曲线", "Cell curves"},
    {"View1", "RangeCursors", ToolProperty::Caption, "区间光标", "Range cursors"},
    {"View1", "ExportRange", ToolProperty::Caption, "导出区间…", "Export range…"},
    {"View1", "Pack", ToolProperty::Caption, "电池组…", "Pack…"},
    {"View1", "Pack", ToolProperty::Tooltip, "当前及以后的记录所用的电池组及备注",
     "The pack and a note for the present and following recordings"},
    {"Help1", "Guid", ToolProperty::Caption, "手冊", "Guid"},
    {"Help1", "About", ToolProperty::Caption, "关于", "About"},
    {"Tools", "Link", ToolProperty::Caption, "连接 ", "Connect"},
    {"Tools", "Link", ToolProperty::Tooltip, "通过真实或虚拟串口连接到Charger充电器    ",
     "Through real or virtual serial port to connect to the charger Brontel"},
    {"Tools", "com", ToolProperty::Caption, "串行口", "Serial Port"},
    {"Tools", "com", ToolProperty::Tooltip, "请选择一个端口,如连接的是USB,则一般是Com 3",
     "Please choose a port, such as the connection is USB, it is generally Com 3"},
    {"Tools", "charger", ToolProperty::Caption, "充电器", "Charger"},
    {"Tools", "charger", ToolProperty::Tooltip, "所接充电器的类型（按端口记住）",
     "The kind of charger on this port (remembered for each port)"},
    {"Tools", "Off", ToolProperty::Caption, "断 开", "Disconnect"},
    {"Tools", "Off", ToolProperty::Tooltip, "断开通讯口", "Disconnected communication"},
    {"Tools", "Export", ToolProperty::Caption, "导出", "Export"},
    {"Tools", "CrossLine", ToolProperty::Caption, "十字线", "CrossLine"},
    {"Tools", "CrossLine", ToolProperty::Tooltip, "显示/关闭十字线", "Show/Hide cross line"},
    {"Tools", "Refresh", ToolProperty::Caption, "刷新", "Refresh"},
    {"Tools", "Refresh", ToolProperty::Tooltip, "可以用来刷新串口或图表 ",
     "Refresh serial port or graph "},
    {"Tools", "Print", ToolProperty::Caption, "打印", "Print"},
    {"Tools", "Language", ToolProperty::Caption, "语言", "Language"},
    {"Tools", "Language", ToolProperty::Tooltip, "请在右边选择一个语言",
     "Please select a language on the right"},
    {"state", "Link_state", ToolProperty::Caption, "", ""},
    {"state", "USBL1", ToolProperty::Tooltip, "已联机.", "Connected."},
    {"state", "Light2", ToolProperty::Tooltip, "数据采集中...", "Capture data..."},
    {"state", "Model", ToolProperty::Caption, "充电器型号", "Charger Model"},
    {"Lang1", "ENG", ToolProperty::Caption, "English", "English"},
    {"Lang1", "CHT", ToolProperty::Caption, "中文", "中文"},
    {"Lang1", "DEU", ToolProperty::Caption, "Deutsch", "Deutsch"},
};

const ControlText kReadoutTitles[] = {
    {"A001", "电压(V)", "Voltage(V)"},        {"A002", "电流(A)", "Current(A)"},
    {"A003", "容量(mAh)", "Capacity(mAh)"},   {"A004", "外部溫度(℃)", "External(℃)"},
    {"A005", "输入电压(V)", "In.Voltage(V)"}, {"A006", "工作状态", "Status"},
    {"A007", "电池类型", "Batt.Type"},        {"A008", "单元节数", "Batt.Count"},
    {"A009", "电压(V)", "Voltage(V)"},        {"A010", "电流(A)", "Current(A)"},
    {"A011", "內部溫度(℃)", "Inner(℃)"},      {"a012", "功率(W)", "Power(W)"},
    {"a013", "时间", "Elapsed time"},         {"a014", "平均(V)", "Average(V)"},
    {"A015", "最高(V)", "Maximum(V)"},        {"A016", "最低(V)", "Minimum(V)"},
    {"A017", "压差△V(V)", "D.Peak(V)"},       {"a018", "容量(mAh)", "Capacity(mAh)"},
    {"A019", "外部溫度℃", "External(℃)"},
};

const ControlText kControlTooltips[] = {
    {"Check1_0", "显示/隐藏电压曲线", "Show / Hide voltage curve"},
    {"Check1_1", "显示/隐藏电流曲线", "Show / Hide current curve"},
    {"Check1_2", "显示/隐藏容量曲线", "Show / Hide capacity curve"},
    {"Check1_3", "显示/隐藏内部温度曲线", "Show / hide the internal temperature curve"},
    {"Label3_22", "支持 Li-ion/Poly/NiMH/NiCD/Pb/LiFe/LiLo 类型电池",
     "Support the type of battery Li-ion/Poly/NiMH/NiCD/Pb/LiFe/LiLo etc"},
    {"Label3_23", "充电+CHG+ \\放电-DSC- \\待机Idle 三种状态",
     "Charging + CHG + \\ discharge -DSC-\\ standby Idle 3 states"},
    {"Label3_16", "充电器输入电压", "Input voltage battery charger"},
    {"Label3_24", "已过时间", "Over time"},
    {"Label3_20", "当前电池电压", "Current battery voltage"},
    {"Label3_19", "当前充/放电电流", "current charge / discharge current"},
    {"Label3_17", "充电器输出功率", "Output power of charger"},
    {"Label3_0", "本次充/放电容量", "The charge / discharge capacity"},
    {"Label3_18", "充电器内部温度", "Charger internal temperature"},
    {"Label3_3", "外部溫度", "External temperature"},
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

QString BilingualText::pick(bool inChinese) const {
    return QString::fromUtf8(inChinese ? chinese : english);
}

QString toolCaption(const char* band, const char* tool, ToolProperty property, bool chinese) {
    for (const ToolCaption& c : kToolCaptions) {
        if (qstrcmp(c.band, band) == 0 && qstrcmp(c.tool, tool) == 0 && c.property == property) {
            return QString::fromUtf8(chinese ? c.chinese : c.english);
        }
    }
    return {};
}

void setButtonCaptions(QDialogButtonBox& buttons, bool chinese) {
    const std::pair<QDialogButtonBox::StandardButton, const BilingualText*> captions[] = {
        {QDialogButtonBox::Ok, &kOkButton},
        {QDialogButtonBox::Cancel, &kCancelButton},
        {QDialogButtonBox::Yes, &kYesButton},
        {QDialogButtonBox::No, &kNoButton},
    };
    for (const auto& [which, text] : captions) {
        if (QPushButton* button = buttons.button(which)) {
            button->setText(text->pick(chinese));
        }
    }
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
