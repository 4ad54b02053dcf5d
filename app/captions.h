// Every text of the main window that exists in Chinese and in English, as
// tables with both texts side by side, and the status list of the status band.
#pragma once

#include <QString>
#include <QTime>
#include <span>

#include "protocol/version.h"

class QDialogButtonBox;

namespace cellwatch {

class Tool;

enum class ToolProperty { Caption, Tooltip };

struct ToolCaption {
    const char* band;
    const char* tool;
    ToolProperty property;
    const char* chinese;
    const char* english;
};

// A caption or tooltip of a named control of the window.
struct ControlText {
    const char* control;  // objectName: "A001", "Check1_0", "Label3_22", ...
    const char* chinese;
    const char* english;
};

// In the order they are written: bands "Main_Menu", "file1", "View1",
// "Help1", "Tools", then "state", then "Lang1".
std::span<const ToolCaption> toolCaptions();
// Readout titles A001 to A019.
std::span<const ControlText> readoutTitles();
// Tooltips of the curve switches and the readout values.
std::span<const ControlText> controlTooltips();

struct BilingualText {
    const char* chinese;
    const char* english;
    QString pick(bool chinese) const;
};

inline constexpr BilingualText kTabGraph = {"图表", "Graph"};
inline constexpr BilingualText kTabData = {"实时数据", "Real-time data"};
// The English title is "Cellwatch " followed by eight blanks.
inline constexpr BilingualText kWindowTitle = {"Dorire 充电监控      ",
                                               "Cellwatch "
                                               "        "};
inline constexpr BilingualText kLanguageSetMessage = {"已将语言设置为中文",
                                                      "The language has been set into English"};
inline constexpr BilingualText kOnLine = {"已连接", "On line"};
inline constexpr BilingualText kDisconnected = {"已断开", "Disconnected"};
inline constexpr BilingualText kLinkLost = {"与充电器的连接已中断",
                                            "The link to the charger was lost"};
inline constexpr BilingualText kAwaitingAdapter = {"等待同一适配器重新连接",
                                                   "waiting for the same adapter to come back"};
inline constexpr BilingualText kReconnected = {"已重新连接到", "Reconnected to"};
inline constexpr BilingualText kOpened = {"已打开", "Opened"};
inline constexpr BilingualText kReplayEnded = {"回放结束",
                                               "The capture has been played to its end"};
inline constexpr BilingualText kJournalStopped = {"记录文件已停止写入",
                                                  "The recording's journal stopped"};
inline constexpr BilingualText kJournalCaughtUp = {
    "记录文件已恢复写入，缺失的行已补齐", "The recording's journal caught up with every row"};
inline constexpr BilingualText kJournalRecreated = {
    "记录文件已被删除，已用目前所有的行重新写入",
    "The recording's journal was deleted; written again with every row so far"};
// What Export (%1 rows, %2 the file), Save (%1 the file), Copy and Print did.
inline constexpr BilingualText kExportedRows = {"已导出 %1 行到 %2", "Exported %1 rows to %2"};
inline constexpr BilingualText kExportedRow = {"已导出 %1 行到 %2", "Exported %1 row to %2"};
inline constexpr BilingualText kSavedChart = {"已将图表保存到 %1", "Saved the chart to %1"};
inline constexpr BilingualText kCopiedChart = {"已复制图表", "Copied the chart"};
inline constexpr BilingualText kPrintedChart = {"已打印图表", "Printed the chart"};

// A recording opened in a window of its own: what was left out of it.
inline constexpr BilingualText kDamagedLineSkipped = {"跳过了 1 行损坏的数据",
                                                      "1 damaged line skipped"};
inline constexpr BilingualText kDamagedLinesSkipped = {"跳过了 %1 行损坏的数据",
                                                       "%1 damaged lines skipped"};
inline constexpr BilingualText kMissingValues = {
    "%1 个不是测量值的数据（非数字、无穷或过大）按缺失处理",
    "%1 values that are no measurement read as missing"};
inline constexpr BilingualText kCutWhileReading = {
    "文件在读取时被截短，只打开了完整的部分",
    "the file was cut short while it was read; only what was whole was opened"};
inline constexpr BilingualText kSummaryTitle = {"摘要", "Summary"};
// The pause rule started a new recording (%1: the previous one's file).
inline constexpr BilingualText kNewRecordingKept = {
    "新的记录已开始；上一个记录保存在 %1", "A new recording began; the previous one is kept in %1"};
inline constexpr BilingualText kNewRecording = {"新的记录已开始", "A new recording began"};

// Packs: the pack dialog, the viewer's title and the status band.
inline constexpr BilingualText kPackTitle = {"电池组", "Pack"};
inline constexpr BilingualText kPackNameLabel = {"电池组名称：", "Pack name:"};
inline constexpr BilingualText kPackNoteLabel = {"备注：", "Note:"};
inline constexpr BilingualText kPackNone = {"（无电池组）", "(no pack)"};
inline constexpr BilingualText kPackForFollowing = {
    "当前及以后的记录所用的电池组（直到更改为止）。",
    "The pack of the present and the following recordings (kept until changed)."};
inline constexpr BilingualText kPackForRecording = {"此记录所用的电池组及备注。",
                                                    "The pack and a note for this recording."};
// %1: the pack's name.
inline constexpr BilingualText kPackChosen = {"电池组：%1", "Pack: %1"};
inline constexpr BilingualText kPackCleared = {"不再记录电池组",
                                               "Recordings no longer name a pack"};
inline constexpr BilingualText kPackTitleSuffix = {" — 电池组 %1", " — pack %1"};
// A viewer's Pack… command (its caption is the main window's View > Pack…).
inline constexpr BilingualText kViewerPackTooltip = {"更改此记录的电池组及备注",
                                                     "Change this recording's pack and note"};
inline constexpr BilingualText kPackNotWritten = {"无法保存电池组", "The pack could not be kept"};

// The buttons of the program's dialogs and message boxes.
inline constexpr BilingualText kOkButton = {"确定", "OK"};
inline constexpr BilingualText kCancelButton = {"取消", "Cancel"};
// The progress of reading or writing a file ("%1": its name).
inline constexpr BilingualText kOpeningFile = {"正在打开 %1", "Opening %1"};
inline constexpr BilingualText kExportingFile = {"正在导出 %1", "Exporting %1"};
inline constexpr BilingualText kYesButton = {"是", "Yes"};
inline constexpr BilingualText kNoButton = {"否", "No"};
// Gives the standard buttons of `buttons` (OK, Cancel, Yes, No) the
// program's own captions in the language chosen.
void setButtonCaptions(QDialogButtonBox& buttons, bool chinese);

// View > Chargers on the network….
inline constexpr BilingualText kNetworkListItem = {"网络上的充电器…", "Chargers on the network…"};

// View > Publish on the network… and its dialog.
inline constexpr BilingualText kPublishItem = {"在网络上发布…", "Publish on the network…"};
inline constexpr BilingualText kPublishTitle = {"在网络上发布", "Publish on the network"};
inline constexpr BilingualText kPublishOnBox = {"发布此充电器", "Publish this charger"};
inline constexpr BilingualText kPublishAddressLabel = {"地址：", "Address:"};
inline constexpr BilingualText kPublishAddressHint = {
    "mqtt://[用户@]主机[:端口]/名称 或 mqtts://…", "mqtt://[USER@]HOST[:PORT]/NAME or mqtts://…"};
inline constexpr BilingualText kPublishPasswordLabel = {"密码：", "Password:"};
inline constexpr BilingualText kPublishPasswordHint = {"不保存；有密码文件时不使用",
                                                       "not kept; unused with a password file"};
inline constexpr BilingualText kPublishPasswordFileLabel = {"密码文件：", "Password file:"};
inline constexpr BilingualText kPublishCaFileLabel = {"CA 证书文件（mqtts）：", "CA file (mqtts):"};
inline constexpr BilingualText kPublishCaFileHint = {"空：系统的证书颁发机构",
                                                     "empty: the system's authorities"};
inline constexpr BilingualText kPublishKeyFileLabel = {"密钥文件：", "Key file:"};
inline constexpr BilingualText kPublishKeyFileHint = {"空：不签名", "empty: unsigned"};
inline constexpr BilingualText kPublishDiscoveryBox = {"Home Assistant 自动发现",
                                                       "Home Assistant discovery"};
inline constexpr BilingualText kBrowseButton = {"浏览…", "Browse…"};
// What publishing did (%1: the address).
inline constexpr BilingualText kPublishingOn = {"正在发布到 %1", "Publishing on %1"};
inline constexpr BilingualText kPublishingOff = {"已停止发布（离线）",
                                                 "Publishing stopped (offline)"};
inline constexpr BilingualText kPublishNeedsPassword = {
    "在 %1 上发布需要密码：请选择 查看 > 在网络上发布…",
    "Publishing on %1 needs its password: View > Publish on the network…"};
inline constexpr BilingualText kCannotPublish = {"无法发布：%1", "Cannot publish: %1"};

// File > Capture the line… (%1: the capture's file).
inline constexpr BilingualText kCaptureItem = {"捕获线路数据…", "Capture the line…"};
inline constexpr BilingualText kCaptureTitle = {"捕获线路数据", "Capture the line"};
inline constexpr BilingualText kCaptureFilter = {"捕获文件 (*.cwcap)", "Capture (*.cwcap)"};
inline constexpr BilingualText kCapturingTo = {"正在将线路数据捕获到 %1",
                                               "Capturing the line to %1"};
inline constexpr BilingualText kCapturingFromNext = {"下一个记录开始时将线路数据捕获到 %1",
                                                     "Capturing the line to %1 from the next "
                                                     "recording on"};
inline constexpr BilingualText kCaptureEnded = {"捕获已结束，保存在 %1",
                                                "The capture ended; it is kept in %1"};
inline constexpr BilingualText kCaptureFailed = {"捕获已停止：%1", "The capture stopped: %1"};

// The caption (or tooltip) of a tool in the language chosen; "" for none.
QString toolCaption(const char* band, const char* tool, ToolProperty property, bool chinese);

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
