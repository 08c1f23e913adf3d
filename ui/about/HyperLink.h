#pragma once

#include <QFont>
#include <QLabel>
#include <cstdint>
#include <optional>
#include <string>

class QCursor;

namespace tessaline {

class CursorSource;
class MessageBoxes;
class Shell;

// What a link works with; all outlive the link.
struct LinkServices {
    Shell& shell;
    MessageBoxes& boxes;
    CursorSource& cursors;
};

struct LinkRgb {
    int red, green, blue;
};

// Colours shared by every link of the program.
inline constexpr LinkRgb kLinkColour{0, 0, 255};
inline constexpr LinkRgb kActiveColour{0, 128, 128};
inline constexpr LinkRgb kVisitedColour{128, 0, 128};
inline constexpr LinkRgb kHoverColour{255, 0, 0};

// A static text that behaves as a link: drawn in the link colours, underlined while the mouse
// is over it, with the hand cursor and a tool tip showing its target, and opened through the
// shell by a click or the space bar.
class HyperLink : public QLabel {
  public:
    enum LinkFlag : std::uint32_t {
        LinkUnderline = 0x01,
        LinkHoverColour = 0x02,
        LinkFitToText = 0x04,
        LinkFollowOnPress = 0x08,
        LinkFocusOnClick = 0x10,
        LinkNoHandCursor = 0x20,
        LinkNoActiveColour = 0x40,
    };

    explicit HyperLink(const LinkServices& services);
    ~HyperLink() override;

    // Attaches the link to a static control of a dialog. Either the link itself was built as
    // that control (a dialog builder's custom control), or it takes the place of another
    // label: parent, geometry, text, font, alignment, name and properties, and that label is
    // deleted (the caller forgets it). Then the target defaults to the text and the text to the
    // target, the link font is made, the control is fitted to its text, the hand cursor is
    // loaded and the tool tip set.
    void attach(QLabel* control);
    bool isAttached() const { return attached_; }

    void clearLinkTarget() { target_.clear(); }
    void setLinkTarget(const std::string& text);
    const std::string& linkTarget() const { return target_; }

    void applyLinkFont(const QFont& font);
    const QFont& linkFont() const { return linkFont_; }
    // False, with nothing changed, when remove and add share a bit.
    bool changeLinkFlags(std::uint32_t remove, std::uint32_t add, bool apply);
    std::uint32_t linkFlags() const { return flags_; }
    void fitLinkToText();

    void followLink();
    int openLinkTarget(const std::string& target, int show);
    int readClassesRootValue(const std::string& key, std::string& value);
    void reportLinkError(int code);

    // The colour the link is drawn in now.
    QColor textColour() const;
    bool isActive() const { return active_ != 0; }
    bool isOver() const { return over_ != 0; }
    bool isVisited() const { return visited_ != 0; }

    // The hand cursor shared by all links: loaded from the source at the first attach that
    // wants it, then kept for the whole run.
    static void loadLinkCursor(CursorSource& source);
    static const std::optional<QCursor>& sharedHandCursor();
    // Tests only: forget the shared cursor so that another source can be tried.
    static void forgetSharedHandCursor();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void takePlaceOf(QLabel* control);
    void showHandCursor();
    void pointerLeft();

    LinkServices services_;
    int active_ = 0;
    int over_ = 0;
    int visited_ = 0;
    std::uint32_t flags_ = LinkFitToText | LinkFocusOnClick;
    std::string target_;
    QFont linkFont_;
    bool attached_ = false;
};

}  // namespace tessaline
