# The release this tree builds, for the programs' --version and the installed metadata.
# project(... VERSION ...) names it; its day and the program's desktop id go beside it here.
set(TESSALINE_RELEASE_DATE 2026-12-07)
set(TESSALINE_APP_ID org.example.Tessaline)

configure_file(${PROJECT_SOURCE_DIR}/res/Version.h.in
    ${PROJECT_BINARY_DIR}/generated/res/Version.h @ONLY)

# Linked by each program that prints its version: #include "res/Version.h".
add_library(tessaline_version INTERFACE)
target_include_directories(tessaline_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
