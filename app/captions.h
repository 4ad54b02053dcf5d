// The texts of the main window as tables of English source texts, marked for
// Qt's translation system and translated where they are shown, and the status
// list of the status band.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QTime>
#include <span>

#include "protocol/version.h"

class QDialogButtonBox;

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
// "Help1", "Tools", then "state", then "Lang1".
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

// A text the program's dialogs and other windows still pick by a language
// flag; text() is its translation, as Phrase gives it. The Chinese goes once
// every caller reads text().
struct BilingualText {
    const char* chinese;
    const char* english;
    QString pick(bool chinese) const;
    QString text() const { return QCoreApplication::translate("Captions", english); }
};

inline constexpr Phrase kTabGraph = {QT_TRANSLATE_NOOP("Captions", "Graph")};
inline constexpr Phrase kTabData = {QT_TRANSLATE_NOOP("Captions", "Real-time data")};
// The English title is "Cellwatch " followed by eight blanks.
inline constexpr Phrase kWindowTitle = {QT_TRANSLATE_NOOP("Captions", "Cellwatch         ")};
inline constexpr Phrase kLanguageSetMessage = {
    QT_TRANSLATE_NOOP("Captions", "The language has been set into English")};
inline constexpr Phrase kOnLine = {QT_TRANSLATE_NOOP("Captions", "On line")};
inline constexpr Phrase kDisconnected = {QT_TRANSLATE_NOOP("Captions", "Disconnected")};
inline constexpr BilingualText kLinkLost = {
    "与充电器的连接已中断", QT_TRANSLATE_NOOP("Captions", "The link to the charger was lost")};
inline constexpr Phrase kAwaitingAdapter = {
    QT_TRANSLATE_NOOP("Captions", "waiting for the same adapter to come back")};
inline constexpr Phrase kReconnected = {QT_TRANSLATE_NOOP("Captions", "Reconnected to")};
inline constexpr BilingualText kOpened = {"已打开", QT_TRANSLATE_NOOP("Captions", "Opened")};
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

// A recording opened in a window of its own: what was left out of it.
inline constexpr BilingualText kDamagedLineSkipped = {
    "跳过了 1 行损坏的数据", QT_TRANSLATE_NOOP("Captions", "1 damaged line skipped")};
inline constexpr BilingualText kDamagedLinesSkipped = {
    "跳过了 %1 行损坏的数据", QT_TRANSLATE_NOOP("Captions", "%1 damaged lines skipped")};
inline constexpr BilingualText kMissingValues = {
    "%1 个不是测量值的数据（非数字、无穷或过大）按缺失处理",
    QT_TRANSLATE_NOOP("Captions", "%1 values that are no measurement read as missing")};
inline constexpr BilingualText kCutWhileReading = {
    "文件在读取时被截短，只打开了完整的部分",
    QT_TRANSLATE_NOOP("Captions",
                      "the file was cut short while it was read; only what was whole was opened")};
inline constexpr BilingualText kSummaryTitle = {"摘要", QT_TRANSLATE_NOOP("Captions", "Summary")};
// The pause rule started a new recording (%1: the previous one's file).
inline constexpr Phrase kNewRecordingKept = {
    QT_TRANSLATE_NOOP("Captions", "A new recording began; the previous one is kept in %1")};
inline constexpr Phrase kNewRecording = {QT_TRANSLATE_NOOP("Captions", "A new recording began")};

// Packs: the pack dialog, the viewer's title and the status band.
inline constexpr BilingualText kPackTitle = {"电池组", QT_TRANSLATE_NOOP("Captions", "Pack")};
inline constexpr BilingualText kPackNameLabel = {"电池组名称：",
                                                 QT_TRANSLATE_NOOP("Captions", "Pack name:")};
inline constexpr BilingualText kPackNoteLabel = {"备注：", QT_TRANSLATE_NOOP("Captions", "Note:")};
inline constexpr BilingualText kPackNone = {"（无电池组）",
                                            QT_TRANSLATE_NOOP("Captions", "(no pack)")};
inline constexpr BilingualText kPackForFollowing = {
    "当前及以后的记录所用的电池组（直到更改为止）。",
    QT_TRANSLATE_NOOP(
        "Captions", "The pack of the present and the following recordings (kept until changed).")};
inline constexpr BilingualText kPackForRecording = {
    "此记录所用的电池组及备注。",
    QT_TRANSLATE_NOOP("Captions", "The pack and a note for this recording.")};
// %1: the pack's name.
inline constexpr Phrase kPackChosen = {QT_TRANSLATE_NOOP("Captions", "Pack: %1")};
inline constexpr Phrase kPackCleared = {
    QT_TRANSLATE_NOOP("Captions", "Recordings no longer name a pack")};
inline constexpr BilingualText kPackTitleSuffix = {" — 电池组 %1",
                                                   QT_TRANSLATE_NOOP("Captions", " — pack %1")};
// A viewer's Pack… command (its caption is the main window's View > Pack…).
inline constexpr BilingualText kViewerPackTooltip = {
    "更改此记录的电池组及备注",
    QT_TRANSLATE_NOOP("Captions", "Change this recording's pack and note")};
inline constexpr BilingualText kPackNotWritten = {
    "无法保存电池组", QT_TRANSLATE_NOOP("Captions", "The pack could not be kept")};

// The buttons of the program's dialogs and message boxes.
inline constexpr BilingualText kOkButton = {"确定", QT_TRANSLATE_NOOP("Captions", "OK")};
inline constexpr BilingualText kCancelButton = {"取消", QT_TRANSLATE_NOOP("Captions", "Cancel")};
// The progress of reading or writing a file ("%1": its name).
inline constexpr BilingualText kOpeningFile = {"正在打开 %1",
                                               QT_TRANSLATE_NOOP("Captions", "Opening %1")};
inline constexpr Phrase kExportingFile = {QT_TRANSLATE_NOOP("Captions", "Exporting %1")};
inline constexpr BilingualText kYesButton = {"是", QT_TRANSLATE_NOOP("Captions", "Yes")};
inline constexpr BilingualText kNoButton = {"否", QT_TRANSLATE_NOOP("Captions", "No")};
// Gives the standard buttons of `buttons` (OK, Cancel, Yes, No) the
// program's own captions in the language chosen.
void setButtonCaptions(QDialogButtonBox& buttons, bool chinese);

// View > Chargers on the network….
inline constexpr BilingualText kNetworkListItem = {
    "网络上的充电器…", QT_TRANSLATE_NOOP("Captions", "Chargers on the network…")};

// View > Publish on the network… and its dialog.
inline constexpr BilingualText kPublishItem = {
    "在网络上发布…", QT_TRANSLATE_NOOP("Captions", "Publish on the network…")};
inline constexpr BilingualText kPublishTitle = {
    "在网络上发布", QT_TRANSLATE_NOOP("Captions", "Publish on the network")};
inline constexpr BilingualText kPublishOnBox = {
    "发布此充电器", QT_TRANSLATE_NOOP("Captions", "Publish this charger")};
inline constexpr BilingualText kPublishAddressLabel = {"地址：",
                                                       QT_TRANSLATE_NOOP("Captions", "Address:")};
inline constexpr BilingualText kPublishAddressHint = {
    "mqtt://[用户@]主机[:端口]/名称 或 mqtts://…",
    QT_TRANSLATE_NOOP("Captions", "mqtt://[USER@]HOST[:PORT]/NAME or mqtts://…")};
inline constexpr BilingualText kPublishPasswordLabel = {"密码：",
                                                        QT_TRANSLATE_NOOP("Captions", "Password:")};
inline constexpr BilingualText kPublishPasswordHint = {
    "不保存；有密码文件时不使用",
    QT_TRANSLATE_NOOP("Captions", "not kept; unused with a password file")};
inline constexpr BilingualText kPublishPasswordFileLabel = {
    "密码文件：", QT_TRANSLATE_NOOP("Captions", "Password file:")};
inline constexpr BilingualText kPublishCaFileLabel = {
    "CA 证书文件（mqtts）：", QT_TRANSLATE_NOOP("Captions", "CA file (mqtts):")};
inline constexpr BilingualText kPublishCaFileHint = {
    "空：系统的证书颁发机构", QT_TRANSLATE_NOOP("Captions", "empty: the system's authorities")};
inline constexpr BilingualText kPublishKeyFileLabel = {"密钥文件：",
                                                       QT_TRANSLATE_NOOP("Captions", "Key file:")};
inline constexpr BilingualText kPublishKeyFileHint = {
    "空：不签名", QT_TRANSLATE_NOOP("Captions", "empty: unsigned")};
inline constexpr BilingualText kPublishDiscoveryBox = {
    "Home Assistant 自动发现", QT_TRANSLATE_NOOP("Captions", "Home Assistant discovery")};
inline constexpr BilingualText kBrowseButton = {"浏览…", QT_TRANSLATE_NOOP("Captions", "Browse…")};
// What publishing did (%1: the address).
inline constexpr BilingualText kPublishingOn = {"正在发布到 %1",
                                                QT_TRANSLATE_NOOP("Captions", "Publishing on %1")};
inline constexpr BilingualText kPublishingOff = {
    "已停止发布（离线）", QT_TRANSLATE_NOOP("Captions", "Publishing stopped (offline)")};
inline constexpr BilingualText kPublishNeedsPassword = {
    "在 %1 上发布需要密码：请选择 查看 > 在网络上发布…",
    QT_TRANSLATE_NOOP("Captions",
                      "Publishing on %1 needs its password: View > Publish on the network…")};
inline constexpr BilingualText kCannotPublish = {
    "无法发布：%1", QT_TRANSLATE_NOOP("Captions", "Cannot publish: %1")};

// File > Capture the line… (%1: the capture's file).
inline constexpr BilingualText kCaptureItem = {"捕获线路数据…",
                                               QT_TRANSLATE_NOOP("Captions", "Capture the line…")};
inline constexpr BilingualText kCaptureTitle = {"捕获线路数据",
                                                QT_TRANSLATE_NOOP("Captions", "Capture the line")};
inline constexpr BilingualText kCaptureFilter = {
    "捕获文件 (*.cwcap)", QT_TRANSLATE_NOOP("Captions", "Capture (*.cwcap)")};
inline constexpr BilingualText kCapturingTo = {
    "正在将线路数据捕获到 %1", QT_TRANSLATE_NOOP("Captions", "Capturing the line to %1")};
inline constexpr BilingualText kCapturingFromNext = {
    "下一个记录开始时将线路数据捕获到 %1",
    QT_TRANSLATE_NOOP("Captions", "Capturing the line to %1 from the next recording on")};
inline constexpr BilingualText kCaptureEnded = {
    "捕获已结束，保存在 %1", QT_TRANSLATE_NOOP("Captions", "The capture ended; it is kept in %1")};
inline constexpr BilingualText kCaptureFailed = {
    "捕获已停止：%1", QT_TRANSLATE_NOOP("Captions", "The capture stopped: %1")};

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
