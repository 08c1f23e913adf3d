#pragma once

#include <span>

namespace tessaline {

// Dialog templates are data: every control with its id, kind, text, position and size in
// dialog units, and style bits. A builder in ui/ lays them out in pixels from the dialog font.
enum class ControlKind {
    Static,      // text label
    Picture,     // static bitmap, resourceId names the image
    Icon,        // static icon, resourceId names the icon
    EtchedLine,  // static etched horizontal line
    GroupBox,
    DropDownList,  // height is that of the dropped-down list
    PushButton,
    DefaultButton,  // default push button
    OwnerDrawButton,
    CheckBox,  // automatic check box
    Edit,      // single-line edit
};

// Style bits the builder honours (values of the classic window styles they stand for).
namespace style {
inline constexpr unsigned Centre = 0x01;         // static: centred text
inline constexpr unsigned Right = 0x02;          // static: right-aligned text
inline constexpr unsigned CentreImage = 0x200;   // static: vertically centred
inline constexpr unsigned NoPrefix = 0x80;       // static: no '&' processing
inline constexpr unsigned VScroll = 0x00200000;  // list: vertical scroll bar
inline constexpr unsigned Border = 0x00800000;   // edit: border
inline constexpr unsigned AutoHScroll = 0x80;    // edit: horizontal auto-scroll
inline constexpr unsigned TabStop = 0x00010000;
inline constexpr unsigned Sort = 0x100;  // list: sorted (never used here)
}  // namespace style

inline constexpr int kNoId = -1;

struct ControlTemplate {
    int id;  // kNoId for controls nobody addresses
    ControlKind kind;
    const char* text;  // items of a list are separated by '\n'
    int x, y, width, height;
    unsigned styleBits;
    int resourceId;  // image or icon resource, 0 when none
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width, height;  // dialog units
    const char* fontFace;
    int fontPoints;
    std::span<const ControlTemplate> controls;
};

}  // namespace tessaline
