#pragma once

#include <QSize>
#include <Qt>
#include <functional>
#include <map>
#include <vector>

#include "res/DialogTemplate.h"
#include "ui/DialogUnits.h"

class QWidget;

namespace tessaline {

// A closed drop-down list is one line of text high, whatever the template says: the template's
// height is that of the opened list.
inline constexpr int kClosedListDialogUnits = 13;

// Makes the control of one template entry itself, or returns null for the standard control.
using ControlFactory = std::function<QWidget*(const ControlTemplate& entry, QWidget* parent)>;

// How a static control of the template aligns its text.
Qt::Alignment staticAlignment(unsigned styleBits);

// The controls of one dialog built from its template, found by id.
class BuiltDialog {
  public:
    QWidget* control(int id) const;
    template <typename T>
    T* find(int id) const {
        return dynamic_cast<T*>(control(id));
    }
    // Every control in template order, addressed or not.
    const std::vector<QWidget*>& controls() const { return ordered_; }
    BaseUnits units() const { return units_; }
    // The client area the template asks for, in pixels.
    QSize clientSize() const { return clientSize_; }

  private:
    friend BuiltDialog buildDialog(QWidget&, const DialogTemplate&, const ControlFactory&);
    std::map<int, QWidget*> byId_;
    std::vector<QWidget*> ordered_;
    BaseUnits units_;
    QSize clientSize_;
};

// Gives the window the template's font and fixed client size and creates every control as its
// child, in template order (which is the tab order), placed in pixels from the font's base
// units.
BuiltDialog buildDialog(QWidget& window, const DialogTemplate& dialog,
                        const ControlFactory& custom = {});

}  // namespace tessaline
