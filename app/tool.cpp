// A tool of the tool bar control: its caption, tooltip, text, checked and
// enabled state, width and list, on whichever widget or action shows it.
#include "app/toolbar.h"

#include "app/captions.h"
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

// --- Tool ---------------------------------------------------------------------

Tool::Tool(ToolBarControl& owner, QString band, QString name, ToolKind kind)
    : QObject(&owner), owner_(owner), band_(std::move(band)), name_(std::move(name)), kind_(kind) {
    setObjectName(band_ + u'.' + name_);
}

void Tool::setCaption(const QString& caption) {
    caption_ = caption;
    if (action_) {
        action_->setText(caption);
        action_->setIconText(caption);
    }
    if (label_) {
        label_->setText(caption);
        label_->setVisible(!caption.isEmpty() || kind_ == ToolKind::Label);
    }
    if (auto* button = qobject_cast<QToolButton*>(container_.data())) {
        button->setText(caption);
    }
    // Captions of another language may need more room (Chinese glyphs are
    // taller): the strips are laid out for them at once.
    owner_.layoutStrips();
}

void Tool::setTooltip(const QString& tooltip) {
    tooltip_ = tooltip;
    if (action_) {
        action_->setToolTip(tooltip.isEmpty() ? caption_ : tooltip);
    }
    if (combo_) {
        combo_->setToolTip(tooltip);
    }
    if (lamp_) {
        lamp_->setToolTip(tooltip);
    }
    if (auto* button = qobject_cast<QToolButton*>(container_.data())) {
        button->setToolTip(tooltip);
    }
    if (label_ && kind_ == ToolKind::Label) {
        label_->setToolTip(tooltip);
    }
}

QString Tool::text() const {
    if (combo_) {
        if (combo_->isEditable()) {
            return combo_->currentText();
        }
        const int i = combo_->currentIndex();
        return i < 0 ? QString() : combo_->itemData(i).toString();
    }
    if (kind_ == ToolKind::Label && label_) {
        return label_->text();
    }
    return text_;
}

void Tool::setText(const QString& text) {
    text_ = text;
    if (combo_) {
        if (combo_->isEditable()) {
            combo_->setEditText(text);
        } else {
            int i = combo_->findData(text);
            if (i < 0) {
                combo_->addItem(text.trimmed().remove(u'&'), text);
                i = combo_->count() - 1;
            }
            combo_->setCurrentIndex(i);
        }
    } else if (kind_ == ToolKind::Label && label_) {
        label_->setText(text);
        owner_.layoutStrips();
    }
}

void Tool::setChecked(bool checked) {
    checked_ = checked;
    if (handedOver_ && action_) {
        action_->setChecked(checked);
    }
    syncAction();
}

bool Tool::checked() const {
    return handedOver_ && action_ ? action_->isChecked() : checked_;
}

void Tool::syncAction() {
    if (action_ && action_->isCheckable() && !handedOver_) {
        action_->setChecked(checked_);
    }
}

void Tool::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (action_) {
        action_->setEnabled(enabled);
    }
    if (combo_) {
        combo_->setEnabled(enabled);
    }
    if (lamp_) {
        lamp_->setLit(enabled);
    }
    if (label_ && kind_ == ToolKind::Label) {
        label_->setEnabled(enabled);
    }
}

void Tool::flip() {
    if (lamp_) {
        enabled_ = !enabled_;
        lamp_->flip();
    } else {
        setEnabled(!enabled_);
    }
}

QWidget* Tool::widget() const {
    if (container_) {
        return container_;
    }
    if (combo_) {
        return combo_;
    }
    if (lamp_) {
        return lamp_;
    }
    if (label_) {
        return label_;
    }
    if (action_ && owner_.toolBar()) {
        return owner_.toolBar()->widgetForAction(action_);
    }
    return nullptr;
}

int Tool::width() const {
    if (widthTwips_ > 0) {
        return widthTwips_;
    }
    QWidget* w = widget();
    const int px = w ? (w->isVisible() ? w->width() : w->sizeHint().width()) : 0;
    return static_cast<int>(std::lround(px * owner_.twipsPerPixel()));
}

void Tool::setWidth(int twips) {
    widthTwips_ = twips;
    const int px = static_cast<int>(std::lround(twips / owner_.twipsPerPixel()));
    if (combo_) {
        combo_->setFixedWidth(std::max(px, 40));
    } else if (QWidget* w = widget()) {
        // A button never gets narrower than its caption needs.
        w->setMinimumWidth(std::max(px, w->sizeHint().width()));
    }
}

int Tool::itemCount() const {
    return combo_ ? combo_->count() : 0;
}

void Tool::clearItems() {
    if (combo_) {
        const QString shown = combo_->isEditable() ? combo_->currentText() : QString();
        combo_->clear();
        if (combo_->isEditable()) {
            combo_->setEditText(shown);  // the text stays; only the list empties
        }
    }
}

void Tool::addItem(const QString& item) {
    if (combo_) {
        const QString shown = combo_->isEditable() ? combo_->currentText() : QString();
        combo_->addItem(combo_->isEditable() ? item : QString(item).remove(u'&').trimmed(), item);
        if (combo_->isEditable()) {
            combo_->setEditText(shown);
        }
    }
}

QString Tool::item(int index) const {
    return combo_ ? combo_->itemData(index).toString() : QString();
}

// --- widgets -------------------------------------------------------------------

void ToolComboBox::showPopup() {
    emit clicked();
    QComboBox::showPopup();
}

}  // namespace cellwatch
