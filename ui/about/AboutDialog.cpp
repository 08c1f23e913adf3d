#include "ui/about/AboutDialog.h"

#include <QLabel>
#include <QPushButton>

#include "platform/qt/DesktopShell.h"
#include "res/AboutDialogTemplate.h"
#include "ui/CursorSource.h"

namespace tessaline {

namespace {

constexpr int IDOK = 1;
constexpr int kTwoLines = 16;  // dialog units: a line of text is 8

}  // namespace

AboutDialog::AboutDialog(const LinkServices& services, QWidget* parent)
    : QDialog(parent), mailLink_(services), webLink_(services) {
    // The two link controls are the links themselves. A text whose control holds two lines or
    // more wraps at word ends; one-line texts never wrap, so a tight fit stays on its line.
    auto controlOf = [this](const ControlTemplate& entry, QWidget* window) -> QWidget* {
        if (entry.kind != ControlKind::Static) {
            return nullptr;
        }
        QLabel* label = nullptr;
        if (entry.id == IDC_MAIL_LINK) {
            label = &mailLink_;
        } else if (entry.id == IDC_WEB_LINK) {
            label = &webLink_;
        } else {
            label = new QLabel(window);
            label->setWordWrap(entry.height >= kTwoLines);
        }
        label->setParent(window);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(staticAlignment(entry.styleBits));
        label->setText(QString::fromUtf8(entry.text));
        return label;
    };
    built_ = buildDialog(*this, aboutDialogTemplate(), controlOf);
    if (auto* ok = built_.find<QPushButton>(IDOK)) {
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    }

    mailLink_.clearLinkTarget();
    mailLink_.attach(built_.find<QLabel>(IDC_MAIL_LINK));
    mailLink_.setLinkTarget(kAuthorMail);
    webLink_.clearLinkTarget();
    webLink_.attach(built_.find<QLabel>(IDC_WEB_LINK));
    // The default focus: the OK button, the first control that takes it.
}

AboutDialogRunner::AboutDialogRunner(MessageBoxes& boxes)
    : ownShell_(std::make_unique<DesktopShell>()),
      ownCursors_(std::make_unique<SystemCursorSource>()),
      services_{*ownShell_, boxes, *ownCursors_} {}

AboutDialogRunner::AboutDialogRunner(const LinkServices& services) : services_(services) {}

AboutDialogRunner::~AboutDialogRunner() = default;

void AboutDialogRunner::run(QWidget* owner) {
    AboutDialog dialog(services_, owner);
    dialog.exec();
}

}  // namespace tessaline
