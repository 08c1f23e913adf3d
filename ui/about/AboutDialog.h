#pragma once

#include <QDialog>
#include <memory>

#include "ui/AboutBoxRunner.h"
#include "ui/DialogBuilder.h"
#include "ui/about/HyperLink.h"

namespace tessaline {

// The About box: what the program is, with a mail link to the author (control 1019) and a link
// to the author's web page (control 1030). OK closes it.
class AboutDialog : public QDialog {
  public:
    explicit AboutDialog(const LinkServices& services, QWidget* parent = nullptr);

    HyperLink& mailLink() { return mailLink_; }
    HyperLink& webLink() { return webLink_; }
    QWidget* control(int id) const { return built_.control(id); }

  private:
    HyperLink mailLink_;
    HyperLink webLink_;
    BuiltDialog built_;
};

// The main window's About seam: a new About box for each showing, run modally over the owner.
class AboutDialogRunner final : public AboutBoxRunner {
  public:
    // The program's: links open through the desktop and show the platform's hand cursor.
    explicit AboutDialogRunner(MessageBoxes& boxes);
    // With services of the caller's (tests).
    explicit AboutDialogRunner(const LinkServices& services);
    ~AboutDialogRunner() override;

    void run(QWidget* owner) override;

  private:
    std::unique_ptr<Shell> ownShell_;
    std::unique_ptr<CursorSource> ownCursors_;
    LinkServices services_;
};

}  // namespace tessaline
