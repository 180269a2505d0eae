#pragma once

// A check box with the three values the program's options use: 0 clear,
// 1 ticked, 2 grayed (Qt's unchecked, checked and partially checked states).
// The user can only tick and clear it; code may also set it grayed. Every
// change of the value, by the user or by code, emits stateChanged.

#include <QCheckBox>

namespace kestro {

int checkBoxValue(Qt::CheckState state);
// 0, 1 or 2 as a check state; any other value reads as clear.
Qt::CheckState checkStateFor(int value);

class ValueCheckBox : public QCheckBox {
    Q_OBJECT

public:
    using QCheckBox::QCheckBox;

    int value() const { return checkBoxValue(checkState()); }
    void setValue(int value) { setCheckState(checkStateFor(value)); }

protected:
    // A click ticks a clear or grayed box and clears a ticked one.
    void nextCheckState() override;
};

} // namespace kestro
