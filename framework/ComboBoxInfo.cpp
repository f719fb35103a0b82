#include "framework/ComboBoxInfo.h"

#include "platform/WinBase.h"
#include "platform/WinMessages.h"
#include "platform/WinUser.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <algorithm>

namespace {

TRect FromQRect(const QRect& r) { return Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()); }

}  // namespace

bool GetComboBoxInfo(HWND Window, tagCOMBOBOXINFO* Info)
{
    auto* combo = qobject_cast<QComboBox*>(WindowReceiver(Window));
    if (!combo || !Info || (Info->cbSize != COMBOBOXINFO_SIZE_DESKTOP && Info->cbSize != sizeof(tagCOMBOBOXINFO))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    // The option the combo box itself paints with (QComboBox::initStyleOption is protected).
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    opt.editable = combo->isEditable();
    opt.frame = combo->hasFrame();
    opt.subControls = QStyle::SC_All;
    opt.currentText = combo->currentText();
    opt.iconSize = combo->iconSize();
    QAbstractItemView* view = combo->view();
    const bool dropped = view && view->isVisible();
    if (dropped)
        opt.state |= QStyle::State_On;
    QStyle* style = combo->style();
    Info->rcItem = FromQRect(style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo));
    // The desktop reports the button inside the box's frame; some styles' arrow rectangle runs
    // over the frame's top and bottom rows, so it is cut to the inside of the frame.
    QRect inner = style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxFrame, combo);
    if (opt.frame) {
        const int fw = std::max(0, style->pixelMetric(QStyle::PM_ComboBoxFrameWidth, &opt, combo));
        inner = inner.adjusted(fw, fw, -fw, -fw);
    }
    Info->rcButton =
        FromQRect(style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, combo) & inner);
    Info->stateButton = dropped ? STATE_SYSTEM_PRESSED : 0;
    Info->hwndCombo = Window;
    QLineEdit* edit = combo->isEditable() ? combo->lineEdit() : nullptr;
    Info->hwndItem = edit ? RegisterWindowReceiver(edit) : Window;
    Info->hwndList = view ? RegisterWindowReceiver(view->window()) : nullptr;
    return true;
}
