#pragma once

#include "settings/settings.h" // MacAddress

#include <QWidget>

#include <array>

class QHBoxLayout;
class QLineEdit;

namespace tavrin {

// A peripheral's six-byte address as six two-digit hexadecimal fields a0..a5, left to
// right; field i carries tag i. Typed keys pass the hexadecimal key filter (a to f
// become upper case), pasted text is filtered the same way before the two-character
// limit cuts it, and anything else inserted passes the field's validator. A field is
// left when the focus moves to another control: an empty one then shows "00" and its
// byte is reported. Its own context menu or a switch to another window only lends the
// focus away. A one-digit entry stays shown as typed.
class MacAddressEdit : public QWidget {
    Q_OBJECT
public:
    explicit MacAddressEdit(QWidget *parent = nullptr);

    // Shows address, each byte as "%02X".
    void setAddress(const MacAddress &address);
    QLineEdit *field(int index) const { return m_fields[size_t(index)]; }
    // The field still being edited, if any, counts as left now (a button pressed by key
    // or one that takes no focus on click).
    void leaveFocusedField();
    // Every field counts as left now, as it is shown, whichever has the focus.
    void leaveEveryField();
    // Ctrl+Z goes to the window's shortcut instead of the fields' own undo.
    void leaveCtrlZToWindow() { m_ctrlZToWindow = true; }
    // The fields' font and width, and the room between them; each field is at least as
    // wide as two digits of its font need.
    void setFieldLook(const QFont &font, int minimumWidth, int spacing);

signals:
    // Field index was left; value is its byte.
    void byteLeft(int index, quint8 value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool filterKey(QLineEdit *field, QKeyEvent *event);
    void leave(QLineEdit *field);

    std::array<QLineEdit *, 6> m_fields{};
    QHBoxLayout *m_row = nullptr;
    bool m_ctrlZToWindow = false;
};

} // namespace tavrin
