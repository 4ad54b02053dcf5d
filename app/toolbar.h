// The tool bar control `menu`: the menu bar, the tool bar and the status
// band of the main window as named bands of named tools.
//
// Bands: "Main_Menu" (the menu bar), "file1", "View1", "Help1", "Lang1",
// "Alarms1" (its menus, built from the command catalogue), "Tools" (the tool
// bar) and "state" (the status band at the bottom).
// A tool is found by band name and tool name; the same name may stand in
// several bands (Export and Print are in the File menu and on the tool bar)
// and then raises the same command everywhere.
//
// Every tool has a caption, tooltip, text, checked and enabled state and a
// width (in twips, the unit of the whole window). List tools (`com`,
// `state_text`, `Model`) are combo boxes with their caption shown beside
// them; lamps (`USBL1`, `Light2`) show lit or unlit by their enabled state.
// Any click on a tool raises toolClicked(tool); picking an entry of a list
// raises listSelected(tool). The strips (menu bar, tool bar, status band) are
// laid out again whenever a caption or text changes what they need.
#pragma once

#include <QComboBox>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "app/commands.h"
#include "app/lamp_widget.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QToolBar;
class QToolButton;

namespace cellwatch {

class ToolBarControl;

enum class ToolKind {
    Command,  // a menu entry or a tool bar button
    Menu,     // opens another band (File, View, Help, Lang, Language)
    List,     // a combo box with a caption beside it
    Lamp,     // a lamp, lit while enabled
    Label,    // a text in the status band
};

class Tool final : public QObject {
    Q_OBJECT
public:
    const QString& name() const { return name_; }
    const QString& band() const { return band_; }
    ToolKind kind() const { return kind_; }

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    QString tooltip() const { return tooltip_; }
    void setTooltip(const QString& tooltip);
    // The shown text of a list or label tool.
    QString text() const;
    void setText(const QString& text);
    bool checked() const;
    void setChecked(bool checked);
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    // Enabled becomes disabled and the other way round; a lamp shows it as
    // a flip (LampWidget::flip).
    void flip();
    // Width in twips.
    int width() const;
    void setWidth(int twips);

    // List tools.
    int itemCount() const;
    void clearItems();
    void addItem(const QString& item);
    QString item(int index) const;

    // What stands in the window for this tool, for shortcuts and tests.
    QAction* action() const { return action_; }
    QComboBox* comboBox() const { return combo_; }
    QWidget* widget() const;

private:
    friend class ToolBarControl;
    Tool(ToolBarControl& owner, QString band, QString name, ToolKind kind);
    void syncAction();

    ToolBarControl& owner_;
    QString band_;
    QString name_;
    ToolKind kind_;
    QString caption_;
    QString tooltip_;
    QString text_;
    bool checked_ = false;
    bool handedOver_ = false;  // ToolBarControl::handOver
    bool enabled_ = true;
    int widthTwips_ = 0;

    QPointer<QAction> action_;
    QPointer<QComboBox> combo_;
    QPointer<QLabel> label_;  // the caption of a list tool, or the text of a label tool
    QPointer<LampWidget> lamp_;
    QPointer<QWidget> container_;
};

// A combo box that reports a click before it opens its list, so the list can
// be refreshed first (the port box rescans the ports when clicked).
class ToolComboBox final : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;
signals:
    void clicked();
};

class ToolBarControl final : public QWidget {
    Q_OBJECT
public:
    // twipsPerPixel converts tool widths; the bands and tools are created at once.
    explicit ToolBarControl(double twipsPerPixel, QWidget* parent = nullptr);
    ~ToolBarControl() override;

    // nullptr when there is no such band or tool.
    Tool* tool(const QString& band, const QString& name) const;
    // A command's tool (the menu entry of one that is also a button) and a
    // tool that is no command; never nullptr, but for Command::Language,
    // whose tools are named by the languages' codes.
    Tool* tool(Command command) const;
    Tool* tool(StatusTool which) const;
    // Hands a command's action to the part of the window that carries it
    // out: its clicks no longer raise toolClicked, and its checked state is
    // the action's own. Its caption stays the tool bar control's.
    QAction* handOver(Command command);
    QStringList bandNames() const;
    QList<Tool*> tools(const QString& band) const;

    QMenuBar* menuBar() const { return menuBar_; }
    QToolBar* toolBar() const { return toolBar_; }
    QWidget* statusBand() const { return statusBand_; }
    QMenu* bandMenu(const QString& band) const { return menus_.value(band); }

    // Height of the strip above the working area (menu bar and tool bar) and
    // of the status band below it, in pixels.
    int topStripHeight() const;
    int bottomStripHeight() const;

    double twipsPerPixel() const { return twipsPerPixel_; }

    // Every tool's caption and tooltip in the language installed, and the
    // Language menu's check on it (done on each language change).
    void retranslate();

signals:
    void toolClicked(cellwatch::Tool* tool);
    void listSelected(cellwatch::Tool* tool);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend class Tool;
    Tool* addTool(const QString& band, const QString& name, ToolKind kind);
    Tool* addCommand(QMenu* menu, Command command);
    Tool* addMenuEntry(QMenu* menu, const CommandEntry& e, const QString& name,
                       const QString& caption);
    // One entry per language of the table, each its own name, the one
    // installed checked (markLanguage).
    void addLanguages(QMenu* menu);
    void markLanguage();
    Tool* addButton(Command command);
    Tool* addSubmenu(QMenu* parent, const SubmenuEntry& entry);
    Tool* addList(QWidget* host, const QString& band, const QString& name, const QString& caption,
                  bool editable);
    void build();
    void layoutStrips();

    double twipsPerPixel_;
    QMenuBar* menuBar_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QWidget* statusBand_ = nullptr;
    QHash<QString, QMenu*> menus_;
    QHash<QString, QList<Tool*>> bands_;
    QStringList bandOrder_;
};

}  // namespace cellwatch
