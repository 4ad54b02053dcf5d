#include "app/toolbar.h"

#include "app/captions.h"
#include "app/language.h"
#include "app/status_list.h"

#include <QAction>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <cmath>

namespace cellwatch {

// --- the control --------------------------------------------------------------

ToolBarControl::ToolBarControl(double twipsPerPixel, QWidget* parent)
    : QWidget(parent), twipsPerPixel_(twipsPerPixel) {
    setObjectName(QStringLiteral("menu"));
    build();
}

ToolBarControl::~ToolBarControl() = default;

Tool* ToolBarControl::tool(Command command) const {
    const CommandEntry& e = commandEntry(command);
    return tool(QString::fromLatin1(e.band), QString::fromLatin1(e.tool));
}

Tool* ToolBarControl::tool(StatusTool which) const {
    const ToolName n = toolName(which);
    return tool(QString::fromLatin1(n.band), QString::fromLatin1(n.tool));
}

Tool* ToolBarControl::tool(const QString& band, const QString& name) const {
    for (Tool* t : bands_.value(band)) {
        if (t->name() == name) {
            return t;
        }
    }
    return nullptr;
}

QAction* ToolBarControl::handOver(Command command) {
    Tool* t = tool(command);
    t->handedOver_ = true;
    return t->action();
}

QStringList ToolBarControl::bandNames() const {
    return bandOrder_;
}

QList<Tool*> ToolBarControl::tools(const QString& band) const {
    return bands_.value(band);
}

Tool* ToolBarControl::addTool(const QString& band, const QString& name, ToolKind kind) {
    if (!bands_.contains(band)) {
        bandOrder_.append(band);
    }
    Tool* t = new Tool(*this, band, name, kind);
    bands_[band].append(t);
    return t;
}

Tool* ToolBarControl::addCommand(QMenu* menu, Command command) {
    const CommandEntry& e = commandEntry(command);
    return addMenuEntry(menu, e, QString::fromLatin1(e.tool), commandCaption(command));
}

Tool* ToolBarControl::addMenuEntry(QMenu* menu, const CommandEntry& e, const QString& name,
                                   const QString& caption) {
    Tool* t = addTool(QString::fromLatin1(e.band), name, ToolKind::Command);
    t->caption_ = caption;
    t->action_ = menu->addAction(t->caption_);
    t->action_->setObjectName(t->band() + u'.' + t->name());
    t->action_->setCheckable(e.checkable);
    connect(t->action_, &QAction::triggered, this, [this, t] {
        if (!t->handedOver_) {
            t->syncAction();  // the checked state is the command's to change
            emit toolClicked(t);
        }
    });
    return t;
}

void ToolBarControl::addLanguages(QMenu* menu) {
    const CommandEntry& e = commandEntry(Command::Language);
    for (const LanguageEntry& language : languages()) {
        addMenuEntry(menu, e, QString::fromLatin1(language.code),
                     QString::fromUtf8(language.caption));
    }
    markLanguage();
}

void ToolBarControl::markLanguage() {
    const QString installed = languageCode(installedLanguage());
    for (Tool* t : bands_.value(QString::fromLatin1(commandEntry(Command::Language).band))) {
        if (commandOf(t->band(), t->name()) == Command::Language) {
            t->setChecked(t->name() == installed);
        }
    }
}

Tool* ToolBarControl::addSubmenu(QMenu* parent, const SubmenuEntry& entry) {
    QMenu* menu = menus_.value(QString::fromLatin1(entry.band));
    Tool* t = addTool(QString::fromLatin1(entry.parentBand), QString::fromLatin1(entry.tool),
                      ToolKind::Menu);
    const QString caption = QCoreApplication::translate("Menu", entry.caption);
    menu->setTitle(caption);
    t->action_ = parent->addMenu(menu);
    t->caption_ = caption;
    return t;
}

Tool* ToolBarControl::addButton(Command command) {
    const CommandEntry& e = commandEntry(command);
    Tool* t = addTool(QStringLiteral("Tools"), QString::fromLatin1(e.tool), ToolKind::Command);
    t->caption_ = commandCaption(command);
    t->action_ = toolBar_->addAction(
        style()->standardIcon(static_cast<QStyle::StandardPixmap>(e.icon)), t->caption_);
    t->action_->setObjectName(QStringLiteral("Tools.") + t->name());
    t->action_->setCheckable(e.checkable);
    connect(t->action_, &QAction::triggered, this, [this, t] {
        t->syncAction();
        emit toolClicked(t);
    });
    if (const QString tip = commandTooltip(command); !tip.isEmpty()) {
        t->tooltip_ = tip;
        t->action_->setToolTip(tip);
    }
    return t;
}

Tool* ToolBarControl::addList(QWidget* host, const QString& band, const QString& name,
                              const QString& caption, bool editable) {
    Tool* t = addTool(band, name, ToolKind::List);
    auto* box = new QWidget(host);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(4);
    t->label_ = new QLabel(caption, box);
    auto* combo = new ToolComboBox(box);
    combo->setObjectName(band + u'.' + name);
    combo->setEditable(editable);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    row->addWidget(t->label_);
    row->addWidget(combo);
    t->combo_ = combo;
    t->container_ = box;
    t->caption_ = caption;
    connect(combo, &ToolComboBox::clicked, this, [this, t] { emit toolClicked(t); });
    connect(combo, &QComboBox::activated, this, [this, t] { emit listSelected(t); });
    return t;
}

void ToolBarControl::build() {
    menuBar_ = new QMenuBar(this);
    menuBar_->setNativeMenuBar(false);  // it is part of the window's own layout

    // The menus first, so that File and the tool bar's Language can open them.
    for (const char* band : {"file1", "View1", "Help1", "Lang1", "Alarms1"}) {
        auto* menu = new QMenu(this);
        menu->setObjectName(QString::fromLatin1(band));
        menus_.insert(QString::fromLatin1(band), menu);
    }
    const QString mainBand = QStringLiteral("Main_Menu");
    const std::pair<const char*, const char*> mainMenus[] = {
        {"File", "file1"}, {"View", "View1"}, {"Help", "Help1"}};
    for (auto [name, band] : mainMenus) {
        QMenu* menu = menus_.value(QString::fromLatin1(band));
        Tool* t = addTool(mainBand, QString::fromLatin1(name), ToolKind::Menu);
        menu->setTitle(QString::fromLatin1(name));
        t->action_ = menuBar_->addMenu(menu);
        t->caption_ = QString::fromLatin1(name);
    }
    // Each menu band's commands in the catalogue's order, its submenus
    // before the command they precede, separators between groups.
    for (const char* band : {"file1", "View1", "Help1", "Lang1", "Alarms1"}) {
        const QString bandName = QString::fromLatin1(band);
        QMenu* menu = menus_.value(bandName);
        int group = -1;
        const auto enter = [&group, menu](int next) {
            if (group >= 0 && next != group) {
                menu->addSeparator();
            }
            group = next;
        };
        for (const CommandEntry& e : commandCatalogue()) {
            if (bandName != QLatin1String(e.band)) {
                continue;
            }
            for (const SubmenuEntry& sub : submenuCatalogue()) {
                if (sub.before == e.id && bandName == QLatin1String(sub.parentBand)) {
                    enter(sub.group);
                    addSubmenu(menu, sub);
                }
            }
            enter(e.group);
            if (e.id == Command::Language) {
                addLanguages(menu);
            } else {
                addCommand(menu, e.id);
            }
        }
    }
    // Checked: a vanished adapter is opened again when it comes back.
    tool(Command::Reconnect)->setChecked(true);
    // Export range waits for the range cursors.
    tool(Command::ExportRange)->setEnabled(false);

    // The tool bar.
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("Tools"));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolBar_->setIconSize(QSize(16, 16));
    addButton(Command::Connect);
    {
        Tool* com = addList(toolBar_, QStringLiteral("Tools"), QStringLiteral("com"),
                            QStringLiteral("COM"), true);
        for (int i = 1; i <= 9; ++i) {
            com->addItem(QStringLiteral("COM %1").arg(i));
        }
        com->setText(QStringLiteral("COM 3"));
        com->combo_->setMinimumContentsLength(12);
        toolBar_->addWidget(com->container_);
        // The charger's driver beside the port (the window fills it).
        Tool* charger = addList(toolBar_, QStringLiteral("Tools"), QStringLiteral("charger"),
                                QStringLiteral("Charger"), false);
        toolBar_->addWidget(charger->container_);
    }
    addButton(Command::Disconnect);
    toolBar_->addSeparator();
    addButton(Command::Export);
    toolBar_->addSeparator();
    addButton(Command::CrossLine);
    addButton(Command::Refresh);
    addButton(Command::Print);
    toolBar_->addSeparator();
    {
        Tool* t = addTool(QStringLiteral("Tools"), QStringLiteral("Language"), ToolKind::Menu);
        auto* button = new QToolButton(toolBar_);
        button->setObjectName(QStringLiteral("Tools.Language"));
        button->setMenu(menus_.value(QStringLiteral("Lang1")));
        button->setPopupMode(QToolButton::InstantPopup);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setText(QStringLiteral("Language"));
        t->caption_ = QStringLiteral("Language");
        t->label_ = nullptr;
        t->container_ = button;
        toolBar_->addWidget(button);
    }

    // The status band.
    statusBand_ = new QWidget(this);
    statusBand_->setObjectName(QStringLiteral("state"));
    statusBand_->setAutoFillBackground(true);
    auto* row = new QHBoxLayout(statusBand_);
    row->setContentsMargins(4, 1, 4, 1);
    row->setSpacing(6);
    const QString state = QStringLiteral("state");
    {
        Tool* t = addTool(state, QStringLiteral("USBL1"), ToolKind::Lamp);
        t->lamp_ = new LampWidget(QColor(40, 220, 60), statusBand_);
        t->lamp_->setObjectName(QStringLiteral("state.USBL1"));
        connect(t->lamp_, &LampWidget::clicked, this, [this, t] { emit toolClicked(t); });
        row->addWidget(t->lamp_);
    }
    {
        Tool* t = addTool(state, QStringLiteral("Light2"), ToolKind::Lamp);
        t->lamp_ = new LampWidget(QColor(255, 170, 0), statusBand_);
        t->lamp_->setObjectName(QStringLiteral("state.Light2"));
        connect(t->lamp_, &LampWidget::clicked, this, [this, t] { emit toolClicked(t); });
        row->addWidget(t->lamp_);
    }
    {
        Tool* t = addTool(state, QStringLiteral("Link_state"), ToolKind::Label);
        t->label_ = new QLabel(statusBand_);
        t->label_->setObjectName(QStringLiteral("state.Link_state"));
        t->label_->setMinimumWidth(70);
        row->addWidget(t->label_);
    }
    {
        Tool* t = addList(statusBand_, state, QStringLiteral("state_text"), QString(), false);
        t->label_->hide();
        t->combo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        t->combo_->setMinimumContentsLength(10);
        showStatusTimes(*t->combo_);
        row->addWidget(t->container_, 1);
    }
    {
        Tool* t = addList(statusBand_, state, QStringLiteral("Model"),
                          QStringLiteral("Charger Model:"), false);
        row->addWidget(t->container_);
    }
    // As stored in the layout: disconnected, both lamps out, the cross line off.
    tool(QStringLiteral("Tools"), QStringLiteral("Off"))->setEnabled(false);
    tool(state, QStringLiteral("USBL1"))->setEnabled(false);
    tool(state, QStringLiteral("Light2"))->setEnabled(false);
    layoutStrips();
}

int ToolBarControl::topStripHeight() const {
    return menuBar_->sizeHint().height() + toolBar_->sizeHint().height();
}

int ToolBarControl::bottomStripHeight() const {
    return statusBand_->sizeHint().height();
}

void ToolBarControl::layoutStrips() {
    if (menuBar_ == nullptr || toolBar_ == nullptr || statusBand_ == nullptr) {
        return;  // still being built
    }
    const int w = width();
    const int mb = menuBar_->sizeHint().height();
    const int tb = toolBar_->sizeHint().height();
    const int sb = statusBand_->sizeHint().height();
    menuBar_->setGeometry(0, 0, w, mb);
    toolBar_->setGeometry(0, mb, w, tb);
    statusBand_->setGeometry(0, std::max(0, height() - sb), w, sb);
    // The control spans the window but owns only its strips: masked to them,
    // it is neither drawn again under the working area's texts as they change
    // nor in the way of clicks there.
    setMask(QRegion(menuBar_->geometry().united(toolBar_->geometry())) +
            QRegion(statusBand_->geometry()));
}

void ToolBarControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutStrips();
}

void ToolBarControl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QWidget::changeEvent(event);
}

void ToolBarControl::retranslate() {
    for (const QString& band : bandOrder_) {
        for (Tool* t : bands_.value(band)) {
            QString caption;
            QString tooltip;
            const std::optional<Command> command = commandOf(band, t->name());
            if (command == Command::Language) {
                caption = languageCaption(t->name());  // its own name in every language
            } else if (command) {
                caption = commandCaption(*command);
                tooltip = commandTooltip(*command);
            } else {
                const QByteArray b = band.toLatin1();
                const QByteArray n = t->name().toLatin1();
                caption = toolCaption(b.constData(), n.constData(), ToolProperty::Caption);
                tooltip = toolCaption(b.constData(), n.constData(), ToolProperty::Tooltip);
                for (const SubmenuEntry& sub : submenuCatalogue()) {
                    if (band == QLatin1String(sub.parentBand) && n == sub.tool &&
                        caption.isEmpty()) {
                        caption = QCoreApplication::translate("Menu", sub.caption);
                    }
                }
            }
            if (!caption.isEmpty()) {
                t->setCaption(caption);
            }
            if (!tooltip.isEmpty()) {
                t->setTooltip(tooltip);
            }
        }
    }
    markLanguage();
}

bool ToolBarControl::event(QEvent* event) {
    // A strip whose contents changed asks for room anew.
    if (event->type() == QEvent::LayoutRequest) {
        layoutStrips();
    }
    return QWidget::event(event);
}

}  // namespace cellwatch
