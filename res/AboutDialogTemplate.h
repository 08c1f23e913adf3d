#pragma once

#include "res/DialogTemplate.h"

namespace tessaline {

// The About box.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDC_MAIL_LINK = 1019;
inline constexpr int IDC_WEB_LINK = 1030;

// The author, as the About box names and links them.
inline constexpr const char* kAuthorName = "Tessaline";
inline constexpr const char* kAuthorMail = "tessaline@example.org";
inline constexpr const char* kAuthorWebPage = "https://example.org/tessaline";
inline constexpr const char* kAuthorYears = "2026";

const DialogTemplate& aboutDialogTemplate();

}  // namespace tessaline
